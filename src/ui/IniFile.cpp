#include "ui/IniFile.h"

#include "platform/Desktop.h"

#include <cctype>

namespace ui {

std::int32_t StrToIntLenient(const std::string& Text) {
  std::size_t I = 0;
  while (I < Text.size() && std::isspace(static_cast<unsigned char>(Text[I])))
    ++I;
  bool Negative = false;
  if (I < Text.size() && (Text[I] == '+' || Text[I] == '-')) Negative = Text[I++] == '-';
  std::uint32_t Value = 0;
  for (; I < Text.size() && Text[I] >= '0' && Text[I] <= '9'; ++I)
    Value = Value * 10u + static_cast<std::uint32_t>(Text[I] - '0');
  if (Negative) Value = 0u - Value;
  return static_cast<std::int32_t>(Value);
}

std::int32_t StrToIntStrict(const std::string& Text, std::int32_t Default) {
  std::size_t I = 0;
  while (I < Text.size() && Text[I] == ' ')
    ++I;
  const std::string_view Rest = std::string_view(Text).substr(I);
  auto IsHex = [](char C) { return std::isxdigit(static_cast<unsigned char>(C)) != 0; };
  std::size_t HexStart = 0;
  if (Rest.starts_with("0x") || Rest.starts_with("0X"))
    HexStart = 2;
  else if (Rest.starts_with("$") || Rest.starts_with("x") || Rest.starts_with("X"))
    HexStart = 1;
  if (HexStart) {
    const std::string_view Digits = Rest.substr(HexStart);
    if (Digits.empty()) return Default;
    std::uint64_t Value = 0;
    for (char C : Digits) {
      if (!IsHex(C)) return Default;
      const int D =
          std::isdigit(static_cast<unsigned char>(C)) ? C - '0' : (std::tolower(C) - 'a' + 10);
      Value = Value * 16 + static_cast<std::uint64_t>(D);
      if (Value > 0xFFFFFFFFull) return Default;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(Value));
  }
  std::size_t J = 0;
  bool Negative = false;
  if (J < Rest.size() && (Rest[J] == '+' || Rest[J] == '-')) Negative = Rest[J++] == '-';
  if (J == Rest.size()) return Default;
  std::int64_t Value = 0;
  for (; J < Rest.size(); ++J) {
    if (Rest[J] < '0' || Rest[J] > '9') return Default;
    Value = Value * 10 + (Rest[J] - '0');
    if (Value > 0x80000000ll) return Default;
  }
  if (Negative) Value = -Value;
  if (Value > 0x7FFFFFFFll) return Default;
  return static_cast<std::int32_t>(Value);
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
  auto& D = platform::Desktop();
  return D.FromAnsi(
      D.GetPrivateProfileString(D.ToAnsi(Section), D.ToAnsi(Ident), D.ToAnsi(Default), FFileName));
}

std::int32_t TIniFile::ReadInteger(const std::string& Section, const std::string& Ident,
                                   std::int32_t Default) const {
  return StrToIntStrict(ReadString(Section, Ident, ""), Default);
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) {
  auto& D = platform::Desktop();
  if (!D.WritePrivateProfileString(D.ToAnsi(Section), D.ToAnsi(Ident), D.ToAnsi(Value), FFileName))
    throw EIniFileException(D.PathToUtf8(FFileName) + " に書き込めません");
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Ident,
                            std::int32_t Value) {
  WriteString(Section, Ident, std::to_string(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

} // namespace ui
