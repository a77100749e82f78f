#include "platform/x11/KeepAbove.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform::x11 {

struct TKeepAbove::TImpl {
  Display* Dpy = nullptr;
  Window Root = 0;
  Window Target = 0;
  Atom SupportingCheck = 0;
};

TKeepAbove::TKeepAbove() : F(new TImpl) {}

TKeepAbove::~TKeepAbove() {
  if (F->Dpy) XCloseDisplay(F->Dpy);
}

namespace {

// The watched window may be gone by the time it is raised.
int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

bool WindowManagerRunning(Display* Dpy, Window Root, Atom Check) {
  Atom Type = 0;
  int Format = 0;
  unsigned long Count = 0, After = 0;
  unsigned char* Data = nullptr;
  const bool Found = XGetWindowProperty(Dpy, Root, Check, 0, 1, False, XA_WINDOW, &Type, &Format,
                                        &Count, &After, &Data) == Success &&
                     Type == XA_WINDOW && Count == 1;
  if (Data) XFree(Data);
  return Found;
}

} // namespace

int TKeepAbove::Watch(std::uintptr_t Window) {
  if (!F->Dpy) F->Dpy = XOpenDisplay(nullptr);
  if (!F->Dpy) return -1;
  XSetErrorHandler(IgnoreErrors);
  F->Root = DefaultRootWindow(F->Dpy);
  F->SupportingCheck = XInternAtom(F->Dpy, "_NET_SUPPORTING_WM_CHECK", False);
  if (WindowManagerRunning(F->Dpy, F->Root, F->SupportingCheck)) return -1;
  F->Target = static_cast<::Window>(Window);
  XSelectInput(F->Dpy, F->Root, SubstructureNotifyMask);
  XRaiseWindow(F->Dpy, F->Target);
  XFlush(F->Dpy);
  return ConnectionNumber(F->Dpy);
}

void TKeepAbove::Dispatch() {
  if (!F->Dpy) return;
  // A round trip below may queue events without the descriptor turning
  // readable again, so the queue is drained until it stays empty.
  for (int Round = 0; Round < 4 && XPending(F->Dpy); ++Round)
    DispatchQueued();
}

void TKeepAbove::DispatchQueued() {
  bool Raise = false;
  while (XPending(F->Dpy)) {
    XEvent E;
    XNextEvent(F->Dpy, &E);
    // Only a window of ours raising itself, or an override-redirect one, may
    // come and go without a reply.
    switch (E.type) {
    case MapNotify:
      Raise |= E.xmap.window != F->Target && !E.xmap.override_redirect;
      break;
    case ConfigureNotify:
      Raise |= E.xconfigure.window != F->Target && !E.xconfigure.override_redirect;
      break;
    case CirculateNotify:
      Raise |= E.xcirculate.window != F->Target;
      break;
    default:
      break;
    }
  }
  if (!Raise || F->Target == 0) return;
  if (WindowManagerRunning(F->Dpy, F->Root, F->SupportingCheck)) {
    // A window manager came: it keeps the window above from now on.
    XSelectInput(F->Dpy, F->Root, NoEventMask);
    F->Target = 0;
  } else {
    XRaiseWindow(F->Dpy, F->Target);
  }
  XFlush(F->Dpy);
}

} // namespace platform::x11
