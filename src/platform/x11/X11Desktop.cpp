#include "platform/x11/X11Desktop.h"

#include "platform/posix/AnsiCodec.h"
#include "platform/posix/Paths.h"
#include "platform/profile/ProfileFile.h"
#include "platform/x11/InstanceLock.h"
#include "platform/x11/Locations.h"
#include "platform/x11/Sound.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef TAZU_DATADIR
#define TAZU_DATADIR ""
#endif

namespace platform::x11 {

namespace fs = std::filesystem;

namespace {

// Results are unchecked where the Windows calls' are; a window that vanished
// between two requests must not end the program.
int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

std::optional<std::string> GetEnv(const std::string& Name) {
  const char* Value = std::getenv(Name.c_str());
  if (!Value) return std::nullopt;
  return std::string(Value);
}

std::string SelfPath() {
  std::error_code Error;
  const fs::path P = fs::read_symlink("/proc/self/exe", Error);
  return Error ? std::string() : P.string();
}

} // namespace

std::string ExecutableFolder() {
  const std::string Self = SelfPath();
  return Self.empty() ? std::string() : fs::path(Self).parent_path().string();
}

struct TX11Desktop::TImpl {
  Display* Dpy = nullptr;
  Window Root = 0;
  bool HaveRandR = false;
  TSoundPlayer Sound;
  TPoint Pointer;
  std::optional<std::chrono::steady_clock::time_point> PointerAt;
};

TX11Desktop::TX11Desktop() : F(new TImpl) {
  F->Dpy = XOpenDisplay(nullptr);
  if (!F->Dpy) throw std::runtime_error("cannot open the X display");
  XSetErrorHandler(IgnoreErrors);
  F->Root = DefaultRootWindow(F->Dpy);
  int EventBase = 0, ErrorBase = 0;
  F->HaveRandR = XRRQueryExtension(F->Dpy, &EventBase, &ErrorBase) != 0;
}

TX11Desktop::~TX11Desktop() {
  if (F->Dpy) XCloseDisplay(F->Dpy);
}

TPoint TX11Desktop::GetCursorPos() {
  // Each query is a round trip to the server; the probe's tick and the idle
  // step that follows it ask within microseconds, and one answer serves both.
  const auto Now = std::chrono::steady_clock::now();
  if (F->PointerAt && Now - *F->PointerAt < std::chrono::milliseconds(2)) return F->Pointer;
  Window RootReturn, Child;
  int RootX = 0, RootY = 0, WinX, WinY;
  unsigned Mask;
  XQueryPointer(F->Dpy, F->Root, &RootReturn, &Child, &RootX, &RootY, &WinX, &WinY, &Mask);
  F->Pointer = {RootX, RootY};
  F->PointerAt = Now;
  return F->Pointer;
}

void TX11Desktop::MouseEvent(std::uint32_t Flags, std::int32_t, std::int32_t, std::uint32_t,
                             std::uintptr_t) {
  // The coordinates move nothing: each button event lands where the pointer is.
  const struct {
    std::uint32_t Flag;
    unsigned Button;
    bool Down;
  } Events[] = {{MOUSEEVENTF_LEFTDOWN, 1, true},
                {MOUSEEVENTF_LEFTUP, 1, false},
                {MOUSEEVENTF_RIGHTDOWN, 3, true},
                {MOUSEEVENTF_RIGHTUP, 3, false}};
  for (const auto& E : Events)
    if (Flags & E.Flag) XTestFakeButtonEvent(F->Dpy, E.Button, E.Down, CurrentTime);
  // Synchronous, so the events are in the server before the handler sleeps.
  XSync(F->Dpy, False);
}

void TX11Desktop::SendKeyInput(std::uint16_t Vk, std::uint16_t, std::uint32_t Flags) {
  if (Vk != VK_MENU) return;
  const KeyCode Code = XKeysymToKeycode(F->Dpy, XK_Alt_L);
  if (Code == 0) return;
  XTestFakeKeyEvent(F->Dpy, Code, (Flags & KEYEVENTF_KEYUP) ? False : True, CurrentTime);
  XSync(F->Dpy, False);
}

std::uint32_t TX11Desktop::MapVirtualKey(std::uint32_t Code, std::uint32_t MapType) {
  // The PC scan code of Alt, as Windows reports it; X11 needs none.
  return Code == VK_MENU && MapType == 0 ? 0x38 : 0;
}

THandle TX11Desktop::GetForegroundWindow() {
  Window Focus = 0;
  int Revert = 0;
  XGetInputFocus(F->Dpy, &Focus, &Revert);
  return static_cast<THandle>(Focus);
}

void TX11Desktop::SetForegroundWindow(THandle Window) {
  // None and PointerRoot are states of the focus, not windows to give it to.
  if (Window <= PointerRoot || Window == GetForegroundWindow()) return;
  XSetInputFocus(F->Dpy, static_cast<::Window>(Window), RevertToParent, CurrentTime);
  XSync(F->Dpy, False);
}

std::int16_t TX11Desktop::GetAsyncKeyState(int Vk) {
  unsigned Bit = 0;
  if (Vk == VK_LBUTTON) Bit = Button1Mask;
  if (Vk == VK_RBUTTON) Bit = Button3Mask;
  if (Bit == 0) return 0;
  Window RootReturn, Child;
  int RootX, RootY, WinX, WinY;
  unsigned Mask = 0;
  XQueryPointer(F->Dpy, F->Root, &RootReturn, &Child, &RootX, &RootY, &WinX, &WinY, &Mask);
  return (Mask & Bit) ? static_cast<std::int16_t>(-32768) : 0;
}

std::int16_t TX11Desktop::GetKeyState(int Vk) {
  // Read when a notification is handled, right after the event that caused it.
  return GetAsyncKeyState(Vk) < 0 ? static_cast<std::int16_t>(-128) : 0;
}

void TX11Desktop::Sleep(std::uint32_t Milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}

void TX11Desktop::PlaySound(const std::string& FileName) {
  std::error_code Error;
  const std::string Current = fs::current_path(Error).string();
  for (const std::string& Path :
       SoundCandidates(FileName, Current, ExecutableFolder(), TAZU_DATADIR)) {
    if (fs::is_regular_file(Path, Error)) {
      F->Sound.Play(Path);
      return;
    }
  }
  F->Sound.Play({});
}

void TX11Desktop::ShellOpen(THandle, const std::string&, const std::string& Target, int) {
  // Detached through a short-lived middle child, so no zombie is left behind
  // and the opener outlives nothing of ours.
  std::vector<char*> Argv = {const_cast<char*>("xdg-open"), const_cast<char*>(Target.c_str()),
                             nullptr};
  const pid_t Middle = ::fork();
  if (Middle < 0) return;
  if (Middle == 0) {
    if (::fork() == 0) {
      ::setsid();
      ::execvp(Argv[0], Argv.data());
      ::_exit(127);
    }
    ::_exit(0);
  }
  int ExitState = 0;
  while (::waitpid(Middle, &ExitState, 0) < 0 && errno == EINTR) {
  }
}

bool TX11Desktop::CreateMutexAlreadyExists(const std::string& Name) {
  return LockHeldElsewhere(LockFilePath(Name, GetEnv, static_cast<unsigned>(::getuid())));
}

std::string TX11Desktop::ExecutableName() {
  const std::string Self = SelfPath();
  return Self.empty() ? std::string("tazuclick") : fs::path(Self).filename().string();
}

TRect TX11Desktop::DesktopRect() {
  // The primary output, else the whole screen: what Windows calls the primary monitor.
  TRect Out{0, 0, DisplayWidth(F->Dpy, DefaultScreen(F->Dpy)),
            DisplayHeight(F->Dpy, DefaultScreen(F->Dpy))};
  if (!F->HaveRandR) return Out;
  XRRScreenResources* Resources = XRRGetScreenResourcesCurrent(F->Dpy, F->Root);
  if (!Resources) return Out;
  const RROutput Primary = XRRGetOutputPrimary(F->Dpy, F->Root);
  if (Primary) {
    if (XRROutputInfo* Info = XRRGetOutputInfo(F->Dpy, Resources, Primary)) {
      if (Info->crtc) {
        if (XRRCrtcInfo* Crtc = XRRGetCrtcInfo(F->Dpy, Resources, Info->crtc)) {
          if (Crtc->width > 0 && Crtc->height > 0)
            Out = {0, 0, static_cast<std::int32_t>(Crtc->width),
                   static_cast<std::int32_t>(Crtc->height)};
          XRRFreeCrtcInfo(Crtc);
        }
      }
      XRRFreeOutputInfo(Info);
    }
  }
  XRRFreeScreenResources(Resources);
  return Out;
}

int TX11Desktop::ScreenWidth() {
  return DesktopRect().Right;
}
int TX11Desktop::ScreenHeight() {
  return DesktopRect().Bottom;
}

void TX11Desktop::MessageBox(const std::string& Caption, const std::string& Text,
                             std::uint32_t Flags) {
  if (OnMessageBox) OnMessageBox(Caption, Text, Flags);
}

std::string TX11Desktop::ExpandEnvironmentStrings(const std::string& Source,
                                                  std::size_t BufferSize) {
  return posix::ExpandEnvironmentStrings(Source, BufferSize, GetEnv);
}

bool TX11Desktop::IsDirectory(const std::string& Path) {
  std::error_code Error;
  return !Path.empty() && fs::is_directory(Path, Error);
}

bool TX11Desktop::CreateDir(const std::string& Path) {
  if (Path.empty()) return false;
  // %APPDATA% always exists on Windows; XDG_CONFIG_HOME need not on a fresh
  // account, and is then made private (0700), as the XDG rules ask.
  const fs::path Parent = fs::path(Path).parent_path();
  std::error_code Error;
  if (!Parent.empty() && !fs::exists(Parent, Error)) {
    fs::path Partial;
    for (const fs::path& Part : Parent) {
      Partial /= Part;
      if (!fs::exists(Partial, Error)) ::mkdir(Partial.c_str(), 0700);
    }
  }
  return ::mkdir(Path.c_str(), 0777) == 0;
}

std::string TX11Desktop::GetPrivateProfileString(const std::string& Section, const std::string& Key,
                                                 const std::string& Default,
                                                 const std::string& FileName) {
  return profile::GetPrivateProfileString(Section, Key, Default, FileName);
}

bool TX11Desktop::WritePrivateProfileString(const std::string& Section, const std::string& Key,
                                            const std::string& Value, const std::string& FileName) {
  return profile::WritePrivateProfileString(Section, Key, Value, FileName);
}

std::string TX11Desktop::ToAnsi(const std::string& Utf8) {
  return posix::Utf8ToAnsi(Utf8);
}

std::string TX11Desktop::FromAnsi(const std::string& Ansi) {
  return posix::AnsiToUtf8(Ansi);
}

} // namespace platform::x11
