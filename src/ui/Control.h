// TControl: a child window or a form. Holds geometry, colours, caption and the
// events; every visible change is reported to the backend, which only renders.
// Messages (pointer notifications, hit tests) arrive through Dispatch.
#pragma once

#include "ui/Colors.h"
#include "ui/Component.h"
#include "ui/Messages.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ui {

class TPopupMenu;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, std::uint16_t& Key)>;

struct TFont {
  TColor Color = clWindowText;
  int Height = -12; // negative: character height in pixels
  std::string Name;
  bool Bold = false;
  int Charset = 128; // SHIFTJIS_CHARSET
};

class TControl : public TComponent {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TControl* Parent() const { return FParent; }
  void SetParent(TControl* Value);
  const std::vector<TControl*>& Controls() const { return FControls; } // bottom to top

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  const TFont& Font() const { return FFont; }
  void SetFont(const TFont& Value);
  void SetFontColor(TColor Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value) { FShowHint = Value; }
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int Value) { FTabOrder = Value; }
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value) { FTabStop = Value; }
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value) { FPopupMenu = Value; }

  // Whether a press on the control captures the mouse and a press and release
  // inside it make a Click.
  bool CaptureMouse = true;
  bool ClickEvents = true;

  TNotifyEvent OnClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // Messages: the default handling passes pointer notifications to the parent
  // with this control as the parameter.
  virtual void Dispatch(TMessage& Message);
  std::intptr_t Perform(std::uint32_t Msg, std::uintptr_t WParam = 0, std::intptr_t LParam = 0);

  // Input, called by the application's routing. X, Y are client coordinates.
  virtual void MouseDown(TMouseButton Button, int X, int Y);
  virtual void MouseUp(TMouseButton Button, int X, int Y);
  virtual void KeyDown(std::uint16_t& Key);
  virtual void KeyUp(std::uint16_t& Key);
  virtual void DoEnter();
  virtual void DoExit();
  virtual void Click();

  // Screen position of the client area's top-left corner.
  virtual int ClientOriginX() const;
  virtual int ClientOriginY() const;
  virtual int ClientWidth() const { return FWidth; }
  virtual int ClientHeight() const { return FHeight; }

protected:
  // Tells the backend that what it shows of this control changed.
  void Changed();

private:
  TControl* FParent = nullptr;
  std::vector<TControl*> FControls;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clBtnFace;
  std::string FCaption;
  TFont FFont;
  std::string FHint;
  bool FShowHint = false;
  int FTabOrder = 0;
  bool FTabStop = false;
  TPopupMenu* FPopupMenu = nullptr;
};

} // namespace ui
