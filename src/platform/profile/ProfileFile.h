// Profile-file (INI) reading and writing for platforms without the system's
// profile functions, with the same results: the text is bytes in the ANSI code
// page (Shift-JIS), lines end with CR LF, section and key names match without
// regard to ASCII case (never folding the trail byte of a double-byte
// character), a new section goes at the end, a new key at the end of its
// section, an existing value is replaced in place, and every other byte of the
// file is kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::profile {

// At most this many bytes of a value are returned.
inline constexpr std::size_t MaxValueBytes = 2047;

// The value of Key in Section of the file's text, or nothing when the key or
// its section is absent. An empty value is a present, empty value.
std::optional<std::string> ReadValue(std::string_view Text, std::string_view Section,
                                     std::string_view Key);

// The file's text after writing Value to Key in Section.
std::string WriteValue(std::string_view Text, std::string_view Section, std::string_view Key,
                       std::string_view Value);

// GetPrivateProfileString: Default when the file, section or key is absent.
std::string GetPrivateProfileString(std::string_view Section, std::string_view Key,
                                    std::string_view Default, const std::string& FileName);

// WritePrivateProfileString: creates the file when absent (not its folder).
// The file is replaced atomically, so an interrupted write leaves the old file
// or the new one, never a partial one. False when the write is refused.
bool WritePrivateProfileString(std::string_view Section, std::string_view Key,
                               std::string_view Value, const std::string& FileName);

} // namespace platform::profile
