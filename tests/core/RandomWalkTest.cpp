// A long random walk of the pointer, the mouse buttons, the keyboard and the
// popup menu over the toolbar, with a dump after every step. After each step
// the state must obey the rules that every handler keeps:
//   - at most one button is yellow;
//   - a yellow button fixes ClickMode to its action; with none yellow ClickMode
//     is ckSingle, or ckAlt when the on/off switch (a click, or the long-hover
//     tick) turned the yellow "Alt" red while the Alt key was selected.
//     Continuous drag never holds ckDrag without a yellow "ドラッグ": the tick
//     that starts it changes no mode and the one that ends it returns to
//     ckSingle;
//   - "OFF" is shown exactly while the on/off button is red;
//   - ClickMode is one of the five actions;
//   - the continuous-drag look (fuchsia, "連続ドラッグ" 98 wide, "右" hidden)
//     comes and goes as a whole;
//   - DragHeld is set only by a drag press and cleared only by a drag release
//     or by continuous drag ending;
//   - with clicking off, a stretch of time that cannot switch it on injects
//     nothing.
// The walk keeps the toolbar where it starts (640,512; client origin 643,515)
// so that its targets stay meaningful: it drags the toolbar only there and
// back, and keeps the chase from ever moving it elsewhere.
#include "Scenario.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Screen x ranges of the toolbar's parts, on rows 518..533, which lie inside
// the client area in both display sizes.
struct TRange {
  int From, To;
};
const TRange Background{643, 665};
const TRange SingleArea{667, 735};
const TRange DragArea{738, 794};
const TRange LeftArea{797, 825};   // "ドラッグ" covers it during continuous drag
const TRange SharedArea{827, 833}; // "Alt" normally, "ドラッグ" during continuous drag
const TRange OnArea{834, 862};
// Where an action is chased to the toolbar's own place.
const int SafeX = 635, SafeY = 507;

enum class TKind { Move, Wait, Mouse, Key, Menu };

struct TStep {
  TKind Kind;
  std::string Command;
  bool Away = false; // the toolbar may be dragged away after it
};

class TWalk {
public:
  explicit TWalk(unsigned WalkStart) : FRandom(WalkStart) {}

  std::vector<TStep> Generate(int Count) {
    while (static_cast<int>(FSteps.size()) < Count)
      Next();
    return FSteps;
  }

private:
  int Uniform(int From, int To) { return std::uniform_int_distribution<int>(From, To)(FRandom); }
  bool Chance(int Percent) { return Uniform(1, 100) <= Percent; }

  void Add(TKind Kind, const std::string& Command) { FSteps.push_back({Kind, Command, FAway}); }
  void MoveTo(int X, int Y) {
    FX = X;
    FY = Y;
    Add(TKind::Move, "move " + std::to_string(X) + " " + std::to_string(Y));
  }
  void MoveInto(TRange R) { MoveTo(Uniform(R.From, R.To), Uniform(518, 533)); }
  void Wait(int Milliseconds) { Add(TKind::Wait, "wait " + std::to_string(Milliseconds)); }
  bool OnBackground() const {
    const bool Frame = (FX >= 640 && FX <= 642) || (FX >= 863 && FX <= 865);
    return (Frame || (FX >= Background.From && FX <= Background.To)) && FY >= 513 && FY <= 536;
  }

  void MoveSomewhere() {
    if (Chance(60)) return MoveInto(ButtonArea());
    MoveAway();
  }

  // Off the buttons: the background, the frame or outside; with chase on only
  // the spot from which the chase puts the toolbar back in its place.
  void MoveAway() {
    if (FChase) return MoveTo(SafeX, SafeY);
    switch (Uniform(0, 3)) {
    case 0:
      return MoveInto(Background);
    case 1:
      return MoveTo(Chance(50) ? Uniform(640, 642) : Uniform(863, 865), Uniform(513, 536));
    case 2:
      return MoveTo(SafeX, SafeY);
    default:
      return MoveTo(Uniform(0, 1279), Chance(50) ? Uniform(0, 480) : Uniform(600, 1023));
    }
  }

  TRange ButtonArea() {
    const TRange Areas[] = {SingleArea, DragArea, LeftArea, SharedArea, OnArea};
    return Areas[Uniform(0, 4)];
  }

  void WaitSome() {
    const int Choices[] = {10, 300, 500, 999, 1000, 1999, 2000, 2500, 3000, 4000, 6000, 9000};
    Wait(Choices[Uniform(0, 11)]);
  }

  void MouseButton() {
    if (FLeftHeld) {
      FLeftHeld = false;
      return Add(TKind::Mouse, "release left");
    }
    if (FRightHeld) {
      FRightHeld = false;
      return Add(TKind::Mouse, "release right");
    }
    // A left press captures the mouse: the buttons then get no pointer-entered
    // notification and clicks may land on them, which the chase must not follow.
    if (Chance(35) || FChase) {
      FRightHeld = true;
      return Add(TKind::Mouse, "press right");
    }
    if (OnBackground()) {
      // Drag the toolbar away and back again by the same spot.
      const int X = FX, Y = FY;
      Add(TKind::Mouse, "press left");
      FAway = true;
      MoveTo(X, Y + 200);
      Add(TKind::Mouse, "release left");
      Add(TKind::Mouse, "press left");
      FAway = false;
      MoveTo(X, Y);
      Add(TKind::Mouse, "release left");
      return;
    }
    FLeftHeld = true;
    Add(TKind::Mouse, "press left");
  }

  void Menu() {
    const char* Items[] = {"Time05", "Time1", "Time2", "Time3",  "Time4", "Time5",  "Time6",
                           "Time7",  "Time8", "Time9", "Oikake", "Sound", "Hyouji", "Ver"};
    std::string Item = Items[Uniform(0, 13)];
    if (Item == "Oikake" && !FChase && FLeftHeld) Item = "Ver";
    if (Item == "Oikake") {
      // Chase on arms the clicks wherever the pointer is: only where the
      // chase returns the toolbar to its place.
      if (!FChase && (FX != SafeX || FY != SafeY)) MoveTo(SafeX, SafeY);
      FChase = !FChase;
    }
    Add(TKind::Menu, "menu " + Item);
  }

  void Next() {
    const int Pick = Uniform(1, 100);
    if (Pick <= 20) return MoveSomewhere();
    if (Pick <= 34) return WaitSome();
    if (Pick <= 54) { // a rest long enough for a decision, often then one for an action
      MoveInto(ButtonArea());
      Wait(Uniform(2000, 2300));
      if (Chance(50)) return;
      MoveAway();
      return Wait(Uniform(3000, 9000));
    }
    if (Pick <= 61) { // a long rest on "ドラッグ"
      MoveInto(DragArea);
      return Wait(Uniform(9500, 12500));
    }
    if (Pick <= 67) { // switched off from the keyboard while on "ドラッグ"
      MoveInto(DragArea);
      // Space on each of three buttons in tab order: the on/off button is
      // among them unless it comes fourth ("右" is skipped while hidden).
      for (int I = 0; I < 3; ++I) {
        Add(TKind::Key, "key tab");
        Add(TKind::Key, "key space");
      }
      MoveInto(Chance(80) ? OnArea : ButtonArea());
      Wait(Uniform(2000, 2500));
      return Wait(Uniform(6000, 9000));
    }
    if (Pick <= 77) return MouseButton();
    if (Pick <= 82) return Add(TKind::Key, "key tab");
    if (Pick <= 89) return Add(TKind::Key, Chance(75) ? "key space" : "key return");
    Menu();
  }

  std::mt19937 FRandom;
  std::vector<TStep> FSteps;
  int FX = 0, FY = 0;
  bool FChase = false;
  bool FAway = false;
  bool FLeftHeld = false;
  bool FRightHeld = false;
};

// One dump, as key=value fields per line.
struct TDump {
  std::map<std::string, std::string> State, Form;
  std::map<std::string, std::map<std::string, std::string>> Buttons, Timers;
};

std::map<std::string, std::string> Fields(std::istringstream& Words) {
  std::map<std::string, std::string> Out;
  for (std::string W; Words >> W;) {
    const auto Eq = W.find('=');
    std::string Value = W.substr(Eq + 1);
    if (Value.size() >= 2 && Value.front() == '"') Value = Value.substr(1, Value.size() - 2);
    Out[W.substr(0, Eq)] = Value;
  }
  return Out;
}

// Splits the trace into what each step printed before its dump, and the dump.
void Split(const std::string& Trace, std::vector<std::vector<std::string>>& Chunks,
           std::vector<TDump>& Dumps) {
  std::istringstream In(Trace);
  std::vector<std::string> Chunk;
  TDump* Current = nullptr;
  for (std::string Line; std::getline(In, Line);) {
    std::istringstream Words(Line);
    std::string Time, What;
    Words >> Time >> What;
    if (What == "state") {
      Chunks.push_back(Chunk);
      Chunk.clear();
      Dumps.emplace_back();
      Current = &Dumps.back();
      Current->State = Fields(Words);
    } else if (Current && What == "form") {
      Current->Form = Fields(Words);
    } else if (Current && (What == "button" || What == "timer")) {
      std::string Name;
      Words >> Name;
      (What == "button" ? Current->Buttons : Current->Timers)[Name] = Fields(Words);
    } else if (Current && What == "menu") {
      if (Line.find("menu OFF ") != std::string::npos) Current = nullptr;
    } else {
      Chunk.push_back(Line);
    }
  }
}

bool Contains(const std::vector<std::string>& Lines, const std::string& Text) {
  for (const auto& L : Lines)
    if (L.find(Text) != std::string::npos) return true;
  return false;
}

// The rules that hold after any step; empty when they all do.
std::string Broken(const TDump& D) {
  static const std::map<std::string, std::string> ModeOf = {{"SingleButton", "ckDouble"},
                                                            {"DragButton", "ckDrag"},
                                                            {"LeftButton", "ckRight"},
                                                            {"OnButton", "ckAlt"}};
  const std::string& Mode = D.State.at("ClickMode");
  if (Mode != "ckSingle" && Mode != "ckDouble" && Mode != "ckDrag" && Mode != "ckRight" &&
      Mode != "ckAlt")
    return "ClickMode " + Mode;
  const std::string& Target = D.State.at("HoverTarget");
  if (Target.size() != 1 || Target[0] < '0' || Target[0] > '4') return "HoverTarget " + Target;
  std::string Yellow;
  for (const auto& [Name, B] : D.Buttons) {
    const std::string& Color = B.at("Color");
    const bool Allowed =
        Color == "clBtnFace" || Color == "clYellow" || (Name == "OnButton" && Color == "clRed");
    if (!Allowed) return Name + " is " + Color;
    if (Color != "clYellow") continue;
    if (!Yellow.empty()) return Yellow + " and " + Name + " are both yellow";
    Yellow = Name;
  }
  if (!Yellow.empty() && Mode != ModeOf.at(Yellow)) return Yellow + " is yellow with " + Mode;
  if (Yellow.empty() && Mode != "ckSingle" && Mode != "ckAlt")
    return "no button is yellow with " + Mode;

  const auto& On = D.Buttons.at("OnButton");
  if ((On.at("Caption") == "OFF") != (On.at("Color") == "clRed"))
    return "on/off button reads " + On.at("Caption") + " in " + On.at("Color");
  if (On.at("Caption") != "OFF" && On.at("Caption") != "Alt")
    return "on/off button reads " + On.at("Caption");

  const auto& Drag = D.Buttons.at("DragButton");
  const bool Fuchsia = D.Form.at("Color") == "clFuchsia";
  if (!Fuchsia && D.Form.at("Color") != "clGreen") return "toolbar is " + D.Form.at("Color");
  const bool Look = Drag.at("Width") == "98" && Drag.at("Caption") == "連続ドラッグ" &&
                    D.Buttons.at("LeftButton").at("Visible") == "0";
  const bool Plain = (Drag.at("Width") == "61" || Drag.at("Width") == "63") &&
                     Drag.at("Caption") == "ドラッグ" &&
                     D.Buttons.at("LeftButton").at("Visible") == "1";
  if (Fuchsia ? !Look : !Plain) return "continuous drag look does not match the toolbar colour";

  if (D.Timers.at("KetteiTimer").at("Interval") != "2000" ||
      D.Timers.at("DaubleTimer").at("Interval") != "10000")
    return "hover timer interval changed";
  return "";
}

TEST(RandomWalk, HoverSelectionKeepsItsRulesAtEveryStep) {
  const unsigned WalkStart = 20240611;
  const std::vector<TStep> Steps = TWalk(WalkStart).Generate(6000);

  std::string Script = "start\n";
  for (const TStep& S : Steps)
    Script += S.Command + "\ndump\n";
  std::istringstream In(Script);
  std::ostringstream Out, Err;
  ASSERT_EQ(RunScenario(In, Out, Err), 0) << Err.str();

  std::vector<std::vector<std::string>> Chunks;
  std::vector<TDump> Dumps;
  Split(Out.str(), Chunks, Dumps);
  ASSERT_EQ(Dumps.size(), Steps.size()) << "a dump per step";

  std::map<std::string, int> Seen;
  for (std::size_t I = 0; I < Dumps.size(); ++I) {
    const TDump& D = Dumps[I];
    const TStep& S = Steps[I];
    const std::vector<std::string>& Printed = Chunks[I];
    std::string Where = "after step " + std::to_string(I) + " of:";
    for (std::size_t From = I < 8 ? 0 : I - 8; From <= I; ++From)
      Where += "\n  " + Steps[From].Command;
    const std::string Problem = Broken(D);
    ASSERT_EQ(Problem, "") << Where;

    // The walk's own assumption: the toolbar is in its place but while it
    // is dragged away and back.
    const bool Home = D.Form.at("Left") == "640" && D.Form.at("Top") == "512";
    if (!S.Away) {
      ASSERT_TRUE(Home) << Where;
    }
    if (!Home) ++Seen["toolbar dragged"];

    if (I == 0) continue;
    const TDump& P = Dumps[I - 1];
    const bool WasFuchsia = P.Form.at("Color") == "clFuchsia";
    const bool IsFuchsia = D.Form.at("Color") == "clFuchsia";
    if (!WasFuchsia && IsFuchsia) ++Seen["continuous drag on"];
    if (WasFuchsia && !IsFuchsia) ++Seen["continuous drag off"];

    const bool WasOff = P.Buttons.at("OnButton").at("Color") == "clRed";
    const bool IsOff = D.Buttons.at("OnButton").at("Color") == "clRed";
    const bool Timed = S.Kind == TKind::Wait;
    if (!WasOff && IsOff) ++Seen[Timed ? "off by the long-hover tick" : "off by a click"];
    if (WasOff && !IsOff) ++Seen[Timed ? "on by a rest" : "on by a click"];
    if (WasOff && !IsOff && !Timed) {
      ASSERT_TRUE(S.Kind == TKind::Key || S.Kind == TKind::Mouse) << Where << "\nonly a click";
    }
    if (!WasOff && IsOff && Timed) {
      ASSERT_EQ(P.State.at("HoverTarget"), "4") << Where << "\nonly the on/off target's tick";
    }

    // Clicking off, and no decision pending on "OFF" that could switch it on.
    const bool MaySwitchOn =
        P.State.at("HoverTarget") == "4" && P.Timers.at("KetteiTimer").at("Enabled") == "1";
    if (WasOff && Timed && !MaySwitchOn) {
      ASSERT_FALSE(Contains(Printed, "mouse_event")) << Where;
      ASSERT_FALSE(Contains(Printed, " key 0x12 ")) << Where;
    }

    const bool WasHeld = P.State.at("DragHeld") == "1";
    const bool IsHeld = D.State.at("DragHeld") == "1";
    if (!WasHeld && IsHeld) {
      ++Seen["drag press"];
      ASSERT_TRUE(Contains(Printed, "mouse_event 0x8002")) << Where;
    }
    if (WasFuchsia && !IsFuchsia && !Contains(Printed, "mouse_event 0x8002")) {
      ASSERT_FALSE(IsHeld) << Where << "\nending continuous drag clears DragHeld";
    }
    // Continuous drag may end (and start again) within one wait, while the
    // long-hover timer runs.
    const bool MayEndContinuous = Timed && P.Timers.at("DaubleTimer").at("Enabled") == "1";
    if (WasHeld && !IsHeld) {
      ASSERT_TRUE(Contains(Printed, "mouse_event 0x8004") || MayEndContinuous) << Where;
    }

    for (const auto& [Name, B] : D.Buttons)
      if (B.at("Color") == "clYellow" && P.Buttons.at(Name).at("Color") != "clYellow")
        ++Seen[Name + " selected"];
    if (D.State.at("ClickMode") == "ckAlt" && D.Buttons.at("OnButton").at("Color") != "clYellow")
      ++Seen["Alt kept without a yellow button"];
    if (Contains(Printed, "mouse_event 0x8008")) ++Seen["right click"];
    if (Contains(Printed, " key 0x12 down")) ++Seen["Alt key"];
  }

  // The walk must keep reaching the states it is meant to exercise.
  const std::map<std::string, int> AtLeast = {
      {"continuous drag on", 20},
      {"continuous drag off", 20},
      {"off by a click", 30},
      {"on by a click", 20},
      {"on by a rest", 20},
      {"off by the long-hover tick", 5},
      {"SingleButton selected", 8},
      {"DragButton selected", 8},
      {"LeftButton selected", 8},
      {"OnButton selected", 8},
      {"Alt kept without a yellow button", 20},
      {"drag press", 8},
      {"toolbar dragged", 10},
      {"right click", 5},
      {"Alt key", 10},
  };
  for (const auto& [What, Minimum] : AtLeast)
    EXPECT_GE(Seen[What], Minimum) << What;
}

} // namespace
