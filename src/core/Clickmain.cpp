#include "core/Clickmain.h"

#include "ui/Application.h"
#include "ui/Backend.h"
#include "ui/IniFile.h"

#include <cstdlib>
#include <limits>

namespace core {

using namespace ui;
using platform::Desktop;

TClickState ClickState;
TTazuClickForm* TazuClickForm = nullptr;

namespace {

const char* const SectionTimer = "クリック開始までの時間";
const char* const SectionYPos = "起動時の縦座標";
const char* const SectionXPos = "起動時の横座標";
const char* const SectionChase = "追いかけモード";
const char* const SectionSound = "動作時の音";
const char* const SectionLarge = "拡大表示";
const char* const SectionStart = "起動時の状態";
const char* const SectionVersion = "バージョン";

const char* const SettingsFolder = "%appdata%\\Tazu";
const char* const SettingsFile = "%appdata%\\Tazu\\TazuClick.ini";
constexpr std::size_t PathBuffer = 260;

void Mouse(std::uint32_t Flags) {
  Desktop().MouseEvent(Flags, ClickState.ClickPos.x, ClickState.ClickPos.y, 0, 0);
}

constexpr std::uint32_t LeftDown = platform::MOUSEEVENTF_ABSOLUTE | platform::MOUSEEVENTF_LEFTDOWN;
constexpr std::uint32_t LeftUp = platform::MOUSEEVENTF_ABSOLUTE | platform::MOUSEEVENTF_LEFTUP;
constexpr std::uint32_t RightDown =
    platform::MOUSEEVENTF_ABSOLUTE | platform::MOUSEEVENTF_RIGHTDOWN;
constexpr std::uint32_t RightUp = platform::MOUSEEVENTF_ABSOLUTE | platform::MOUSEEVENTF_RIGHTUP;

bool LenientFlag(const TIniFile& Ini, const char* Section, const char* Default) {
  return StrToIntLenient(Ini.ReadString(Section, "ON", Default)) != 0;
}

} // namespace

TTazuClickForm::TTazuClickForm(TComponent* AOwner) : TForm(AOwner) {
  // The stored layout.
  SetName("TazuClickForm");
  SetBounds(253, 310, 0, 0);
  SetClientWidth(395);
  SetClientHeight(150);
  SetColor(clGreen);
  SetCaption("TazuClickForm");
  SetHint("移動できます。右クリックで終了");
  SetShowHint(true);
  SetFont({clWindowText, -12, "ＭＳ Ｐゴシック", false, 128});
  StayOnTop = true;
  Scaled = false;

  auto MakeTimer = [this](const char* Name, std::uint32_t Interval, bool Enabled) {
    auto* T = new TTimer(this);
    T->SetName(Name);
    T->SetEnabled(Enabled);
    T->SetInterval(Interval);
    return T;
  };
  IdouHanteiTimer = MakeTimer("IdouHanteiTimer", 1000, true);
  IntervalTimer = MakeTimer("IntervalTimer", 2000, true);
  DaubleTimer = MakeTimer("DaubleTimer", 10000, false);
  KetteiTimer = MakeTimer("KetteiTimer", 2000, false);

  auto MakeButton = [this](const char* Name, const char* Caption, const char* Hint, int Left,
                           int Width, int TabOrder) {
    auto* B = new TCuteButton(this);
    B->SetName(Name);
    B->SetParent(this);
    B->SetBounds(Left, 0, Width, B->Height());
    B->SetCaption(Caption);
    B->SetHint(Hint);
    B->SetShowHint(true);
    B->SetTabOrder(TabOrder);
    B->SetFlat(false);
    B->SetFont({clWindowText, -13, "ＭＳ Ｐゴシック", true, 128});
    return B;
  };
  // Layout order is stacking order: later buttons lie on top.
  OnButton = MakeButton("OnButton", "Alt", "クリックのON/OFF", 183, 41, 0);
  DragButton = MakeButton("DragButton", "ドラッグ", "ドラッグをします", 93, 61, 1);
  SingleButton = MakeButton("SingleButton", "ダブル", "ダブルクリックをしますます", 23, 71, 2);
  LeftButton = MakeButton("LeftButton", "右", "右クリックをします", 153, 31, 3);

  Help = new TPopupMenu(this);
  Help->SetName("Help");
  SetPopupMenu(Help);
  auto MakeItem = [this](TMenuItem* Parent, const char* Name, const char* Caption) {
    auto* I = new TMenuItem(this);
    I->SetName(Name);
    I->SetCaption(Caption);
    Parent->Add(I);
    return I;
  };
  TMenuItem* Root = Help->Items();
  ClickTime = MakeItem(Root, "ClickTime", "クリック時間(&T)");
  Time05 = MakeItem(ClickTime, "Time05", "0.5 (&0)");
  Time1 = MakeItem(ClickTime, "Time1", "1  (&1)");
  Time2 = MakeItem(ClickTime, "Time2", "2  (&2)");
  Time3 = MakeItem(ClickTime, "Time3", "3  (&3)");
  Time4 = MakeItem(ClickTime, "Time4", "4  (&4)");
  Time5 = MakeItem(ClickTime, "Time5", "5  (&5)");
  Time6 = MakeItem(ClickTime, "Time6", "6  (&6)");
  Time7 = MakeItem(ClickTime, "Time7", "7  (&7)");
  Time8 = MakeItem(ClickTime, "Time8", "8  (&8)");
  Time9 = MakeItem(ClickTime, "Time9", "9  (&9)");
  Oikake = MakeItem(Root, "Oikake", "カーソル追いかけ(&C)");
  Sound = MakeItem(Root, "Sound", "サウンド（&S）");
  Sound->SetChecked(true);
  Hyouji = MakeItem(Root, "Hyouji", "大きく表示(&V)");
  Web = MakeItem(Root, "Web", WebCaption);
  Help1 = MakeItem(Root, "Help1", "ヘルプ(&H)");
  Exit1 = MakeItem(Root, "Exit1", "終了(&X)");
  ON = MakeItem(Exit1, "ON", "ONで起動(&O)");
  OFF = MakeItem(Exit1, "OFF", "OFFで起動(&F)");
  Ver = MakeItem(Root, "Ver", "Ver 2.20");

  // Event bindings.
  using namespace std::placeholders;
  OnCreate = [this](TObject* S) { FormCreate(S); };
  OnShow = [this](TObject* S) { FormShow(S); };
  OnClose = [this](TObject* S, TCloseAction& A) { FormClose(S, A); };
  OnDestroy = [this](TObject* S) { FormDestroy(S); };
  IdouHanteiTimer->OnTimer = [this](TObject* S) { IdouHanteiTimerTimer(S); };
  IntervalTimer->OnTimer = [this](TObject* S) { IntervalTimerTimer(S); };
  DaubleTimer->OnTimer = [this](TObject* S) { DaubleTimerTimer(S); };
  KetteiTimer->OnTimer = [this](TObject* S) { KetteiTimerTimer(S); };
  OnButton->OnClick = [this](TObject* S) { OnButtonClick(S); };
  OnButton->OnMouseEnter = [this](TObject* S) { OnButtonMouseEnter(S); };
  OnButton->OnMouseLeave = [this](TObject* S) { OnButtonMouseLeave(S); };
  DragButton->OnMouseEnter = [this](TObject* S) { DragButtonMouseEnter(S); };
  DragButton->OnMouseLeave = [this](TObject* S) { DragButtonMouseLeave(S); };
  SingleButton->OnMouseEnter = [this](TObject* S) { SingleButtonMouseEnter(S); };
  SingleButton->OnMouseLeave = [this](TObject* S) { SingleButtonMouseLeave(S); };
  LeftButton->OnMouseEnter = [this](TObject* S) { LeftButtonMouseEnter(S); };
  LeftButton->OnMouseLeave = [this](TObject* S) { LeftButtonMouseLeave(S); };
  Help->OnPopup = [this](TObject* S) { HelpPopup(S); };
  for (auto [Item, Tenths] : ClickTimeItems())
    Item->OnClick = [this, Tenths = Tenths](TObject*) { TimeClick(Tenths); };
  Oikake->OnClick = [this](TObject* S) { OikakeClick(S); };
  Sound->OnClick = [this](TObject* S) { SoundClick(S); };
  Hyouji->OnClick = [this](TObject* S) { HyoujiClick(S); };
  Web->OnClick = [this](TObject* S) { WebClick(S); };
  Help1->OnClick = [this](TObject* S) { Help1Click(S); };
  ON->OnClick = [this](TObject* S) { ONClick(S); };
  OFF->OnClick = [this](TObject* S) { OFFClick(S); };

  // The creation handler runs as soon as the layout is loaded.
  Loaded();
  DoCreate();

  // Both samples start where the pointer is; the countdown waits for the probe.
  ClickState.ClickPos = Desktop().GetCursorPos();
  ClickState.ProbePos = Desktop().GetCursorPos();
  IntervalTimer->SetEnabled(false);
}

TTazuClickForm::~TTazuClickForm() {
  DestroyComponents();
  if (TazuClickForm == this) TazuClickForm = nullptr;
}

void TTazuClickForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.Style &= 0xFF3FFFFF; // no title bar: clear WS_BORDER and WS_DLGFRAME
}

// ---------------------------------------------------------------- lifecycle

void TTazuClickForm::FormCreate(TObject*) {
  Scaled = false;
  SetClientHeight(ClickState.SmallHeight);
  SetClientWidth(ToolbarClientWidth);
  LoadSettings();
}

void TTazuClickForm::FormShow(TObject*) {
  auto& D = Desktop();
  if (Top() > D.ScreenHeight() || Left() > D.ScreenWidth()) {
    SetTop(D.ScreenHeight() / 2);
    SetLeft(D.ScreenWidth() / 2);
  }
}

void TTazuClickForm::FormClose(TObject*, TCloseAction&) {
  SaveSettings();
}

void TTazuClickForm::FormDestroy(TObject*) {
  SaveSettings();
}

// ------------------------------------------------------------- dwell engine

void TTazuClickForm::IdouHanteiTimerTimer(TObject*) {
  ClickState.ProbePos = Desktop().GetCursorPos();
  const std::int64_t Dx = std::int64_t{ClickState.ClickPos.x} - ClickState.ProbePos.x;
  const std::int64_t Dy = std::int64_t{ClickState.ClickPos.y} - ClickState.ProbePos.y;
  if (std::llabs(Dx) > 10 || std::llabs(Dy) > 10) IntervalTimer->SetEnabled(true);
}

void TTazuClickForm::PlayActionSound() {
  if (Sound->Checked()) Desktop().PlaySound(SoundFile);
}

void TTazuClickForm::IntervalTimerTimer(TObject*) {
  auto& D = Desktop();
  ClickState.ClickPos = D.GetCursorPos();
  if (ClickState.ClickPos.x == ClickState.ProbePos.x &&
      ClickState.ClickPos.y == ClickState.ProbePos.y && ClickState.ClickArmed &&
      OnButton->Color() != clRed) {
    switch (ClickState.ClickMode) {
    case ckSingle:
      Mouse(LeftDown);
      D.Sleep(100);
      Mouse(LeftUp);
      break;
    case ckDouble:
      Mouse(LeftDown);
      D.Sleep(50);
      Mouse(LeftUp);
      Mouse(LeftDown);
      D.Sleep(50);
      Mouse(LeftUp);
      PlayActionSound();
      ClickState.ClickMode = ckSingle;
      SingleButton->SetColor(clBtnFace);
      break;
    case ckDrag:
      if (!ClickState.DragHeld) {
        DragButton->SetFontColor(clRed);
        Mouse(LeftDown);
        ClickState.DragHeld = true;
      } else {
        DragButton->SetFontColor(clWindowText);
        Mouse(LeftUp);
        if (Color() == clGreen) {
          DragButton->SetColor(clBtnFace);
          DragButton->SetCaption("ドラッグ");
          ClickState.DragHeld = false;
          ClickState.ClickMode = ckSingle;
        } else {
          ClickState.DragHeld = false; // continuous drag: the next dwell presses again
        }
      }
      PlayActionSound();
      break;
    case ckRight:
      Mouse(RightDown);
      D.Sleep(50);
      Mouse(RightUp);
      D.Sleep(50);
      LeftButton->SetColor(clBtnFace);
      ClickState.ClickMode = ckSingle;
      break;
    case ckAlt: {
      const platform::THandle Foreground = D.GetForegroundWindow();
      const auto Scan = static_cast<std::uint16_t>(D.MapVirtualKey(platform::VK_MENU, 0));
      D.SetForegroundWindow(Foreground);
      D.Sleep(50);
      D.SendKeyInput(platform::VK_MENU, Scan, 0);
      D.Sleep(50);
      D.SendKeyInput(platform::VK_MENU, Scan, platform::KEYEVENTF_KEYUP);
      D.Sleep(50);
      OnButton->SetColor(clBtnFace);
      ClickState.ClickMode = ckSingle;
      break;
    }
    }
    PlayActionSound();
    if (Oikake->Checked() && ClickState.ClickArmed && !ClickState.ChaseSuppressed) {
      SetTop(ClickState.ClickPos.y + 5);
      SetLeft(ClickState.ClickPos.x + 5);
    }
    IntervalTimer->SetEnabled(false);
  }
  ClampToScreen();
}

void TTazuClickForm::ClampToScreen() {
  auto& D = Desktop();
  const int H = D.ScreenHeight();
  const int W = D.ScreenWidth();
  // Bottom and right first, so a toolbar larger than the screen ends at 0, 0.
  if (Top() > H - Height()) SetTop(H - Height());
  if (Top() < 0) SetTop(0);
  if (Left() > W - Width()) SetLeft(W - Width());
  if (Left() < 0) SetLeft(0);
}

// ---------------------------------------------------------- hover selection

void TTazuClickForm::ButtonEnter(TCuteButton* Button, int Number) {
  for (TCuteButton* Other : {SingleButton, DragButton, LeftButton, OnButton})
    if (Other != Button && Other->Color() != clBtnFace) return;
  ClickState.ClickArmed = false;
  ClickState.HoverTarget = Number;
  KetteiTimer->SetEnabled(true);
  if (Button == DragButton) DaubleTimer->SetEnabled(true);
}

void TTazuClickForm::ButtonLeave(TCuteButton* Button) {
  KetteiTimer->SetEnabled(false);
  ClickState.ClickArmed = true;
  if ((Button == SingleButton || Button == DragButton) && OnButton->Color() == clBtnFace)
    DaubleTimer->SetEnabled(false);
}

void TTazuClickForm::SingleButtonMouseEnter(TObject*) {
  ButtonEnter(SingleButton, 1);
}
void TTazuClickForm::DragButtonMouseEnter(TObject*) {
  ButtonEnter(DragButton, 2);
}
void TTazuClickForm::LeftButtonMouseEnter(TObject*) {
  ButtonEnter(LeftButton, 3);
}
void TTazuClickForm::OnButtonMouseEnter(TObject*) {
  ButtonEnter(OnButton, 4);
}
void TTazuClickForm::SingleButtonMouseLeave(TObject*) {
  ButtonLeave(SingleButton);
}
void TTazuClickForm::DragButtonMouseLeave(TObject*) {
  ButtonLeave(DragButton);
}
void TTazuClickForm::LeftButtonMouseLeave(TObject*) {
  ButtonLeave(LeftButton);
}
void TTazuClickForm::OnButtonMouseLeave(TObject*) {
  ButtonLeave(OnButton);
}

void TTazuClickForm::Toggle(TCuteButton* Button, TClickMode Mode) {
  if (Button->Color() == clYellow) {
    Button->SetColor(clBtnFace);
    ClickState.ClickMode = ckSingle;
  } else {
    Button->SetColor(clYellow);
    ClickState.ClickMode = Mode;
  }
}

void TTazuClickForm::KetteiTimerTimer(TObject*) {
  if (OnButton->Caption() == "Alt") PlayActionSound();
  const bool OthersMayAct = OnButton->Color() == clBtnFace;
  switch (ClickState.HoverTarget) {
  case 1:
    if (OthersMayAct && (ClickState.ClickMode == ckSingle || ClickState.ClickMode == ckDouble))
      Toggle(SingleButton, ckDouble);
    break;
  case 2:
    DragButton->SetFontColor(clWindowText);
    if (OthersMayAct) Toggle(DragButton, ckDrag);
    break;
  case 3:
    if (OthersMayAct) Toggle(LeftButton, ckRight);
    break;
  case 4:
    if (OnButton->Caption() == "OFF") {
      OnButton->SetCaption("Alt");
      OnButton->SetColor(clBtnFace);
      IdouHanteiTimer->SetEnabled(true);
    } else if (OnButton->Caption() == "Alt") {
      Toggle(OnButton, ckAlt);
    }
    break;
  default:
    break;
  }
  KetteiTimer->SetEnabled(false);
}

void TTazuClickForm::DaubleTimerTimer(TObject*) {
  switch (ClickState.HoverTarget) {
  case 2:
    if (Color() == clGreen) {
      SetColor(clFuchsia);
      DragButton->SetCaption("連続ドラッグ");
      DragButton->SetWidth(98);
      LeftButton->SetVisible(false);
    } else {
      // A left button still held by a drag press stays down until the next action.
      SetColor(clGreen);
      DragButton->SetColor(clBtnFace);
      DragButton->SetCaption("ドラッグ");
      DragButton->SetWidth(63);
      LeftButton->SetVisible(true);
      ClickState.ClickMode = ckSingle;
      ClickState.DragHeld = false;
    }
    break;
  case 4:
    OnButton->SetColor(clRed);
    OnButton->SetCaption("OFF");
    ClickState.HoverTarget = 1;
    break;
  default:
    break;
  }
  PlayActionSound();
}

void TTazuClickForm::OnButtonClick(TObject*) {
  if (OnButton->Caption() == "OFF") {
    OnButton->SetCaption("Alt");
    OnButton->SetColor(clBtnFace);
    IdouHanteiTimer->SetEnabled(true);
  } else {
    OnButton->SetCaption("OFF");
    OnButton->SetColor(clRed);
    IdouHanteiTimer->SetEnabled(false);
  }
}

void TTazuClickForm::HelpPopup(TObject*) {
  DaubleTimer->SetEnabled(false);
}

// ------------------------------------------------------------------ hit test

void TTazuClickForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
  case WM_NCHITTEST:
    FormHitTest(Message);
    break;
  case CM_MOUSEENTER:
    FormMouseEnter(Message);
    break;
  case CM_MOUSELEAVE:
    FormMouseLeave(Message);
    break;
  default:
    TForm::Dispatch(Message);
    break;
  }
}

void TTazuClickForm::FormHitTest(TMessage& Message) {
  auto& D = Desktop();
  ClickState.ChaseSuppressed = LeftButton->Color() == clYellow && ClickState.ClickArmed;
  if (DragButton->Color() != clYellow) {
    if (D.GetAsyncKeyState(platform::VK_LBUTTON) < 0 ||
        D.GetAsyncKeyState(platform::VK_RBUTTON) < 0) {
      Message.Result = HTCAPTION;
      ClickState.ClickArmed = false;
    } else {
      Message.Result = HTCLIENT;
      ClickState.ClickArmed = true;
    }
  }
  // Hit tests come at every pointer movement: a save that keeps failing is
  // reported once, not at each movement, until a save succeeds again.
  const bool AlreadyShown = FSaveFailureShown;
  try {
    SaveSettings();
  } catch (const EIniFileException&) {
    if (!AlreadyShown) throw;
  }
}

void TTazuClickForm::FormMouseEnter(TMessage&) {
  ClickState.ClickArmed = false;
}

void TTazuClickForm::FormMouseLeave(TMessage&) {
  ClickState.ClickArmed = true;
}

// ------------------------------------------------------------ menu commands

void TTazuClickForm::TimeClick(std::int32_t Tenths) {
  ClickState.ClickDelay = Tenths;
  SetClickTime(ClickState.ClickDelay);
  SaveSettings();
}

void TTazuClickForm::OikakeClick(TObject*) {
  const bool New = !Oikake->Checked();
  Oikake->SetChecked(New);
  ClickState.ClickArmed = New;
}

void TTazuClickForm::SoundClick(TObject*) {
  Sound->SetChecked(!Sound->Checked());
  SaveSettings();
}

void TTazuClickForm::HyoujiClick(TObject*) {
  Hyouji->SetChecked(!Hyouji->Checked());
  ApplyDisplaySize(Hyouji->Checked());
  SaveSettings();
}

void TTazuClickForm::WebClick(TObject*) {
  Desktop().ShellOpen(Backend().WindowHandle(*this), "open", WebAddress, platform::SW_SHOWNORMAL);
}

void TTazuClickForm::Help1Click(TObject*) {
  Desktop().ShellOpen(Backend().WindowHandle(*this), "open", HelpFileName, platform::SW_SHOW);
}

void TTazuClickForm::ONClick(TObject*) {
  ON->SetChecked(true);
  OFF->SetChecked(false);
  Close();
}

void TTazuClickForm::OFFClick(TObject*) {
  OFF->SetChecked(true);
  ON->SetChecked(false);
  Close();
}

// ------------------------------------------------------- settings and sizes

std::array<std::pair<TMenuItem*, std::int32_t>, 10> TTazuClickForm::ClickTimeItems() const {
  return {{{Time05, 5},
           {Time1, 10},
           {Time2, 20},
           {Time3, 30},
           {Time4, 40},
           {Time5, 50},
           {Time6, 60},
           {Time7, 70},
           {Time8, 80},
           {Time9, 90}}};
}

void TTazuClickForm::SetClickTime(std::int32_t Value) {
  // Only an edited file gives a negative dwell time or one whose milliseconds do
  // not fit: such a countdown never ticks, as with 0, rather than wrapping to weeks.
  const std::int64_t Milliseconds = std::int64_t{Value} * 100;
  const bool Usable = Milliseconds >= 0 && Milliseconds <= std::numeric_limits<std::int32_t>::max();
  IntervalTimer->SetInterval(Usable ? static_cast<std::uint32_t>(Milliseconds) : 0);
  const auto Items = ClickTimeItems();
  for (auto [Item, Tenths] : Items)
    Item->SetChecked(false);
  for (auto [Item, Tenths] : Items)
    if (Tenths == Value) Item->SetChecked(true);
}

void TTazuClickForm::ApplyDisplaySize(bool Large) {
  const int H = Large ? ClickState.LargeHeight : ClickState.SmallHeight;
  SetClientHeight(H);
  SetClientWidth(ToolbarClientWidth);
  for (TCuteButton* B : {SingleButton, DragButton, LeftButton, OnButton})
    B->SetHeight(H);
}

bool TTazuClickForm::FolderExists(const std::string& Path) {
  return Desktop().IsDirectory(Path);
}

void TTazuClickForm::WriteSettingsReported(const std::function<void()>& Write) {
  try {
    Write();
  } catch (const EIniFileException&) {
    FSaveFailureShown = true;
    Desktop().NoteSettingsWritten(false);
    throw;
  }
  FSaveFailureShown = false;
  Desktop().NoteSettingsWritten(true);
}

void TTazuClickForm::LoadSettings() {
  auto& D = Desktop();
  const std::string Folder = D.ExpandEnvironmentStrings(SettingsFolder, PathBuffer);
  if (!FolderExists(Folder)) D.CreateDir(Folder);
  TIniFile Ini(D.ExpandEnvironmentStrings(SettingsFile, PathBuffer));

  ClickState.ClickDelay = StrToIntLenient(Ini.ReadString(SectionTimer, "Timer", "30"));
  SetClickTime(ClickState.ClickDelay);

  const platform::TRect R = D.DesktopRect();
  SetTop(Ini.ReadInteger(SectionYPos, "YPOS", (R.Bottom - R.Top) / 2));
  SetLeft(Ini.ReadInteger(SectionXPos, "XPOS", (R.Right - R.Left) / 2));

  Oikake->SetChecked(LenientFlag(Ini, SectionChase, "0"));
  ClickState.ClickArmed = Oikake->Checked();
  Sound->SetChecked(LenientFlag(Ini, SectionSound, "1"));
  Hyouji->SetChecked(LenientFlag(Ini, SectionLarge, "1"));
  ApplyDisplaySize(Hyouji->Checked());

  const bool On = LenientFlag(Ini, SectionStart, "1");
  IdouHanteiTimer->SetEnabled(On);
  ON->SetChecked(On);
  if (On) {
    OFF->SetChecked(false);
    OnButton->SetCaption("Alt");
    OnButton->SetColor(clBtnFace);
    ClickState.ClickArmed = true;
  } else {
    OnButton->SetCaption("OFF");
    OnButton->SetColor(clRed);
    OFF->SetChecked(true);
  }
  WriteSettingsReported([&] { Ini.WriteBool(SectionStart, "ON", ON->Checked()); });
}

void TTazuClickForm::SaveSettings() {
  TIniFile Ini(Desktop().ExpandEnvironmentStrings(SettingsFile, PathBuffer));
  WriteSettingsReported([&] {
    Ini.WriteInteger(SectionTimer, "Timer", ClickState.ClickDelay);
    Ini.WriteInteger(SectionYPos, "YPOS", Top());
    Ini.WriteInteger(SectionXPos, "XPOS", Left());
    Ini.WriteBool(SectionChase, "ON", Oikake->Checked());
    Ini.WriteBool(SectionSound, "ON", Sound->Checked());
    Ini.WriteBool(SectionLarge, "ON", Hyouji->Checked());
    Ini.WriteBool(SectionStart, "ON", ON->Checked());
    Ini.WriteString(SectionVersion, "Ver", Application ? Application->Title : AppTitle);
  });
}

} // namespace core
