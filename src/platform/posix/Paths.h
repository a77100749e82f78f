// Expansion of %NAME% references in Windows-form paths on POSIX systems.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace platform::posix {

using TGetEnv = std::function<std::optional<std::string>(const std::string& Name)>;

// %APPDATA% (any case) stands for APPDATA, else XDG_CONFIG_HOME, else
// $HOME/.config; other names for the variable of that name. A reference that
// cannot be resolved stays as it is. "\" becomes "/". When the result would
// not fit in BufferSize bytes with a terminator, nothing is expanded.
std::string ExpandEnvironmentStrings(const std::string& Source, std::size_t BufferSize,
                                     const TGetEnv& GetEnv);

} // namespace platform::posix
