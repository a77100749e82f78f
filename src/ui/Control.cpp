#include "ui/Control.h"

#include "ui/Application.h"
#include "ui/Backend.h"

#include <algorithm>

namespace ui {

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {}

TControl::~TControl() {
  if (Application) Application->ControlDestroyed(this);
  Backend().ControlDestroyed(*this);
  for (TControl* Child : FControls)
    Child->FParent = nullptr;
  if (FParent) std::erase(FParent->FControls, this);
}

void TControl::SetParent(TControl* Value) {
  if (FParent == Value) return;
  if (FParent) std::erase(FParent->FControls, this);
  FParent = Value;
  if (FParent) FParent->FControls.push_back(this);
  Changed();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Changed();
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Changed();
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Changed();
}

void TControl::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TControl::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Changed();
}

void TControl::SetFont(const TFont& Value) {
  FFont = Value;
  Changed();
}

void TControl::SetFontColor(TColor Value) {
  if (Value == FFont.Color) return;
  FFont.Color = Value;
  Changed();
}

void TControl::Changed() {
  Backend().ControlChanged(*this);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
  case CM_MOUSEENTER:
  case CM_MOUSELEAVE:
    if (FParent) FParent->Perform(Message.Msg, 0, reinterpret_cast<std::intptr_t>(this));
    break;
  case WM_NCHITTEST:
    Message.Result = HTCLIENT;
    break;
  default:
    break;
  }
}

std::intptr_t TControl::Perform(std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam) {
  TMessage Message{Msg, WParam, LParam, 0};
  Dispatch(Message);
  return Message.Result;
}

void TControl::MouseDown(TMouseButton Button, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, X, Y);
}

void TControl::MouseUp(TMouseButton Button, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, X, Y);
}

void TControl::KeyDown(std::uint16_t& Key) {
  if (OnKeyDown) OnKeyDown(this, Key);
}

void TControl::KeyUp(std::uint16_t& Key) {
  if (OnKeyUp) OnKeyUp(this, Key);
}

void TControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

int TControl::ClientOriginX() const {
  return FParent ? FParent->ClientOriginX() + FLeft : FLeft;
}

int TControl::ClientOriginY() const {
  return FParent ? FParent->ClientOriginY() + FTop : FTop;
}

} // namespace ui
