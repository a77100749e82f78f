// Message records routed through a control's Dispatch, with the numbers the
// handlers know them by.
#pragma once

#include <cstdint>

namespace ui {

inline constexpr std::uint32_t WM_NCHITTEST = 0x0084;
inline constexpr std::uint32_t CM_DIALOGCHAR = 0xB006;
inline constexpr std::uint32_t CM_MOUSEENTER = 0xB013;
inline constexpr std::uint32_t CM_MOUSELEAVE = 0xB014;

inline constexpr std::intptr_t HTNOWHERE = 0;
inline constexpr std::intptr_t HTCLIENT = 1;
inline constexpr std::intptr_t HTCAPTION = 2;

struct TMessage {
  std::uint32_t Msg = 0;
  std::uintptr_t WParam = 0;
  std::intptr_t LParam = 0;
  // Every message starts with result 0, so an unanswered hit test means HTNOWHERE.
  std::intptr_t Result = 0;
};

} // namespace ui
