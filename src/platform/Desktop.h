// The operating-system services that the toolbar's logic calls, named after the
// Windows calls they stand for. One implementation per backend; the process uses
// one at a time, installed by the entry point. All calls come from the UI thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct TPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
};

// mouse_event flags the toolbar uses: absolute plus one button, never a move.
inline constexpr std::uint32_t MOUSEEVENTF_LEFTDOWN = 0x0002;
inline constexpr std::uint32_t MOUSEEVENTF_LEFTUP = 0x0004;
inline constexpr std::uint32_t MOUSEEVENTF_RIGHTDOWN = 0x0008;
inline constexpr std::uint32_t MOUSEEVENTF_RIGHTUP = 0x0010;
inline constexpr std::uint32_t MOUSEEVENTF_ABSOLUTE = 0x8000;
inline constexpr std::uint32_t KEYEVENTF_KEYUP = 0x0002;

inline constexpr std::uint16_t VK_LBUTTON = 0x01;
inline constexpr std::uint16_t VK_RBUTTON = 0x02;
inline constexpr std::uint16_t VK_TAB = 0x09;
inline constexpr std::uint16_t VK_RETURN = 0x0D;
inline constexpr std::uint16_t VK_MENU = 0x12;
inline constexpr std::uint16_t VK_SPACE = 0x20;

inline constexpr std::uint32_t MB_OK = 0x00;
inline constexpr std::uint32_t MB_ICONSTOP = 0x10;
inline constexpr std::uint32_t MB_ICONEXCLAMATION = 0x30;

inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;

// Opaque window identity for the foreground calls.
using THandle = std::uintptr_t;

class TDesktop {
public:
  virtual ~TDesktop() = default;

  // Pointer and injected input.
  virtual TPoint GetCursorPos() = 0;
  virtual void MouseEvent(std::uint32_t Flags, std::int32_t X, std::int32_t Y, std::uint32_t Data,
                          std::uintptr_t ExtraInfo) = 0;
  // One keyboard input record: virtual key, scan code, flags (0 or KEYEVENTF_KEYUP),
  // time stamp 0, extra information 0.
  virtual void SendKeyInput(std::uint16_t Vk, std::uint16_t Scan, std::uint32_t Flags) = 0;
  virtual std::uint32_t MapVirtualKey(std::uint32_t Code, std::uint32_t MapType) = 0;
  virtual THandle GetForegroundWindow() = 0;
  virtual void SetForegroundWindow(THandle Window) = 0;
  // Negative while the button or key is down (most significant bit of 16 set).
  virtual std::int16_t GetAsyncKeyState(int Vk) = 0;
  // The state recorded for the message being handled: -127 or -128 while down.
  virtual std::int16_t GetKeyState(int Vk) = 0;

  // Blocking calls: the UI thread waits.
  virtual void Sleep(std::uint32_t Milliseconds) = 0;
  // Plays the named wave file synchronously; the system's default sound when missing.
  virtual void PlaySound(const std::string& FileName) = 0;

  // Shell, process and screen.
  virtual void ShellOpen(THandle Owner, const std::string& Verb, const std::string& Target,
                         int ShowCommand) = 0;
  // Creates or opens the process-lifetime single-instance guard; true when another
  // copy already holds the name.
  virtual bool CreateMutexAlreadyExists(const std::string& Name) = 0;
  // The executable's file name without its folder.
  virtual std::string ExecutableName() = 0;
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;
  virtual TRect DesktopRect() = 0;
  // Message box with an OK button; returns when it has been answered.
  virtual void MessageBox(const std::string& Caption, const std::string& Text,
                          std::uint32_t Flags) = 0;

  // Files and settings. Paths and profile strings are bytes in the ANSI code page
  // (Shift-JIS); UI strings elsewhere are UTF-8.
  // Expands %NAME% references (a path in Windows form: POSIX backends also turn
  // "\\" into "/"). When the result would not fit in BufferSize bytes with its
  // terminator, nothing is expanded, so the path names no existing folder.
  virtual std::string ExpandEnvironmentStrings(const std::string& Source,
                                               std::size_t BufferSize) = 0;
  virtual bool IsDirectory(const std::string& Path) = 0;
  virtual bool CreateDir(const std::string& Path) = 0;
  virtual std::string GetPrivateProfileString(const std::string& Section, const std::string& Key,
                                              const std::string& Default,
                                              const std::string& FileName) = 0;
  virtual bool WritePrivateProfileString(const std::string& Section, const std::string& Key,
                                         const std::string& Value, const std::string& FileName) = 0;
  // Observation point for recorders: a load or save of the settings ended with
  // the file written (true) or refused (false).
  virtual void NoteSettingsWritten(bool Ok) { (void)Ok; }
  // A path as the file functions take it, in UTF-8 for messages. Windows paths
  // are in the ANSI code page; POSIX paths are the file system's own bytes.
  virtual std::string PathToUtf8(const std::string& Path) { return FromAnsi(Path); }
  // Conversions between UTF-8 and the ANSI code page (Shift-JIS).
  virtual std::string ToAnsi(const std::string& Utf8) = 0;
  virtual std::string FromAnsi(const std::string& Ansi) = 0;
};

// The services of this process; installed once by the entry point or a test.
TDesktop& Desktop();
void SetDesktop(TDesktop* Services);

} // namespace platform
