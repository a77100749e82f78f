// What the widget layer needs from a windowing backend: a clock, a loop that
// wakes at the next timer deadline and calls the application's loop steps, and
// rendering of what the controls report as changed. The rules (timers, pointer
// tracking, hit tests, capture) live in the widget layer, not here.
#pragma once

#include "platform/Desktop.h"

#include <cstdint>

namespace ui {

class TApplication;
class TControl;
class TPopupMenu;

class TBackend {
public:
  virtual ~TBackend() = default;

  // Monotonic milliseconds.
  virtual std::int64_t Now() = 0;
  // Width of the dialog frame around a form's client area.
  virtual int FrameWidth() { return 3; }

  // Runs until the application is terminated. Each turn: wait for input or the
  // next timer deadline, deliver input through the application's input calls,
  // call ProcessTimers(), and call Idle() once the queue is empty.
  virtual void RunLoop(TApplication& App) = 0;
  // The next timer deadline may have changed.
  virtual void TimersChanged() {}

  // True where the window manager itself asks the form's hit test (on pointer
  // motion, button events and window lookups) and moves the form on HTCAPTION;
  // the application then does neither itself.
  virtual bool NativeHitTest() { return false; }
  // The control under the pointer for the idle-time tracking: a child of the
  // main form, else the form, else none. The default looks it up by geometry
  // and asks the form's hit test when the pointer is on its background; a
  // native backend asks the window manager, which sends the hit test itself.
  virtual TControl* IdleLookup(TApplication& App, platform::TPoint Screen);

  // Something the control shows (geometry, colour, caption, bevel, visibility) changed.
  virtual void ControlChanged(TControl& Control) { (void)Control; }
  virtual void CaptureChanged(TControl* Control) { (void)Control; }
  // The control is being destroyed: drop what renders it.
  virtual void ControlDestroyed(TControl& Control) { (void)Control; }
  // The native window of a control, for calls that name an owner window; 0 if none.
  virtual std::uintptr_t WindowHandle(TControl& Control) {
    (void)Control;
    return 0;
  }
  // Shows the menu modally at the screen point and runs the chosen item's Click.
  virtual void ShowPopupMenu(TPopupMenu& Menu, int X, int Y) { (void)Menu, (void)X, (void)Y; }
};

// The backend of this process; a do-nothing one with a clock at 0 until one is set.
TBackend& Backend();
void SetBackend(TBackend* Value);

} // namespace ui
