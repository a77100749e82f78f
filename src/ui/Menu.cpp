#include "ui/Menu.h"

#include "ui/Backend.h"

namespace ui {

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

void TMenuItem::Add(TMenuItem* Item) {
  Item->FParent = this;
  FItems.push_back(Item);
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(this)) {}

namespace {
TMenuItem* FindIn(TMenuItem* Item, const std::string& Name) {
  for (TMenuItem* Child : Item->Items()) {
    if (Child->Name() == Name) return Child;
    if (TMenuItem* Inner = FindIn(Child, Name)) return Inner;
  }
  return nullptr;
}
} // namespace

TMenuItem* TPopupMenu::Find(const std::string& ItemName) const {
  return FindIn(FItems, ItemName);
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  Backend().ShowPopupMenu(*this, X, Y);
}

} // namespace ui
