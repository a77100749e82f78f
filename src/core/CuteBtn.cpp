#include "core/CuteBtn.h"

#include "platform/Desktop.h"
#include "ui/Application.h"

#include <cctype>

namespace core {

using ui::TBevelCut;

TCuteButton::TCuteButton(ui::TComponent* AOwner) : TCustomPanel(AOwner) {
  SetBevelOuter(TBevelCut::bvNone);
  SetBevelInner(TBevelCut::bvRaised);
  SetHeight(25);
  SetTabStop(true);
  SetWidth(75);
}

void TCuteButton::SetFlat(bool Value) {
  if (Value == FFlat) return;
  FFlat = Value;
  SetBevelInner(Value ? TBevelCut::bvNone : TBevelCut::bvRaised);
}

void TCuteButton::Dispatch(ui::TMessage& Message) {
  switch (Message.Msg) {
  case ui::CM_MOUSEENTER:
    CMMouseEnter(Message);
    break;
  case ui::CM_MOUSELEAVE:
    CMMouseLeave(Message);
    break;
  case ui::CM_DIALOGCHAR:
    CMDialogChar(Message);
    break;
  default:
    TCustomPanel::Dispatch(Message);
    break;
  }
}

void TCuteButton::CMMouseEnter(ui::TMessage& Message) {
  TCustomPanel::Dispatch(Message);
  if (OnMouseEnter) OnMouseEnter(this);
  // The platform reports a held button as -127 or -128.
  const bool Held = platform::Desktop().GetKeyState(platform::VK_LBUTTON) < -126;
  SetBevelOuter(Held ? TBevelCut::bvLowered : TBevelCut::bvRaised);
}

void TCuteButton::CMMouseLeave(ui::TMessage& Message) {
  TCustomPanel::Dispatch(Message);
  if (OnMouseLeave) OnMouseLeave(this);
  SetBevelOuter(TBevelCut::bvNone);
}

void TCuteButton::CMDialogChar(ui::TMessage& Message) {
  const std::string& Text = Caption();
  const auto Amp = Text.find('&');
  const bool Accel = Amp != std::string::npos && Amp + 1 < Text.size() &&
                     std::tolower(static_cast<unsigned char>(Text[Amp + 1])) ==
                         std::tolower(static_cast<int>(Message.WParam & 0xFF));
  const bool ParentVisible = Parent() && Parent()->Visible();
  if (Accel && Enabled() && ParentVisible) {
    Click();
    Message.Result = 1;
    return;
  }
  TCustomPanel::Dispatch(Message);
}

void TCuteButton::KeyDown(std::uint16_t& Key) {
  TCustomPanel::KeyDown(Key);
  if ((Key == platform::VK_SPACE || Key == platform::VK_RETURN) && Enabled()) {
    SetBevelOuter(TBevelCut::bvLowered);
    Click();
    SetBevelOuter(TBevelCut::bvRaised);
  }
}

void TCuteButton::KeyUp(std::uint16_t& Key) {
  TCustomPanel::KeyUp(Key);
}

void TCuteButton::DoEnter() {
  SetBevelOuter(TBevelCut::bvRaised);
  TCustomPanel::DoEnter();
}

void TCuteButton::DoExit() {
  TCustomPanel::DoExit();
  SetBevelOuter(TBevelCut::bvNone);
}

void TCuteButton::MouseDown(ui::TMouseButton Button, int X, int Y) {
  if (Button == ui::TMouseButton::mbLeft) SetBevelOuter(TBevelCut::bvLowered);
  TCustomPanel::MouseDown(Button, X, Y);
}

void TCuteButton::MouseUp(ui::TMouseButton Button, int X, int Y) {
  if (Button == ui::TMouseButton::mbLeft) SetBevelOuter(TBevelCut::bvNone);
  TCustomPanel::MouseUp(Button, X, Y);
  if (ui::Application) ui::Application->ReleaseCapture();
}

} // namespace core
