// The end-to-end tests' target program: a window that takes the keyboard focus
// and writes one line per event it receives, flushed at once:
//   ready WINDOW           mapped and focused (window id in decimal), first line
//   press B X Y            button B pressed, root coordinates
//   release B X Y
//   keydown KEYSYM         e.g. keydown Alt_L
//   keyup KEYSYM
//   focusin / focusout     normal focus changes (grabs are not focus changes)
// With --time, button and key lines end in " t=" and the CLOCK_MONOTONIC
// microsecond of their arrival.
// Usage: tazu-xtarget LOG X Y WIDTH HEIGHT [--time]
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

std::string Stamp(bool Timed) {
  if (!Timed) return {};
  timespec T{};
  clock_gettime(CLOCK_MONOTONIC, &T);
  return " t=" + std::to_string(static_cast<long long>(T.tv_sec) * 1000000 + T.tv_nsec / 1000);
}

} // namespace

int main(int argc, char** argv) {
  const bool Timed = argc == 7 && std::strcmp(argv[6], "--time") == 0;
  if (argc != 6 && !Timed) {
    std::fprintf(stderr, "usage: tazu-xtarget LOG X Y WIDTH HEIGHT [--time]\n");
    return 2;
  }
  std::FILE* Log = std::fopen(argv[1], "w");
  Display* Dpy = XOpenDisplay(nullptr);
  if (!Log || !Dpy) return 1;
  const int X = std::atoi(argv[2]), Y = std::atoi(argv[3]);
  const unsigned W = std::atoi(argv[4]), H = std::atoi(argv[5]);
  const int Screen = DefaultScreen(Dpy);
  const Window Win = XCreateSimpleWindow(Dpy, RootWindow(Dpy, Screen), X, Y, W, H, 0,
                                         BlackPixel(Dpy, Screen), 0x404060);
  XStoreName(Dpy, Win, "tazu-xtarget");
  XSizeHints Hints{};
  Hints.flags = USPosition | USSize;
  Hints.x = X, Hints.y = Y, Hints.width = W, Hints.height = H;
  XSetWMNormalHints(Dpy, Win, &Hints);
  XSelectInput(Dpy, Win,
               ButtonPressMask | ButtonReleaseMask | KeyPressMask | KeyReleaseMask |
                   FocusChangeMask | StructureNotifyMask);
  XMapWindow(Dpy, Win);
  bool Ready = false;
  for (;;) {
    XEvent E;
    XNextEvent(Dpy, &E);
    switch (E.type) {
    case MapNotify:
      XSetInputFocus(Dpy, Win, RevertToParent, CurrentTime);
      break;
    case ButtonPress:
    case ButtonRelease:
      std::fprintf(Log, "%s %u %d %d%s\n", E.type == ButtonPress ? "press" : "release",
                   E.xbutton.button, E.xbutton.x_root, E.xbutton.y_root, Stamp(Timed).c_str());
      break;
    case KeyPress:
    case KeyRelease: {
      const KeySym Sym = XLookupKeysym(&E.xkey, 0);
      const char* Name = XKeysymToString(Sym);
      std::fprintf(Log, "%s %s%s\n", E.type == KeyPress ? "keydown" : "keyup", Name ? Name : "?",
                   Stamp(Timed).c_str());
      break;
    }
    case FocusIn:
    case FocusOut:
      if (!Ready && E.type == FocusIn) {
        Ready = true;
        std::fprintf(Log, "ready %lu\n", static_cast<unsigned long>(Win));
      } else if (E.xfocus.mode == NotifyNormal && E.xfocus.detail != NotifyInferior &&
                 E.xfocus.detail != NotifyPointer)
        std::fprintf(Log, "%s\n", E.type == FocusIn ? "focusin" : "focusout");
      break;
    default:
      break;
    }
    std::fflush(Log);
  }
}
