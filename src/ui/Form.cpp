#include "ui/Form.h"

#include "ui/Application.h"
#include "ui/Backend.h"

namespace ui {

TForm::TForm(TComponent* AOwner) : TControl(AOwner) {
  SetVisible(false);
  SetColor(clBtnFace);
}

TForm::~TForm() {
  DestroyComponents();
}

int TForm::Frame() const {
  return Backend().FrameWidth();
}

int TForm::ClientWidth() const {
  return Width() - 2 * Frame();
}
int TForm::ClientHeight() const {
  return Height() - 2 * Frame();
}
void TForm::SetClientWidth(int Value) {
  SetWidth(Value + 2 * Frame());
}
void TForm::SetClientHeight(int Value) {
  SetHeight(Value + 2 * Frame());
}
int TForm::ClientOriginX() const {
  return Left() + Frame();
}
int TForm::ClientOriginY() const {
  return Top() + Frame();
}

void TForm::CreateParams(TCreateParams& Params) {
  Params.Style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  Params.ExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
}

void TForm::SetVisible(bool Value) {
  if (Value == Visible()) return;
  TControl::SetVisible(Value);
  if (Value && OnShow) OnShow(this);
}

void TForm::Show() {
  SetVisible(true);
}

void TForm::Close() {
  TCloseAction Action = TCloseAction::caHide;
  if (OnClose) OnClose(this, Action);
  if (Action == TCloseAction::caNone) return;
  if (Application && Application->MainForm() == this)
    Application->Terminate();
  else
    SetVisible(false);
}

void TForm::DoCreate() {
  if (!OnCreate) return;
  try {
    OnCreate(this);
  } catch (...) {
    if (Application) Application->HandleException(std::current_exception());
  }
}

} // namespace ui
