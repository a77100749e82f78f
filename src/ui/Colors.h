// Colour values as the handlers store and compare them: 0x00BBGGRR for RGB,
// 0x800000nn for system colour nn. The two kinds never compare equal.
#pragma once

#include <cstdint>
#include <string>

namespace ui {

using TColor = std::uint32_t;

inline constexpr TColor clGreen = 0x00008000;
inline constexpr TColor clYellow = 0x0000FFFF;
inline constexpr TColor clRed = 0x000000FF;
inline constexpr TColor clFuchsia = 0x00FF00FF;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clWindowText = 0x80000008;
inline constexpr TColor clBtnHighlight = 0x80000014;
inline constexpr TColor clBtnShadow = 0x80000010;

inline constexpr bool IsSystemColor(TColor Color) {
  return (Color & 0xFF000000u) == 0x80000000u;
}

// Name for traces: the known constants by name, anything else as 0x and 8 hex digits.
std::string ColorToString(TColor Color);

} // namespace ui
