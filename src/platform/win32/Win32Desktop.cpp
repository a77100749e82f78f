#include "platform/win32/Win32Desktop.h"

// After our headers: they name constants that <windows.h> defines as macros.
#include "platform/win32/WinApi.h"

#include <vector>

namespace platform::win32 {

namespace {

constexpr UINT ShiftJis = 932;

std::wstring ToWide(UINT CodePage, const std::string& Text) {
  if (Text.empty()) return {};
  const int Size =
      MultiByteToWideChar(CodePage, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
  std::wstring Out(static_cast<std::size_t>(Size), L'\0');
  MultiByteToWideChar(CodePage, 0, Text.data(), static_cast<int>(Text.size()), Out.data(), Size);
  return Out;
}

std::string FromWide(UINT CodePage, const std::wstring& Text) {
  if (Text.empty()) return {};
  const int Size = WideCharToMultiByte(CodePage, 0, Text.data(), static_cast<int>(Text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string Out(static_cast<std::size_t>(Size), '\0');
  WideCharToMultiByte(CodePage, 0, Text.data(), static_cast<int>(Text.size()), Out.data(), Size,
                      nullptr, nullptr);
  return Out;
}

} // namespace

std::wstring Widen(const std::string& Utf8) {
  return ToWide(CP_UTF8, Utf8);
}

std::string Narrow(const std::wstring& Wide) {
  return FromWide(CP_UTF8, Wide);
}

TPoint TWin32Desktop::GetCursorPos() {
  POINT P{};
  ::GetCursorPos(&P);
  return {P.x, P.y};
}

void TWin32Desktop::MouseEvent(std::uint32_t Flags, std::int32_t X, std::int32_t Y,
                               std::uint32_t Data, std::uintptr_t ExtraInfo) {
  ::mouse_event(Flags, static_cast<DWORD>(X), static_cast<DWORD>(Y), Data, ExtraInfo);
}

void TWin32Desktop::SendKeyInput(std::uint16_t Vk, std::uint16_t Scan, std::uint32_t Flags) {
  INPUT Input{};
  Input.type = INPUT_KEYBOARD;
  Input.ki.wVk = Vk;
  Input.ki.wScan = Scan;
  Input.ki.dwFlags = Flags;
  // The record's own size: 40 bytes on x64 (28 only on 32-bit), or nothing is sent.
  ::SendInput(1, &Input, sizeof(INPUT));
}

std::uint32_t TWin32Desktop::MapVirtualKey(std::uint32_t Code, std::uint32_t MapType) {
  return ::MapVirtualKeyA(Code, MapType);
}

THandle TWin32Desktop::GetForegroundWindow() {
  return reinterpret_cast<THandle>(::GetForegroundWindow());
}

void TWin32Desktop::SetForegroundWindow(THandle Window) {
  ::SetForegroundWindow(reinterpret_cast<HWND>(Window));
}

std::int16_t TWin32Desktop::GetAsyncKeyState(int Vk) {
  return static_cast<std::int16_t>(::GetAsyncKeyState(Vk));
}

std::int16_t TWin32Desktop::GetKeyState(int Vk) {
  return static_cast<std::int16_t>(::GetKeyState(Vk));
}

void TWin32Desktop::Sleep(std::uint32_t Milliseconds) {
  ::Sleep(Milliseconds);
}

void TWin32Desktop::PlaySound(const std::string& FileName) {
  ::PlaySoundA(ToAnsi(FileName).c_str(), nullptr, 0);
}

void TWin32Desktop::ShellOpen(THandle Owner, const std::string& Verb, const std::string& Target,
                              int ShowCommand) {
  ::ShellExecuteA(reinterpret_cast<HWND>(Owner), ToAnsi(Verb).c_str(), ToAnsi(Target).c_str(),
                  nullptr, nullptr, ShowCommand);
}

bool TWin32Desktop::CreateMutexAlreadyExists(const std::string& Name) {
  // The handle stays open for the life of the process: it is the guard.
  ::CreateMutexA(nullptr, FALSE, ToAnsi(Name).c_str());
  return ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string TWin32Desktop::ExecutableName() {
  std::vector<wchar_t> Path(MAX_PATH);
  for (;;) {
    const DWORD Length =
        ::GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
    if (Length < Path.size()) {
      std::wstring Full(Path.data(), Length);
      const auto Slash = Full.find_last_of(L"\\/:");
      return Narrow(Slash == std::wstring::npos ? Full : Full.substr(Slash + 1));
    }
    Path.resize(Path.size() * 2);
  }
}

int TWin32Desktop::ScreenWidth() {
  return ::GetSystemMetrics(SM_CXSCREEN);
}

int TWin32Desktop::ScreenHeight() {
  return ::GetSystemMetrics(SM_CYSCREEN);
}

TRect TWin32Desktop::DesktopRect() {
  RECT R{};
  ::GetWindowRect(::GetDesktopWindow(), &R);
  return {R.left, R.top, R.right, R.bottom};
}

void TWin32Desktop::MessageBox(const std::string& Caption, const std::string& Text,
                               std::uint32_t Flags) {
  if (ModalChanged) ModalChanged(true);
  ::MessageBoxW(::GetActiveWindow(), Widen(Text).c_str(), Widen(Caption).c_str(), Flags);
  if (ModalChanged) ModalChanged(false);
}

std::string TWin32Desktop::ExpandEnvironmentStrings(const std::string& Source,
                                                    std::size_t BufferSize) {
  std::vector<char> Buffer(BufferSize + 1, '\0');
  const DWORD Needed =
      ::ExpandEnvironmentStringsA(Source.c_str(), Buffer.data(), static_cast<DWORD>(BufferSize));
  // A result that does not fit leaves the buffer undefined: keep the path unexpanded.
  if (Needed == 0 || Needed > BufferSize) return Source;
  return Buffer.data();
}

bool TWin32Desktop::IsDirectory(const std::string& Path) {
  // The path comes from an A function, so it is in the system's code page.
  WIN32_FIND_DATAW Data{};
  const HANDLE Find = ::FindFirstFileW(ToWide(CP_ACP, Path).c_str(), &Data);
  if (Find == INVALID_HANDLE_VALUE) return false;
  ::FindClose(Find);
  return (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool TWin32Desktop::CreateDir(const std::string& Path) {
  return ::CreateDirectoryA(Path.c_str(), nullptr) != FALSE;
}

std::string TWin32Desktop::GetPrivateProfileString(const std::string& Section,
                                                   const std::string& Key,
                                                   const std::string& Default,
                                                   const std::string& FileName) {
  char Buffer[2048];
  const DWORD Length = ::GetPrivateProfileStringA(Section.c_str(), Key.c_str(), Default.c_str(),
                                                  Buffer, sizeof Buffer, FileName.c_str());
  return std::string(Buffer, Length);
}

bool TWin32Desktop::WritePrivateProfileString(const std::string& Section, const std::string& Key,
                                              const std::string& Value,
                                              const std::string& FileName) {
  return ::WritePrivateProfileStringA(Section.c_str(), Key.c_str(), Value.c_str(),
                                      FileName.c_str()) != FALSE;
}

std::string TWin32Desktop::ToAnsi(const std::string& Utf8) {
  return FromWide(ShiftJis, Widen(Utf8));
}

std::string TWin32Desktop::FromAnsi(const std::string& Ansi) {
  return Narrow(ToWide(ShiftJis, Ansi));
}

} // namespace platform::win32
