// Looks at the Wine desktop from inside, for the end-to-end tests. Prints in
// UTF-8 on standard output; exit code 0 when it found what it looked for.
//
//   WineProbe.exe toolbar              "LEFT TOP RIGHT BOTTOM" of the toolbar window
//   WineProbe.exe press-ok MILLISECONDS
//       waits for a message box, prints "CAPTION\nTEXT", and presses its OK
//       button, as a user would: the program shows what users get.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Utf8(const std::wstring& Text) {
  const int Size = WideCharToMultiByte(CP_UTF8, 0, Text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string Out(static_cast<std::size_t>(Size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Text.c_str(), -1, Out.data(), Size, nullptr, nullptr);
  Out.resize(static_cast<std::size_t>(Size > 0 ? Size - 1 : 0));
  return Out;
}

std::wstring TextOf(HWND Window) {
  wchar_t Buffer[1024] = {};
  GetWindowTextW(Window, Buffer, 1024);
  return Buffer;
}

BOOL CALLBACK FindStatic(HWND Child, LPARAM Found) {
  wchar_t Class[64] = {};
  GetClassNameW(Child, Class, 64);
  if (lstrcmpiW(Class, L"Static") == 0 && GetWindowTextLengthW(Child) > 0) {
    *reinterpret_cast<HWND*>(Found) = Child;
    return FALSE;
  }
  return TRUE;
}

int Toolbar() {
  HWND Window = FindWindowW(L"TForm", L"TazuClickForm");
  if (!Window) return 1;
  RECT R{};
  GetWindowRect(Window, &R);
  std::printf("%ld %ld %ld %ld\n", R.left, R.top, R.right, R.bottom);
  return 0;
}

int PressOk(DWORD Milliseconds) {
  const DWORD Start = GetTickCount();
  for (;;) {
    // Shown and filled in: the box is created before its texts are set.
    HWND Box = FindWindowW(L"#32770", nullptr);
    HWND Text = nullptr;
    if (Box && IsWindowVisible(Box))
      EnumChildWindows(Box, FindStatic, reinterpret_cast<LPARAM>(&Text));
    if (Text && GetWindowTextLengthW(Box) > 0) {
      std::printf("%s\n%s\n", Utf8(TextOf(Box)).c_str(), Utf8(TextOf(Text)).c_str());
      std::fflush(stdout);
      if (HWND Ok = GetDlgItem(Box, IDOK))
        SendMessageW(Ok, BM_CLICK, 0, 0);
      else
        PostMessageW(Box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    if (GetTickCount() - Start > Milliseconds) return 1;
    Sleep(50);
  }
}

} // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "toolbar") == 0) return Toolbar();
  if (argc >= 3 && std::strcmp(argv[1], "press-ok") == 0)
    return PressOk(static_cast<DWORD>(std::atol(argv[2])));
  std::fprintf(stderr, "usage: WineProbe.exe toolbar | press-ok MILLISECONDS\n");
  return 2;
}
