#include "XSession.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

Display* Dpy(void* P) {
  return static_cast<Display*>(P);
}

int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

std::vector<std::string> SessionEnvironment(const std::string& Folder,
                                            const std::string& DisplayName) {
  std::vector<std::string> Out;
  const std::vector<std::string> Replaced = {"DISPLAY",
                                             "HOME",
                                             "XDG_CONFIG_HOME",
                                             "XDG_RUNTIME_DIR",
                                             "APPDATA",
                                             "WAYLAND_DISPLAY",
                                             "DBUS_SESSION_BUS_ADDRESS",
                                             "QT_QPA_PLATFORM",
                                             "LSAN_OPTIONS"};
  for (char** E = environ; *E; ++E) {
    const std::string Entry = *E;
    const std::string Name = Entry.substr(0, Entry.find('='));
    bool Skip = false;
    for (const auto& R : Replaced)
      Skip |= Name == R;
    if (!Skip) Out.push_back(Entry);
  }
  Out.push_back("DISPLAY=" + DisplayName);
  Out.push_back("HOME=" + Folder + "/home");
  Out.push_back("XDG_CONFIG_HOME=" + Folder + "/config");
  Out.push_back("XDG_RUNTIME_DIR=" + Folder + "/runtime");
  Out.push_back("QT_QPA_PLATFORM=xcb");
  // Libraries outside our code keep a few allocations to the end.
  Out.push_back(std::string("LSAN_OPTIONS=suppressions=") + TAZU_E2E_DIR + "/lsan.supp");
  return Out;
}

pid_t SpawnWith(const std::vector<std::string>& Argv, const std::vector<std::string>& Env,
                const std::string& LogPath, int KeepFd = -1) {
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&Actions, 1, LogPath.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0644);
  posix_spawn_file_actions_adddup2(&Actions, 1, 2);
  if (KeepFd >= 0 && KeepFd != 3) posix_spawn_file_actions_adddup2(&Actions, KeepFd, 3);
  posix_spawnattr_t Attr;
  posix_spawnattr_init(&Attr);
  // Its own process group, so a terminal's signals reach it only through us.
  posix_spawnattr_setflags(&Attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&Attr, 0);
  std::vector<char*> A, E;
  for (const auto& S : Argv)
    A.push_back(const_cast<char*>(S.c_str()));
  A.push_back(nullptr);
  for (const auto& S : Env)
    E.push_back(const_cast<char*>(S.c_str()));
  E.push_back(nullptr);
  pid_t Pid = -1;
  const int Error = posix_spawnp(&Pid, A[0], &Actions, &Attr, A.data(), E.data());
  posix_spawn_file_actions_destroy(&Actions);
  posix_spawnattr_destroy(&Attr);
  if (Error != 0) throw std::runtime_error("cannot start " + Argv[0] + ": " + std::strerror(Error));
  return Pid;
}

} // namespace

bool WaitFor(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout) {
  const auto End = std::chrono::steady_clock::now() + Timeout;
  for (;;) {
    if (Condition()) return true;
    if (std::chrono::steady_clock::now() >= End) return false;
    std::this_thread::sleep_for(20ms);
  }
}

std::string ReadFile(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::ostringstream Out;
  Out << In.rdbuf();
  return Out.str();
}

std::vector<std::string> ReadLines(const std::string& Path) {
  std::vector<std::string> Lines;
  std::istringstream In(ReadFile(Path));
  for (std::string L; std::getline(In, L);)
    if (!L.empty()) Lines.push_back(L);
  return Lines;
}

TXSession::TXSession(int Width, int Height) {
  std::string Template = (fs::temp_directory_path() / "tazu-e2e-XXXXXX").string();
  if (!::mkdtemp(Template.data())) throw std::runtime_error("cannot create a temporary folder");
  FFolder = Template;
  fs::create_directories(FFolder + "/home");
  fs::create_directories(FFolder + "/config");
  fs::create_directories(FFolder + "/runtime");
  fs::permissions(FFolder + "/runtime", fs::perms::owner_all);

  int Pipe[2];
  if (::pipe(Pipe) != 0) throw std::runtime_error("pipe");
  ::fcntl(Pipe[0], F_SETFD, FD_CLOEXEC);
  const std::string Screen = std::to_string(Width) + "x" + std::to_string(Height) + "x24";
  FServer =
      SpawnWith({"Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "-screen", "0", Screen},
                SessionEnvironment(FFolder, ""), FFolder + "/xvfb.log", Pipe[1]);
  ::close(Pipe[1]);
  std::string Number;
  const auto End = std::chrono::steady_clock::now() + 15s;
  while (std::chrono::steady_clock::now() < End) {
    pollfd P{Pipe[0], POLLIN, 0};
    if (::poll(&P, 1, 100) <= 0) continue;
    char C;
    const ssize_t N = ::read(Pipe[0], &C, 1);
    if (N <= 0 || C == '\n') break;
    Number += C;
  }
  ::close(Pipe[0]);
  if (Number.empty()) {
    Stop(FServer);
    throw std::runtime_error("Xvfb did not start: " + ReadFile(FFolder + "/xvfb.log"));
  }
  FDisplayName = ":" + Number;
  XSetErrorHandler(IgnoreErrors);
  FDisplay = XOpenDisplay(FDisplayName.c_str());
  if (!FDisplay) throw std::runtime_error("cannot open " + FDisplayName);
}

TXSession::~TXSession() {
  for (auto It = FChildren.rbegin(); It != FChildren.rend(); ++It)
    Stop(*It);
  if (FDisplay) XCloseDisplay(Dpy(FDisplay));
  Stop(FServer);
  std::error_code Error;
  if (!std::getenv("TAZU_E2E_KEEP")) fs::remove_all(FFolder, Error);
}

pid_t TXSession::Start(const std::vector<std::string>& Argv, const std::string& LogName,
                       const std::vector<std::string>& ExtraEnvironment) {
  auto Env = SessionEnvironment(FFolder, FDisplayName);
  Env.insert(Env.end(), ExtraEnvironment.begin(), ExtraEnvironment.end());
  const pid_t Pid = SpawnWith(Argv, Env, FFolder + "/" + LogName);
  FChildren.push_back(Pid);
  return Pid;
}

std::optional<int> TXSession::WaitExit(pid_t Pid, std::chrono::milliseconds Timeout) {
  std::optional<int> Result;
  WaitFor(
      [&] {
        int ExitState = 0;
        if (::waitpid(Pid, &ExitState, WNOHANG) == Pid) Result = ExitState;
        return Result.has_value();
      },
      Timeout);
  if (Result) std::erase(FChildren, Pid);
  return Result;
}

bool TXSession::Running(pid_t Pid) {
  int ExitState = 0;
  return ::waitpid(Pid, &ExitState, WNOHANG) == 0;
}

void TXSession::Stop(pid_t Pid) {
  if (Pid <= 0 || !Running(Pid)) return;
  ::kill(Pid, SIGTERM);
  if (!WaitExit(Pid, 3s)) {
    ::kill(Pid, SIGKILL);
    WaitExit(Pid, 3s);
  }
  std::erase(FChildren, Pid);
}

void TXSession::Xdo(const std::vector<std::string>& Args) {
  std::vector<std::string> Argv = {"xdotool"};
  Argv.insert(Argv.end(), Args.begin(), Args.end());
  const pid_t Pid =
      SpawnWith(Argv, SessionEnvironment(FFolder, FDisplayName), FFolder + "/xdotool.log");
  if (!WaitExit(Pid, 10s)) {
    ::kill(Pid, SIGKILL);
    WaitExit(Pid, 2s);
    throw std::runtime_error("xdotool did not finish");
  }
}

namespace {

std::string WindowTitle(Display* D, Window W) {
  const Atom NetName = XInternAtom(D, "_NET_WM_NAME", False);
  const Atom Utf8 = XInternAtom(D, "UTF8_STRING", False);
  Atom Type;
  int Format;
  unsigned long Count, After;
  unsigned char* Data = nullptr;
  std::string Out;
  if (XGetWindowProperty(D, W, NetName, 0, 1024, False, Utf8, &Type, &Format, &Count, &After,
                         &Data) == Success &&
      Data) {
    Out.assign(reinterpret_cast<char*>(Data), Count);
    XFree(Data);
  }
  if (Out.empty()) {
    char* Name = nullptr;
    if (XFetchName(D, W, &Name) && Name) {
      Out = Name;
      XFree(Name);
    }
  }
  return Out;
}

} // namespace

std::vector<std::uintptr_t> TXSession::Stacking() {
  Display* D = Dpy(FDisplay);
  Window Root, Parent, *Children = nullptr;
  unsigned Count = 0;
  std::vector<std::uintptr_t> Out;
  if (!XQueryTree(D, DefaultRootWindow(D), &Root, &Parent, &Children, &Count)) return Out;
  for (unsigned I = 0; I < Count; ++I) {
    XWindowAttributes A;
    if (XGetWindowAttributes(D, Children[I], &A) && A.map_state == IsViewable &&
        !A.override_redirect)
      Out.push_back(Children[I]);
  }
  if (Children) XFree(Children);
  return Out;
}

std::uintptr_t TXSession::FindWindow(const std::string& Title) {
  Display* D = Dpy(FDisplay);
  for (std::uintptr_t W : Stacking())
    if (WindowTitle(D, W) == Title) return W;
  return 0;
}

TGeometry TXSession::Geometry(std::uintptr_t W) {
  XWindowAttributes A{};
  XGetWindowAttributes(Dpy(FDisplay), W, &A);
  return {A.x, A.y, A.width, A.height};
}

bool TXSession::Viewable(std::uintptr_t W) {
  XWindowAttributes A{};
  return XGetWindowAttributes(Dpy(FDisplay), W, &A) && A.map_state == IsViewable;
}

std::uintptr_t TXSession::Focus() {
  Window W = 0;
  int Revert = 0;
  XGetInputFocus(Dpy(FDisplay), &W, &Revert);
  return W;
}

std::uint32_t TXSession::Pixel(int X, int Y) {
  Display* D = Dpy(FDisplay);
  XImage* Image = XGetImage(D, DefaultRootWindow(D), X, Y, 1, 1, AllPlanes, ZPixmap);
  if (!Image) return 0xFFFFFFFF;
  const unsigned long P = XGetPixel(Image, 0, 0);
  XDestroyImage(Image);
  return static_cast<std::uint32_t>(P & 0xFFFFFF); // Xvfb's 24-bit TrueColor is 0xRRGGBB
}

} // namespace e2e
