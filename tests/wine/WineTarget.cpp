// A window for the end-to-end tests under Wine: it covers the top of the screen
// down to HEIGHT, where the resting spots are, and writes every mouse button and key it receives to
// a log file, one line each, flushed at once: "down L x y", "up R x y", "dblclk L x y", "move L x
// y" (motion while the left button is held), "key down 0x12", "syskey up 0x12". Coordinates are
// screen pixels.
//
// It leaves the rest of the screen to the toolbar: without a window manager,
// Wine raises an activated window above the topmost ones on the X side.
//
// Usage: WineTarget.exe HEIGHT LOGFILE
#include <windows.h>
#include <windowsx.h>

#include <cstdio>
#include <cstdlib>

namespace {

FILE* Log = nullptr;

void Write(const char* What, const char* Which, HWND Window, LPARAM LParam) {
  POINT P{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
  ClientToScreen(Window, &P);
  std::fprintf(Log, "%s %s %ld %ld\n", What, Which, P.x, P.y);
  std::fflush(Log);
}

void WriteKey(const char* What, WPARAM Key) {
  std::fprintf(Log, "%s 0x%02X\n", What, static_cast<unsigned>(Key));
  std::fflush(Log);
}

LRESULT CALLBACK Proc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
  case WM_LBUTTONDOWN:
    Write("down", "L", Window, LParam);
    return 0;
  case WM_LBUTTONUP:
    Write("up", "L", Window, LParam);
    return 0;
  case WM_LBUTTONDBLCLK:
    Write("dblclk", "L", Window, LParam);
    return 0;
  case WM_RBUTTONDOWN:
    Write("down", "R", Window, LParam);
    return 0;
  case WM_RBUTTONUP:
    Write("up", "R", Window, LParam);
    return 0;
  case WM_RBUTTONDBLCLK:
    Write("dblclk", "R", Window, LParam);
    return 0;
  case WM_MOUSEMOVE:
    if (WParam & MK_LBUTTON) Write("move", "L", Window, LParam);
    return 0;
  case WM_KEYDOWN:
    WriteKey("key down", WParam);
    return 0;
  case WM_KEYUP:
    WriteKey("key up", WParam);
    return 0;
  case WM_SYSKEYDOWN:
    WriteKey("syskey down", WParam);
    return 0;
  case WM_SYSKEYUP:
    // Not passed on: the system would enter menu mode on a lone Alt.
    WriteKey("syskey up", WParam);
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  default:
    return DefWindowProcW(Window, Msg, WParam, LParam);
  }
}

} // namespace

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR CommandLine, int) {
  char* Path = nullptr;
  const long Height = std::strtol(CommandLine, &Path, 10);
  while (*Path == ' ')
    ++Path;
  Log = std::fopen(Path, "w");
  if (!Log || Height <= 0) return 2;
  WNDCLASSW Class{};
  Class.style = CS_DBLCLKS;
  Class.lpfnWndProc = Proc;
  Class.hInstance = Instance;
  Class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  Class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  Class.lpszClassName = L"WineTarget";
  RegisterClassW(&Class);
  HWND Window = CreateWindowExW(0, L"WineTarget", L"WineTarget", WS_POPUP | WS_VISIBLE, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), static_cast<int>(Height), nullptr,
                                nullptr, Instance, nullptr);
  SetForegroundWindow(Window);
  std::fprintf(Log, "ready\n");
  std::fflush(Log);
  MSG Msg;
  while (GetMessageW(&Msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
  return 0;
}
