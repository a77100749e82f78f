// A deterministic desktop for behaviour tests: a virtual clock, a pointer and
// mouse buttons that change only when the test says so, and a recorder that
// prints every injected event, sleep, sound, shell call, message box, settings
// write and window move with its virtual time. Sleep and sounds advance the
// clock. Files are real, resolved against the simulated current folder.
//
// Implemented: the desktop services and the widget layer's backend (clock,
// loop driven by the test, position changes of forms).
#pragma once

#include "platform/Desktop.h"
#include "ui/Backend.h"
#include "ui/Control.h"

#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>

namespace platform::sim {

struct TSimConfig {
  int ScreenWidth = 1280;
  int ScreenHeight = 1024;
  std::map<std::string, std::string> Environment;
  std::string CurrentDirectory;
  TPoint Pointer;
  std::uint32_t SoundMilliseconds = 0;
  bool OtherInstance = false;
};

class TSimDesktop final : public TDesktop, public ui::TBackend {
public:
  TSimDesktop(TSimConfig Config, std::ostream& Trace);

  // Runs one step of the test's script; false when the script has no more.
  std::function<bool()> Step;

  // Test-side controls.
  std::int64_t Clock() const { return FNow; }
  void Advance(std::int64_t Milliseconds) { FNow += Milliseconds; }
  void SetPointer(TPoint P) { FConfig.Pointer = P; }
  void SetButton(int Vk, bool Down);
  void Print(const std::string& Line);

  // TDesktop
  TPoint GetCursorPos() override { return FConfig.Pointer; }
  void MouseEvent(std::uint32_t Flags, std::int32_t X, std::int32_t Y, std::uint32_t Data,
                  std::uintptr_t ExtraInfo) override;
  void SendKeyInput(std::uint16_t Vk, std::uint16_t Scan, std::uint32_t Flags) override;
  std::uint32_t MapVirtualKey(std::uint32_t Code, std::uint32_t MapType) override;
  THandle GetForegroundWindow() override { return FForeground; }
  void SetForegroundWindow(THandle Window) override { FForeground = Window; }
  std::int16_t GetAsyncKeyState(int Vk) override;
  std::int16_t GetKeyState(int Vk) override;
  void Sleep(std::uint32_t Milliseconds) override;
  void PlaySound(const std::string& FileName) override;
  void ShellOpen(THandle Owner, const std::string& Verb, const std::string& Target,
                 int ShowCommand) override;
  bool CreateMutexAlreadyExists(const std::string& Name) override;
  std::string ExecutableName() override { return "TazuClick"; }
  int ScreenWidth() override { return FConfig.ScreenWidth; }
  int ScreenHeight() override { return FConfig.ScreenHeight; }
  TRect DesktopRect() override { return {0, 0, FConfig.ScreenWidth, FConfig.ScreenHeight}; }
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
  void NoteSettingsWritten(bool Ok) override;
  std::string ToAnsi(const std::string& Utf8) override;
  std::string FromAnsi(const std::string& Ansi) override;
  std::string PathToUtf8(const std::string& Path) override { return Path; }

  // ui::TBackend
  std::int64_t Now() override { return FNow; }
  void RunLoop(ui::TApplication& App) override;
  void ControlChanged(ui::TControl& Control) override;

private:
  std::string Resolve(const std::string& Path) const;

  TSimConfig FConfig;
  std::ostream& FTrace;
  std::int64_t FNow = 0;
  THandle FForeground = 0x10010;
  std::map<int, bool> FDown;
  std::map<int, bool> FToggled;
  bool FMutexTaken = false;
  std::map<const ui::TControl*, TPoint> FPositions;
};

// Text in double quotes with " and \ escaped, as the trace prints it.
std::string Quote(const std::string& Text);

} // namespace platform::sim
