// TApplication: title, main form, message loop, error display, and the routing
// of input that the handlers depend on:
//  - idle-time pointer tracking: after each burst of messages, find the control
//    under the pointer (a child of the main form, else the form, else none); on
//    a change send CM_MOUSELEAVE to the old one, then CM_MOUSEENTER to the new
//    one. While a control holds the capture only it is notified.
//  - hit tests: the form is asked (WM_NCHITTEST) at each pointer motion and
//    button event over its background and at each idle lookup while the pointer
//    is there, before that lookup's notifications. HTCAPTION with the left
//    button pressed moves the form until the release. Where the backend's
//    window manager asks the hit test and moves the form itself, it does both.
//  - an error raised while a message is handled goes to the error display and
//    the loop goes on.
// Single-threaded: everything runs on the UI thread.
#pragma once

#include "platform/Desktop.h"
#include "ui/Component.h"
#include "ui/Control.h"
#include "ui/Form.h"

#include <exception>
#include <new>
#include <string>

namespace ui {

class TApplication : public TComponent {
public:
  TApplication();
  ~TApplication() override;

  void Initialize() {}
  std::string Title;

  // Creates a form owned by the application; Reference is assigned before the
  // form's constructor runs, so handlers called during construction may use it.
  // The first form created becomes the main form.
  template <class T> void CreateForm(T*& Reference) {
    void* Memory = ::operator new(sizeof(T));
    Reference = static_cast<T*>(Memory);
    try {
      new (Memory) T(this);
    } catch (...) {
      Reference = nullptr;
      ::operator delete(Memory);
      throw;
    }
    if (!FMainForm) FMainForm = Reference;
  }
  TForm* MainForm() const { return FMainForm; }

  // Shows the main form and runs the backend's loop until Terminate.
  void Run();
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }

  void HandleException(std::exception_ptr Error);
  // Message box with the error's text, the title as caption and the stop icon.
  void ShowException(const std::string& Text);
  template <class F> void Protect(F&& Fn) {
    try {
      Fn();
    } catch (...) {
      HandleException(std::current_exception());
    }
  }

  // Loop steps, for backends.
  // Runs each timer due now once, in deadline order; true when any ran.
  bool ProcessTimers();
  void Idle();
  void MouseMove(platform::TPoint Screen);
  void MouseButton(TMouseButton Button, bool Down, platform::TPoint Screen);
  void Key(std::uint16_t Vk, bool Down);

  // The control of the main form under a screen point: a visible child within
  // the client area (the topmost), else the form, else none.
  TControl* FindControl(platform::TPoint Screen) const;
  std::intptr_t HitTest(TForm& Form, platform::TPoint Screen);
  TControl* MouseControl() const { return FMouseControl; }
  bool Moving() const { return FMoving; }

  TControl* FocusedControl() const { return FFocused; }
  void SetFocus(TControl* Control);
  TControl* CaptureControl() const { return FCapture; }
  void SetCapture(TControl* Control);
  void ReleaseCapture() { SetCapture(nullptr); }
  void ControlDestroyed(TControl* Control);

private:
  void DestroyForms();
  void PopupAt(TControl* Control, platform::TPoint Screen);

  TForm* FMainForm = nullptr;
  bool FTerminated = false;
  TControl* FMouseControl = nullptr;
  TControl* FFocused = nullptr;
  TControl* FCapture = nullptr;
  bool FMoving = false;
  platform::TPoint FGrab;
};

// The application object of this process.
extern TApplication* Application;

} // namespace ui
