#include "platform/posix/Paths.h"

#include <algorithm>
#include <utility>

namespace platform::posix {

namespace {

// An empty variable counts as unset: expanding it would turn a relative
// path into one at the root of the file system.
std::optional<std::string> Lookup(const TGetEnv& GetEnv, const std::string& Name) {
  auto Value = GetEnv(Name);
  if (Value && Value->empty()) Value.reset();
  return Value;
}

std::string Upper(std::string S) {
  for (char& C : S)
    if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
  return S;
}

std::optional<std::string> AppData(const TGetEnv& GetEnv) {
  if (auto V = Lookup(GetEnv, "APPDATA")) return V;
  // Relative values are to be ignored under the XDG rules.
  if (auto V = Lookup(GetEnv, "XDG_CONFIG_HOME"); V && V->front() == '/') return V;
  if (auto Home = Lookup(GetEnv, "HOME")) {
    while (!Home->empty() && Home->back() == '/')
      Home->pop_back();
    return *Home + "/.config";
  }
  return std::nullopt;
}

std::optional<std::string> Resolve(const TGetEnv& GetEnv, const std::string& Name) {
  if (Name.empty()) return std::nullopt;
  const std::string Up = Upper(Name);
  if (Up == "APPDATA") return AppData(GetEnv);
  if (auto V = Lookup(GetEnv, Name)) return V;
  if (Up != Name) return Lookup(GetEnv, Up);
  return std::nullopt;
}

std::string Slashes(std::string S) {
  std::replace(S.begin(), S.end(), '\\', '/');
  return S;
}

} // namespace

std::string ExpandEnvironmentStrings(const std::string& Source, std::size_t BufferSize,
                                     const TGetEnv& GetEnv) {
  std::string Out;
  std::size_t Pos = 0;
  while (Pos < Source.size()) {
    const std::size_t Open = Source.find('%', Pos);
    const std::size_t Close =
        Open == std::string::npos ? std::string::npos : Source.find('%', Open + 1);
    if (Close == std::string::npos) {
      Out.append(Source, Pos, std::string::npos);
      break;
    }
    Out.append(Source, Pos, Open - Pos);
    if (auto Value = Resolve(GetEnv, Source.substr(Open + 1, Close - Open - 1)))
      Out.append(*Value);
    else
      Out.append(Source, Open, Close - Open + 1);
    Pos = Close + 1;
  }
  Out = Slashes(std::move(Out));
  if (Out.size() + 1 > BufferSize) return Slashes(Source);
  return Out;
}

} // namespace platform::posix
