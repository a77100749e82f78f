// Where the Linux program looks for its files: the single-instance lock and the
// sound. Pure functions of their inputs, so the rules can be tested without a
// display or the real environment.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::x11 {

using TGetEnv = std::function<std::optional<std::string>(const std::string& Name)>;

// The lock file of the single-instance guard: "<name>.lock" in XDG_RUNTIME_DIR
// when it is an absolute path; else in TMPDIR (absolute) or /tmp, where other
// users share the folder, so the user id is part of the name there.
std::string LockFilePath(const std::string& ExecutableName, const TGetEnv& GetEnv, unsigned UserId);

// Where a relative sound file name is looked for, in order: the current
// folder, the executable's folder, the installed data folder. An absolute
// name is only itself. Empty folders are skipped.
std::vector<std::string> SoundCandidates(const std::string& FileName,
                                         const std::string& CurrentFolder,
                                         const std::string& ExecutableFolder,
                                         const std::string& DataFolder);

} // namespace platform::x11
