#include "ui/Application.h"

#include "ui/Backend.h"
#include "ui/Menu.h"
#include "ui/Timer.h"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace ui {

TApplication* Application = nullptr;

TApplication::TApplication() : TComponent(nullptr) {
  Application = this;
}

TApplication::~TApplication() {
  DestroyForms();
  if (Application == this) Application = nullptr;
}

void TApplication::DestroyForms() {
  // The destroy handler runs while the form is whole; its error is shown and the
  // form goes all the same.
  while (!Components().empty()) {
    TComponent* Last = Components().back();
    if (auto* Form = dynamic_cast<TForm*>(Last); Form && Form->OnDestroy)
      Protect([Form] { Form->OnDestroy(Form); });
    if (Last == FMainForm) FMainForm = nullptr;
    delete Last;
  }
}

void TApplication::Run() {
  if (!FMainForm) return;
  Protect([this] { FMainForm->Show(); });
  Backend().RunLoop(*this);
}

void TApplication::HandleException(std::exception_ptr Error) {
  try {
    std::rethrow_exception(Error);
  } catch (const std::exception& E) {
    ShowException(E.what());
  } catch (...) {
    ShowException("Unknown error");
  }
}

void TApplication::ShowException(const std::string& Text) {
  platform::Desktop().MessageBox(Title, Text, platform::MB_OK | platform::MB_ICONSTOP);
}

bool TApplication::ProcessTimers() {
  // Like the system's timer messages: each due timer once per burst, so a handler
  // that sleeps past other deadlines cannot keep the loop from idling.
  std::set<const TTimer*> Ran;
  bool Any = false;
  for (;;) {
    bool Fired = false;
    Protect([&] { Fired = Timers().FireOne(Backend().Now(), Ran); });
    if (!Fired) break;
    Any = true;
  }
  return Any;
}

TControl* TApplication::FindControl(platform::TPoint P) const {
  TForm* Form = FMainForm;
  if (!Form || !Form->Visible()) return nullptr;
  if (P.x < Form->Left() || P.y < Form->Top() || P.x >= Form->Left() + Form->Width() ||
      P.y >= Form->Top() + Form->Height())
    return nullptr;
  const int X = P.x - Form->ClientOriginX();
  const int Y = P.y - Form->ClientOriginY();
  if (X >= 0 && Y >= 0 && X < Form->ClientWidth() && Y < Form->ClientHeight()) {
    const auto& Children = Form->Controls();
    for (auto It = Children.rbegin(); It != Children.rend(); ++It) {
      TControl* C = *It;
      if (C->Visible() && X >= C->Left() && Y >= C->Top() && X < C->Left() + C->Width() &&
          Y < C->Top() + C->Height())
        return C;
    }
  }
  return Form;
}

std::intptr_t TApplication::HitTest(TForm& Form, platform::TPoint Screen) {
  const auto Packed = static_cast<std::intptr_t>((static_cast<std::uint32_t>(Screen.y) << 16) |
                                                 (static_cast<std::uint32_t>(Screen.x) & 0xFFFF));
  TMessage Message{WM_NCHITTEST, 0, Packed, 0};
  // What the handler answered before failing still stands.
  Protect([&] { Form.Dispatch(Message); });
  return Message.Result;
}

void TApplication::Idle() {
  if (FMoving || !FMainForm) return; // the system's move loop does no idle processing
  const platform::TPoint P = platform::Desktop().GetCursorPos();
  TControl* Found = Backend().IdleLookup(*this, P);
  if (FCapture && Found != FCapture) Found = nullptr;
  if (Found == FMouseControl) return;
  TControl* Old = FMouseControl;
  FMouseControl = Found;
  if (Old) Protect([Old] { Old->Perform(CM_MOUSELEAVE); });
  if (Found && Found == FMouseControl) Protect([Found] { Found->Perform(CM_MOUSEENTER); });
}

void TApplication::MouseMove(platform::TPoint P) {
  if (Backend().NativeHitTest()) return; // the window manager tests and moves
  if (FMoving) {
    FMainForm->SetBounds(P.x - FGrab.x, P.y - FGrab.y, FMainForm->Width(), FMainForm->Height());
    return;
  }
  if (FCapture) return; // captured motion goes to the capturing control without a hit test
  if (FindControl(P) == FMainForm) HitTest(*FMainForm, P);
}

void TApplication::MouseButton(TMouseButton Button, bool Down, platform::TPoint P) {
  if (FMoving) {
    if (!Down && Button == TMouseButton::mbLeft) FMoving = false;
    return;
  }
  TControl* Target = FCapture ? FCapture : FindControl(P);
  if (!Target) return;
  const int X = P.x - Target->ClientOriginX();
  const int Y = P.y - Target->ClientOriginY();
  if (Target == FMainForm && !FCapture && !Backend().NativeHitTest()) {
    const std::intptr_t Answer = HitTest(*FMainForm, P);
    if (Answer == HTCAPTION) {
      if (Down && Button == TMouseButton::mbLeft) {
        FMoving = true;
        FGrab = {P.x - FMainForm->Left(), P.y - FMainForm->Top()};
      } else if (!Down && Button == TMouseButton::mbRight) {
        PopupAt(FMainForm, P);
      }
      return;
    }
    if (Answer != HTCLIENT) return;
  }
  if (Down) {
    if (Button == TMouseButton::mbLeft && Target->CaptureMouse) SetCapture(Target);
    Protect([&] { Target->MouseDown(Button, X, Y); });
    return;
  }
  if (Button == TMouseButton::mbLeft) {
    const bool Captured = FCapture == Target;
    if (Captured) ReleaseCapture();
    const bool Inside = X >= 0 && Y >= 0 && X < Target->Width() && Y < Target->Height();
    if (Captured && Inside && Target->ClickEvents && Target->Enabled())
      Protect([Target] { Target->Click(); });
  }
  Protect([&] { Target->MouseUp(Button, X, Y); });
  if (Button == TMouseButton::mbRight) PopupAt(Target, P);
}

void TApplication::PopupAt(TControl* Control, platform::TPoint P) {
  for (TControl* C = Control; C; C = C->Parent())
    if (TPopupMenu* Menu = C->PopupMenu()) {
      Protect([&] { Menu->Popup(P.x, P.y); });
      return;
    }
}

void TApplication::Key(std::uint16_t Vk, bool Down) {
  if (Vk == platform::VK_TAB) {
    if (!Down || !FMainForm) return;
    std::vector<TControl*> Order;
    for (TControl* C : FMainForm->Controls())
      if (C->TabStop() && C->Visible() && C->Enabled()) Order.push_back(C);
    if (Order.empty()) return;
    std::stable_sort(Order.begin(), Order.end(),
                     [](TControl* A, TControl* B) { return A->TabOrder() < B->TabOrder(); });
    auto It = std::find(Order.begin(), Order.end(), FFocused);
    SetFocus(It == Order.end() || std::next(It) == Order.end() ? Order.front() : *std::next(It));
    return;
  }
  TControl* Target = FFocused;
  if (!Target) return;
  std::uint16_t Key = Vk;
  Protect([&] { Down ? Target->KeyDown(Key) : Target->KeyUp(Key); });
}

void TApplication::SetFocus(TControl* Control) {
  if (Control == FFocused) return;
  TControl* Old = FFocused;
  FFocused = Control;
  if (Old) Protect([Old] { Old->DoExit(); });
  if (Control) Protect([Control] { Control->DoEnter(); });
}

void TApplication::SetCapture(TControl* Control) {
  if (Control == FCapture) return;
  FCapture = Control;
  Backend().CaptureChanged(Control);
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (FMouseControl == Control) FMouseControl = nullptr;
  if (FFocused == Control) FFocused = nullptr;
  if (FCapture == Control) FCapture = nullptr;
}

} // namespace ui
