// TIniFile: a settings file in profile-file syntax. It holds only the path; each
// read and write goes straight to the file through the desktop's profile
// functions. Section and key names are given in UTF-8 and stored in the ANSI
// code page; the path is already in the ANSI code page.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ui {

class EIniFileException : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Leading white space, an optional sign, decimal digits up to the first other
// character; no digits gives 0; wraps modulo 2^32.
std::int32_t StrToIntLenient(const std::string& Text);
// The whole text must be one integer after optional leading spaces: [+-]decimal,
// or $, x, X, 0x, 0X and hex digits. Anything else, or a decimal value outside
// 32 bits, gives Default.
std::int32_t StrToIntStrict(const std::string& Text, std::int32_t Default);

class TIniFile {
public:
  explicit TIniFile(std::string FileName) : FFileName(std::move(FileName)) {}
  const std::string& FileName() const { return FFileName; }

  // The stored text whenever the key is present (even empty), else Default.
  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default) const;
  std::int32_t ReadInteger(const std::string& Section, const std::string& Ident,
                           std::int32_t Default) const;
  // Throws EIniFileException ("<path> に書き込めません") when the write is refused.
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
  void WriteInteger(const std::string& Section, const std::string& Ident, std::int32_t Value);
  void WriteBool(const std::string& Section, const std::string& Ident, bool Value);

private:
  std::string FFileName;
};

} // namespace ui
