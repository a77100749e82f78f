// TPopupMenu and TMenuItem. Captions mark the access key with "&"; check marks
// are state that handlers read.
#pragma once

#include "ui/Component.h"

#include <string>
#include <vector>

namespace ui {

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* AOwner);

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value) { FCaption = Value; }
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value) { FChecked = Value; }

  void Add(TMenuItem* Item);
  const std::vector<TMenuItem*>& Items() const { return FItems; }
  TMenuItem* Parent() const { return FParent; }

  TNotifyEvent OnClick;
  void Click();

private:
  std::string FCaption;
  bool FChecked = false;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
};

class TPopupMenu : public TComponent {
public:
  explicit TPopupMenu(TComponent* AOwner);

  TMenuItem* Items() const { return FItems; }
  TMenuItem* Find(const std::string& ItemName) const;

  TNotifyEvent OnPopup;
  // Runs OnPopup, then lets the backend show the menu at the screen point; the
  // chosen item's command runs before this returns.
  void Popup(int X, int Y);

private:
  TMenuItem* FItems;
};

} // namespace ui
