// The desktop services on X11. Implemented: pointer position (XQueryPointer),
// injected left and right buttons and Alt_L (XTest), button state, the primary
// output's size (RandR, else the screen), synchronous sound (libcanberra),
// "open" through xdg-open, the single-instance flock, profile files, Shift-JIS
// and %APPDATA% expansion with the process environment. Message boxes belong
// to the toolkit and come in through OnMessageBox.
//
// Paths stay in the file system's own bytes: the "ANSI" strings of paths are
// passed through unconverted, as the simulated desktop does.
//
// Owns its own Xlib connection (the toolkit keeps its own); UI thread only.
#pragma once

#include "platform/Desktop.h"

#include <functional>
#include <memory>
#include <string>

namespace platform::x11 {

class TX11Desktop final : public TDesktop {
public:
  // Opens the display named by DISPLAY; throws std::runtime_error without one.
  TX11Desktop();
  ~TX11Desktop() override;

  std::function<void(const std::string& Caption, const std::string& Text, std::uint32_t Flags)>
      OnMessageBox;

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
  std::string PathToUtf8(const std::string& Path) override { return Path; }

private:
  struct TImpl;
  std::unique_ptr<TImpl> F;
};

// The folder of the running executable, without a trailing slash.
std::string ExecutableFolder();

} // namespace platform::x11
