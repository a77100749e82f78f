#include "ui/Colors.h"

#include <cstdio>

namespace ui {

std::string ColorToString(TColor Color) {
  switch (Color) {
  case clBtnFace:
    return "clBtnFace";
  case clWindowText:
    return "clWindowText";
  case clYellow:
    return "clYellow";
  case clRed:
    return "clRed";
  case clGreen:
    return "clGreen";
  case clFuchsia:
    return "clFuchsia";
  default:
    break;
  }
  char Text[16];
  std::snprintf(Text, sizeof Text, "0x%08X", static_cast<unsigned>(Color));
  return Text;
}

} // namespace ui
