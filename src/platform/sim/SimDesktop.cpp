#include "platform/sim/SimDesktop.h"

#include "platform/posix/AnsiCodec.h"
#include "platform/posix/Paths.h"
#include "platform/profile/ProfileFile.h"
#include "ui/Application.h"
#include "ui/Form.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace platform::sim {

namespace fs = std::filesystem;

std::string Quote(const std::string& Text) {
  std::string Out = "\"";
  for (char C : Text) {
    if (C == '"' || C == '\\') Out += '\\';
    Out += C;
  }
  return Out + "\"";
}

TSimDesktop::TSimDesktop(TSimConfig Config, std::ostream& Trace)
    : FConfig(std::move(Config)), FTrace(Trace) {}

void TSimDesktop::Print(const std::string& Line) {
  FTrace << FNow << ' ' << Line << '\n';
}

void TSimDesktop::SetButton(int Vk, bool Down) {
  if (Down && !FDown[Vk]) FToggled[Vk] = !FToggled[Vk];
  FDown[Vk] = Down;
}

void TSimDesktop::MouseEvent(std::uint32_t Flags, std::int32_t X, std::int32_t Y, std::uint32_t,
                             std::uintptr_t) {
  char Text[64];
  std::snprintf(Text, sizeof Text, "mouse_event 0x%04X %d %d", static_cast<unsigned>(Flags), X, Y);
  Print(Text);
}

void TSimDesktop::SendKeyInput(std::uint16_t Vk, std::uint16_t, std::uint32_t Flags) {
  char Text[64];
  std::snprintf(Text, sizeof Text, "key 0x%02X %s", static_cast<unsigned>(Vk),
                (Flags & KEYEVENTF_KEYUP) ? "up" : "down");
  Print(Text);
}

std::uint32_t TSimDesktop::MapVirtualKey(std::uint32_t Code, std::uint32_t) {
  return Code == VK_MENU ? 0x38 : 0;
}

std::int16_t TSimDesktop::GetAsyncKeyState(int Vk) {
  return FDown[Vk] ? static_cast<std::int16_t>(-32768) : 0;
}

std::int16_t TSimDesktop::GetKeyState(int Vk) {
  const int Toggle = FToggled[Vk] ? 1 : 0;
  return static_cast<std::int16_t>(FDown[Vk] ? -128 + Toggle : Toggle);
}

void TSimDesktop::Sleep(std::uint32_t Milliseconds) {
  Print("sleep " + std::to_string(Milliseconds));
  FNow += Milliseconds;
}

void TSimDesktop::PlaySound(const std::string& FileName) {
  Print("sound " + Quote(FileName));
  FNow += FConfig.SoundMilliseconds;
}

void TSimDesktop::ShellOpen(THandle, const std::string& Verb, const std::string& Target,
                            int ShowCommand) {
  Print("shell " + Quote(Verb) + " " + Quote(Target) + " " + std::to_string(ShowCommand));
}

bool TSimDesktop::CreateMutexAlreadyExists(const std::string&) {
  const bool Exists = FConfig.OtherInstance || FMutexTaken;
  FMutexTaken = true;
  return Exists;
}

void TSimDesktop::MessageBox(const std::string& Caption, const std::string& Text, std::uint32_t) {
  Print("msgbox " + Quote(Caption) + " " + Quote(Text));
}

std::string TSimDesktop::ExpandEnvironmentStrings(const std::string& Source,
                                                  std::size_t BufferSize) {
  return posix::ExpandEnvironmentStrings(
      Source, BufferSize, [this](const std::string& Name) -> std::optional<std::string> {
        auto It = FConfig.Environment.find(Name);
        if (It == FConfig.Environment.end()) return std::nullopt;
        return It->second;
      });
}

std::string TSimDesktop::Resolve(const std::string& Path) const {
  const fs::path P(Path);
  if (P.is_absolute() || FConfig.CurrentDirectory.empty()) return Path;
  return (fs::path(FConfig.CurrentDirectory) / P).string();
}

bool TSimDesktop::IsDirectory(const std::string& Path) {
  std::error_code Error;
  return !Path.empty() && fs::is_directory(Resolve(Path), Error);
}

bool TSimDesktop::CreateDir(const std::string& Path) {
  std::error_code Error;
  return !Path.empty() && fs::create_directory(Resolve(Path), Error);
}

std::string TSimDesktop::GetPrivateProfileString(const std::string& Section, const std::string& Key,
                                                 const std::string& Default,
                                                 const std::string& FileName) {
  return profile::GetPrivateProfileString(Section, Key, Default, Resolve(FileName));
}

bool TSimDesktop::WritePrivateProfileString(const std::string& Section, const std::string& Key,
                                            const std::string& Value, const std::string& FileName) {
  return profile::WritePrivateProfileString(Section, Key, Value, Resolve(FileName));
}

void TSimDesktop::NoteSettingsWritten(bool Ok) {
  Print(Ok ? "save ok" : "save failed");
}

std::string TSimDesktop::ToAnsi(const std::string& Utf8) {
  return posix::Utf8ToAnsi(Utf8);
}

std::string TSimDesktop::FromAnsi(const std::string& Ansi) {
  return posix::AnsiToUtf8(Ansi);
}

void TSimDesktop::RunLoop(ui::TApplication& App) {
  App.Idle();
  while (!App.Terminated() && Step && Step()) {
  }
}

void TSimDesktop::ControlChanged(ui::TControl& Control) {
  auto* Form = dynamic_cast<ui::TForm*>(&Control);
  if (!Form) return;
  const TPoint Position{Form->Left(), Form->Top()};
  auto [It, Inserted] = FPositions.try_emplace(Form, Position);
  // The layout's own placement is where the window starts, not a move.
  if (Inserted || Form->Loading() || It->second == Position) {
    It->second = Position;
    return;
  }
  It->second = Position;
  Print("moved " + std::to_string(Position.x) + " " + std::to_string(Position.y));
}

} // namespace platform::sim
