#include "Scenario.h"

#include "TazuClickMain.h"
#include "core/Clickmain.h"
#include "platform/sim/SimDesktop.h"
#include "ui/Application.h"
#include "ui/Timer.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using platform::sim::Quote;
using platform::sim::TSimConfig;
using platform::sim::TSimDesktop;

struct TCommand {
  int Line = 0;
  std::string Name;
  std::vector<std::string> Args;
  std::string Rest; // everything after the first argument, for env values
};

class EMalformed : public std::runtime_error {
public:
  EMalformed(int Line, const std::string& What)
      : std::runtime_error("line " + std::to_string(Line) + ": " + What) {}
};

const std::set<std::string> SetupCommands = {"screen",  "env",      "cwd",
                                             "pointer", "sound-ms", "other-instance"};
const std::set<std::string> MenuItems = {"Time05", "Time1", "Time2", "Time3", "Time4",  "Time5",
                                         "Time6",  "Time7", "Time8", "Time9", "Oikake", "Sound",
                                         "Hyouji", "Web",   "Help1", "ON",    "OFF",    "Ver"};

int Number(const TCommand& C, std::size_t Index, bool AllowNegative) {
  const std::string& Text = C.Args.at(Index);
  int Value = 0;
  auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
  if (Error != std::errc() || End != Text.data() + Text.size() || (!AllowNegative && Value < 0))
    throw EMalformed(C.Line, "'" + Text + "' is not a valid number for '" + C.Name + "'");
  return Value;
}

std::vector<TCommand> Parse(std::istream& In) {
  std::vector<TCommand> Commands;
  std::string Text;
  bool Started = false;
  for (int Line = 1; std::getline(In, Text); ++Line) {
    if (!Text.empty() && Text.back() == '\r') Text.pop_back();
    std::istringstream Words(Text);
    TCommand C{Line, {}, {}, {}};
    if (!(Words >> C.Name) || C.Name[0] == '#') continue;
    for (std::string W; Words >> W;)
      C.Args.push_back(W);
    if (C.Args.size() >= 2) {
      const auto After = Text.find(C.Args[0], Text.find(C.Name) + C.Name.size());
      C.Rest = Text.substr(After + C.Args[0].size());
      C.Rest.erase(0, C.Rest.find_first_not_of(" \t"));
    }
    auto Want = [&](std::size_t Count) {
      if (C.Args.size() != Count)
        throw EMalformed(Line, "'" + C.Name + "' takes " + std::to_string(Count) + " argument" +
                                   (Count == 1 ? "" : "s"));
    };
    const bool Setup = SetupCommands.count(C.Name) > 0;
    if (Setup && Started) throw EMalformed(Line, "'" + C.Name + "' must come before 'start'");
    if (C.Name == "screen" || C.Name == "pointer" || C.Name == "move") {
      Want(2);
      Number(C, 0, C.Name != "screen");
      Number(C, 1, C.Name != "screen");
    } else if (C.Name == "env") {
      if (C.Args.empty()) throw EMalformed(Line, "'env' needs a variable name");
    } else if (C.Name == "cwd") {
      if (C.Args.empty()) throw EMalformed(Line, "'cwd' needs a folder");
      C.Rest = Text.substr(Text.find(C.Args[0]));
    } else if (C.Name == "sound-ms" || C.Name == "wait") {
      Want(1);
      Number(C, 0, false);
    } else if (C.Name == "other-instance" || C.Name == "close" || C.Name == "dump" ||
               C.Name == "end") {
      Want(0);
    } else if (C.Name == "start") {
      Want(0);
      if (Started) throw EMalformed(Line, "'start' given twice");
      Started = true;
    } else if (C.Name == "press" || C.Name == "release") {
      Want(1);
      if (C.Args[0] != "left" && C.Args[0] != "right")
        throw EMalformed(Line, "'" + C.Name + "' takes left or right");
    } else if (C.Name == "key") {
      Want(1);
      if (C.Args[0] != "space" && C.Args[0] != "return" && C.Args[0] != "tab")
        throw EMalformed(Line, "'key' takes space, return or tab");
    } else if (C.Name == "menu") {
      Want(1);
      if (!MenuItems.count(C.Args[0]))
        throw EMalformed(Line, "'" + C.Args[0] + "' is not a menu item");
    } else {
      throw EMalformed(Line, "unknown command '" + C.Name + "'");
    }
    if (!Setup && C.Name != "start" && !Started)
      throw EMalformed(Line, "'" + C.Name + "' needs the program started first");
    Commands.push_back(std::move(C));
  }
  return Commands;
}

std::string MakeTempFolder() {
  std::string Template = (fs::temp_directory_path() / "tazuclick-sim-XXXXXX").string();
  if (!::mkdtemp(Template.data())) throw std::runtime_error("cannot create a temporary folder");
  return Template;
}

const char* ModeName(core::TClickMode Mode) {
  switch (Mode) {
  case core::ckSingle:
    return "ckSingle";
  case core::ckDouble:
    return "ckDouble";
  case core::ckDrag:
    return "ckDrag";
  case core::ckRight:
    return "ckRight";
  case core::ckAlt:
    return "ckAlt";
  }
  return "?";
}

void Dump(TSimDesktop& D) {
  using ui::ColorToString;
  const core::TClickState& S = core::ClickState;
  std::ostringstream L;
  L << "state ClickMode=" << ModeName(S.ClickMode) << " DragHeld=" << S.DragHeld
    << " ClickDelay=" << S.ClickDelay << " ClickArmed=" << S.ClickArmed
    << " ChaseSuppressed=" << S.ChaseSuppressed << " HoverTarget=" << S.HoverTarget;
  D.Print(L.str());
  core::TTazuClickForm* F = core::TazuClickForm;
  if (!F) return;
  L.str("");
  L << "form Left=" << F->Left() << " Top=" << F->Top() << " Width=" << F->Width()
    << " Height=" << F->Height() << " ClientWidth=" << F->ClientWidth()
    << " ClientHeight=" << F->ClientHeight() << " Color=" << ColorToString(F->Color())
    << " Visible=" << F->Visible();
  D.Print(L.str());
  for (core::TCuteButton* B : {F->OnButton, F->DragButton, F->SingleButton, F->LeftButton}) {
    L.str("");
    L << "button " << B->Name() << " Left=" << B->Left() << " Width=" << B->Width()
      << " Height=" << B->Height() << " Color=" << ColorToString(B->Color())
      << " FontColor=" << ColorToString(B->Font().Color) << " Caption=" << Quote(B->Caption())
      << " Visible=" << B->Visible() << " BevelOuter=" << ui::BevelToString(B->BevelOuter())
      << " BevelInner=" << ui::BevelToString(B->BevelInner());
    D.Print(L.str());
  }
  for (ui::TTimer* T : {F->IdouHanteiTimer, F->IntervalTimer, F->DaubleTimer, F->KetteiTimer})
    D.Print("timer " + T->Name() + " Enabled=" + (T->Enabled() ? "1" : "0") +
            " Interval=" + std::to_string(T->Interval()));
  for (ui::TMenuItem* I :
       {F->Time05, F->Time1, F->Time2, F->Time3, F->Time4, F->Time5, F->Time6, F->Time7, F->Time8,
        F->Time9, F->Oikake, F->Sound, F->Hyouji, F->ON, F->OFF})
    D.Print("menu " + I->Name() + " Checked=" + (I->Checked() ? "1" : "0"));
}

// Virtual time passes: due timers tick, each burst followed by idle processing.
void Wait(TSimDesktop& D, ui::TApplication& App, std::int64_t Milliseconds) {
  const std::int64_t Target = D.Clock() + Milliseconds;
  for (;;) {
    if (App.ProcessTimers() && !App.Terminated()) App.Idle();
    if (App.Terminated() || D.Clock() >= Target) break;
    const auto Next = ui::Timers().NextDue();
    if (!Next || *Next > Target) break;
    if (*Next > D.Clock()) D.Advance(*Next - D.Clock());
  }
  if (D.Clock() < Target) D.Advance(Target - D.Clock());
}

class TRun {
public:
  TRun(std::vector<TCommand> Commands, std::ostream& Out)
      : FCommands(std::move(Commands)), FOut(Out) {}

  void Execute() {
    TSimConfig Config;
    std::size_t I = 0;
    for (; I < FCommands.size() && FCommands[I].Name != "start"; ++I)
      Setup(Config, FCommands[I]);
    if (I == FCommands.size()) return Cleanup();
    if (!Config.Environment.count("APPDATA") && !FAppDataSet)
      Config.Environment["APPDATA"] = Temp();
    if (Config.CurrentDirectory.empty()) Config.CurrentDirectory = Temp();
    FNext = I + 1;

    core::ClickState = core::TClickState{};
    FDesktop = std::make_unique<TSimDesktop>(Config, FOut);
    platform::SetDesktop(FDesktop.get());
    ui::SetBackend(FDesktop.get());
    FApp = std::make_unique<ui::TApplication>();
    FDesktop->Step = [this] { return Step(); };
    const int Code = TazuClickMain();
    FDesktop->Print("exit " + std::to_string(Code));
    FApp.reset();
    platform::SetDesktop(nullptr);
    ui::SetBackend(nullptr);
    FDesktop.reset();
    Cleanup();
  }

private:
  std::string Temp() {
    FTemps.push_back(MakeTempFolder());
    return FTemps.back();
  }

  void Cleanup() {
    std::error_code Error;
    for (const auto& T : FTemps)
      fs::remove_all(T, Error);
    FTemps.clear();
  }

  void Setup(TSimConfig& Config, const TCommand& C) {
    if (C.Name == "screen") {
      Config.ScreenWidth = Number(C, 0, false);
      Config.ScreenHeight = Number(C, 1, false);
    } else if (C.Name == "env") {
      const std::string& Name = C.Args[0];
      if (Name == "APPDATA") FAppDataSet = true;
      if (C.Args.size() == 1)
        Config.Environment.erase(Name);
      else
        Config.Environment[Name] = C.Args.size() == 2 ? C.Args[1] : C.Rest;
    } else if (C.Name == "cwd") {
      Config.CurrentDirectory = C.Rest;
    } else if (C.Name == "pointer") {
      Config.Pointer = {Number(C, 0, true), Number(C, 1, true)};
    } else if (C.Name == "sound-ms") {
      Config.SoundMilliseconds = static_cast<std::uint32_t>(Number(C, 0, false));
    } else if (C.Name == "other-instance") {
      Config.OtherInstance = true;
    }
  }

  // One command of the running program; false when the loop must stop.
  bool Step() {
    if (FNext >= FCommands.size()) {
      FApp->Terminate(); // the scenario's end ends the process
      return false;
    }
    const TCommand& C = FCommands[FNext++];
    TSimDesktop& D = *FDesktop;
    ui::TApplication& App = *FApp;
    auto* Form = core::TazuClickForm;
    auto Pointer = [&] { return D.GetCursorPos(); };
    auto IdleIfRunning = [&] {
      if (!App.Terminated()) App.Idle();
    };
    if (C.Name == "move") {
      D.SetPointer({Number(C, 0, true), Number(C, 1, true)});
      App.MouseMove(Pointer());
      IdleIfRunning();
    } else if (C.Name == "wait") {
      Wait(D, App, Number(C, 0, false));
    } else if (C.Name == "press" || C.Name == "release") {
      const bool Left = C.Args[0] == "left";
      const bool Down = C.Name == "press";
      D.SetButton(Left ? platform::VK_LBUTTON : platform::VK_RBUTTON, Down);
      App.MouseButton(Left ? ui::TMouseButton::mbLeft : ui::TMouseButton::mbRight, Down, Pointer());
      IdleIfRunning();
    } else if (C.Name == "key") {
      const std::uint16_t Vk = C.Args[0] == "space"    ? platform::VK_SPACE
                               : C.Args[0] == "return" ? platform::VK_RETURN
                                                       : platform::VK_TAB;
      App.Key(Vk, true);
      App.Key(Vk, false);
      IdleIfRunning();
    } else if (C.Name == "menu") {
      if (Form) {
        App.Protect([&] {
          if (Form->Help->OnPopup) Form->Help->OnPopup(Form->Help);
        });
        ui::TMenuItem* Item = Form->Help->Find(C.Args[0]);
        App.Protect([&] { Item->Click(); });
      }
      IdleIfRunning();
    } else if (C.Name == "close") {
      if (Form) App.Protect([&] { Form->Close(); });
      IdleIfRunning();
    } else if (C.Name == "dump") {
      Dump(D);
    } else if (C.Name == "end") {
      App.Terminate();
      return false;
    }
    return !App.Terminated();
  }

  std::vector<TCommand> FCommands;
  std::ostream& FOut;
  std::size_t FNext = 0;
  bool FAppDataSet = false;
  std::vector<std::string> FTemps;
  std::unique_ptr<TSimDesktop> FDesktop;
  std::unique_ptr<ui::TApplication> FApp;
};

} // namespace

int RunScenario(std::istream& In, std::ostream& Out, std::ostream& Err) {
  std::vector<TCommand> Commands;
  try {
    Commands = Parse(In);
  } catch (const EMalformed& E) {
    Err << "tazuclick-sim: " << E.what() << "\n";
    return 2;
  }
  TRun(std::move(Commands), Out).Execute();
  return 0;
}
