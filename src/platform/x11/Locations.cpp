#include "platform/x11/Locations.h"

namespace platform::x11 {

namespace {

std::optional<std::string> AbsoluteVariable(const TGetEnv& GetEnv, const std::string& Name) {
  auto Value = GetEnv(Name);
  if (!Value || Value->empty() || Value->front() != '/') return std::nullopt;
  while (Value->size() > 1 && Value->back() == '/')
    Value->pop_back();
  return Value;
}

std::string Join(const std::string& Folder, const std::string& Name) {
  return Folder == "/" ? "/" + Name : Folder + "/" + Name;
}

} // namespace

std::string LockFilePath(const std::string& ExecutableName, const TGetEnv& GetEnv,
                         unsigned UserId) {
  if (auto Runtime = AbsoluteVariable(GetEnv, "XDG_RUNTIME_DIR"))
    return Join(*Runtime, ExecutableName + ".lock");
  const std::string Temp = AbsoluteVariable(GetEnv, "TMPDIR").value_or("/tmp");
  return Join(Temp, ExecutableName + "." + std::to_string(UserId) + ".lock");
}

std::vector<std::string> SoundCandidates(const std::string& FileName,
                                         const std::string& CurrentFolder,
                                         const std::string& ExecutableFolder,
                                         const std::string& DataFolder) {
  if (FileName.empty()) return {};
  if (FileName.front() == '/') return {FileName};
  std::vector<std::string> Out;
  for (const std::string* Folder : {&CurrentFolder, &ExecutableFolder, &DataFolder})
    if (!Folder->empty()) Out.push_back(Join(*Folder, FileName));
  return Out;
}

} // namespace platform::x11
