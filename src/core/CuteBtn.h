// TCuteButton: a panel dressed as a button. Adds OnMouseEnter/OnMouseLeave,
// Flat (no inner bevel) and an outer bevel that shows hover, press and focus.
// Face colour and caption are the owner's state; the control never changes them.
#pragma once

#include "ui/Panel.h"

namespace core {

class TCuteButton : public ui::TCustomPanel {
public:
  explicit TCuteButton(ui::TComponent* AOwner);

  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);

  ui::TNotifyEvent OnMouseEnter;
  ui::TNotifyEvent OnMouseLeave;

  void Dispatch(ui::TMessage& Message) override;
  void KeyDown(std::uint16_t& Key) override;
  void KeyUp(std::uint16_t& Key) override;
  void DoEnter() override;
  void DoExit() override;
  void MouseDown(ui::TMouseButton Button, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, int X, int Y) override;

private:
  void CMMouseEnter(ui::TMessage& Message);
  void CMMouseLeave(ui::TMessage& Message);
  void CMDialogChar(ui::TMessage& Message);

  bool FFlat = false;
};

} // namespace core
