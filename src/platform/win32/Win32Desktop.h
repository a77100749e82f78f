// The desktop services on the Win32 API, with the calls and arguments the
// toolbar's logic names. Profile, mutex, sound and shell calls take the ANSI
// (A) functions; message boxes take UTF-16 so that captions show whatever the
// system's code page. ToAnsi/FromAnsi convert to and from Shift-JIS (code
// page 932), which the settings file is written in on any system.
//
// Implemented: every service of TDesktop. UI thread only.
#pragma once

#include "platform/Desktop.h"

#include <functional>

namespace platform::win32 {

class TWin32Desktop final : public TDesktop {
public:
  // Called with true before and false after a modal loop of our own (the
  // message box), so that the backend keeps the timers ticking meanwhile.
  std::function<void(bool)> ModalChanged;

  TPoint GetCursorPos() override;
  void MouseEvent(std::uint32_t Flags, std::int32_t X, std::int32_t Y, std::uint32_t Data,
                  std::uintptr_t ExtraInfo) override;
  void SendKeyInput(std::uint16_t Vk, std::uint16_t Scan, std::uint32_t Flags) override;
  std::uint32_t MapVirtualKey(std::uint32_t Code, std::uint32_t MapType) override;
  THandle GetForegroundWindow() override;
  void SetForegroundWindow(THandle Window) override;
  std::int16_t GetAsyncKeyState(int Vk) override;
  std::int16_t GetKeyState(int Vk) override;
  void Sleep(std::uint32_t Milliseconds) override;
  void PlaySound(const std::string& FileName) override;
  void ShellOpen(THandle Owner, const std::string& Verb, const std::string& Target,
                 int ShowCommand) override;
  bool CreateMutexAlreadyExists(const std::string& Name) override;
  std::string ExecutableName() override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  TRect DesktopRect() override;
  void MessageBox(const std::string& Caption, const std::string& Text,
                  std::uint32_t Flags) override;
  std::string ExpandEnvironmentStrings(const std::string& Source, std::size_t BufferSize) override;
  bool IsDirectory(const std::string& Path) override;
  bool CreateDir(const std::string& Path) override;
  std::string GetPrivateProfileString(const std::string& Section, const std::string& Key,
                                      const std::string& Default,
                                      const std::string& FileName) override;
  bool WritePrivateProfileString(const std::string& Section, const std::string& Key,
                                 const std::string& Value, const std::string& FileName) override;
  std::string ToAnsi(const std::string& Utf8) override;
  std::string FromAnsi(const std::string& Ansi) override;
};

// UTF-8 to UTF-16 and back, for the W functions.
std::wstring Widen(const std::string& Utf8);
std::string Narrow(const std::wstring& Wide);

} // namespace platform::win32
