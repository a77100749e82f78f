#include "ui/Panel.h"

namespace ui {

const char* BevelToString(TBevelCut Bevel) {
  switch (Bevel) {
  case TBevelCut::bvNone:
    return "bvNone";
  case TBevelCut::bvLowered:
    return "bvLowered";
  case TBevelCut::bvRaised:
    return "bvRaised";
  }
  return "?";
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TControl(AOwner) {
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
  FBevelOuter = Value;
  Changed();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
  FBevelInner = Value;
  Changed();
}

} // namespace ui
