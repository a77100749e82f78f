// Conversions between UTF-8 and the ANSI code page of the settings file
// (Shift-JIS, Windows' code page 932), for backends without the system's own.
#pragma once

#include <string>

namespace platform::posix {

// Characters without a mapping become "?".
std::string Utf8ToAnsi(const std::string& Utf8);
// Bytes that do not decode become U+FFFD.
std::string AnsiToUtf8(const std::string& Ansi);

} // namespace platform::posix
