#include "platform/win32/Win32Backend.h"

#include "platform/win32/Win32Desktop.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/Panel.h"
#include "ui/Timer.h"

// After our headers: they name constants that <windows.h> defines as macros.
#include "platform/win32/WinApi.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace platform::win32 {

namespace {

const wchar_t* const ApplicationClass = L"TApplication";
const wchar_t* const FormClass = L"TForm";
const wchar_t* const ControlClass = L"TCustomPanel";
constexpr UINT_PTR ModalTimerId = 1;

TWin32Backend* Self = nullptr;

HWND H(void* Window) {
  return static_cast<HWND>(Window);
}

ui::TControl* ControlOf(HWND Window) {
  return reinterpret_cast<ui::TControl*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
}

LRESULT CALLBACK ControlProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_NCCREATE) {
    auto* Create = reinterpret_cast<CREATESTRUCTW*>(LParam);
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Create->lpCreateParams));
  }
  ui::TControl* Control = ControlOf(Window);
  if (!Control || !Self || !ui::Application) return DefWindowProcW(Window, Msg, WParam, LParam);
  return Self->ControlMessage(Window, *Control, Msg, WParam, LParam);
}

LRESULT CALLBACK ApplicationProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (!Self) return DefWindowProcW(Window, Msg, WParam, LParam);
  return Self->ApplicationMessage(Window, Msg, WParam, LParam);
}

COLORREF Resolve(ui::TColor Color) {
  return ui::IsSystemColor(Color) ? GetSysColor(static_cast<int>(Color & 0xFF)) : Color;
}

void Fill(HDC Dc, const RECT& R, ui::TColor Color) {
  HBRUSH Brush = CreateSolidBrush(Resolve(Color));
  FillRect(Dc, &R, Brush);
  DeleteObject(Brush);
}

// One bevel ring of one pixel: top and left edges in TopLeft, bottom and right
// in BottomRight (which takes both corners it shares), then R shrinks by one.
void Bevel(HDC Dc, RECT& R, ui::TBevelCut Cut) {
  if (Cut == ui::TBevelCut::bvNone) return;
  const bool Raised = Cut == ui::TBevelCut::bvRaised;
  const ui::TColor TopLeft = Raised ? ui::clBtnHighlight : ui::clBtnShadow;
  const ui::TColor BottomRight = Raised ? ui::clBtnShadow : ui::clBtnHighlight;
  Fill(Dc, {R.left, R.top, R.right - 1, R.top + 1}, TopLeft);
  Fill(Dc, {R.left, R.top, R.left + 1, R.bottom - 1}, TopLeft);
  Fill(Dc, {R.right - 1, R.top, R.right, R.bottom}, BottomRight);
  Fill(Dc, {R.left, R.bottom - 1, R.right, R.bottom}, BottomRight);
  InflateRect(&R, -1, -1);
}

platform::TPoint ScreenPoint(HWND Window, LPARAM LParam) {
  POINT P{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)};
  ClientToScreen(Window, &P);
  return {P.x, P.y};
}

HMENU BuildMenu(const ui::TMenuItem& Parent, std::vector<ui::TMenuItem*>& Commands) {
  HMENU Menu = CreatePopupMenu();
  for (ui::TMenuItem* Item : Parent.Items()) {
    const UINT Check = Item->Checked() ? MF_CHECKED : MF_UNCHECKED;
    const std::wstring Caption = Widen(Item->Caption());
    if (Item->Items().empty()) {
      Commands.push_back(Item);
      AppendMenuW(Menu, MF_STRING | Check, Commands.size(), Caption.c_str());
    } else {
      AppendMenuW(Menu, MF_STRING | MF_POPUP | Check,
                  reinterpret_cast<UINT_PTR>(BuildMenu(*Item, Commands)), Caption.c_str());
    }
  }
  return Menu;
}

} // namespace

TWin32Backend::TWin32Backend() {
  Self = this;
  INITCOMMONCONTROLSEX Controls{sizeof Controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&Controls);
  HINSTANCE Instance = GetModuleHandleW(nullptr);
  HICON Icon = LoadIconW(Instance, L"MAINICON");
  WNDCLASSEXW Class{};
  Class.cbSize = sizeof Class;
  Class.hInstance = Instance;
  Class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  Class.hIcon = Icon;
  Class.lpfnWndProc = ApplicationProc;
  Class.lpszClassName = ApplicationClass;
  RegisterClassExW(&Class);
  Class.lpfnWndProc = ControlProc;
  Class.lpszClassName = FormClass;
  RegisterClassExW(&Class);
  Class.hIcon = nullptr;
  Class.lpszClassName = ControlClass;
  RegisterClassExW(&Class);
}

TWin32Backend::~TWin32Backend() {
  DestroyAll();
  for (auto& [Key, Font] : FFonts)
    DeleteObject(static_cast<HFONT>(Font));
  if (Self == this) Self = nullptr;
}

std::int64_t TWin32Backend::Now() {
  return static_cast<std::int64_t>(GetTickCount64());
}

int TWin32Backend::FrameWidth() {
  if (FFrame < 0) {
    // The frame that the dialog-framed pop-up without a title bar gets.
    RECT R{0, 0, 100, 100};
    AdjustWindowRectEx(&R, WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, FALSE,
                       WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE);
    FFrame = -R.left;
  }
  return FFrame;
}

void* TWin32Backend::Find(const ui::TControl& Control) const {
  auto It = FWindows.find(&Control);
  return It == FWindows.end() ? nullptr : It->second;
}

std::uintptr_t TWin32Backend::WindowHandle(ui::TControl& Control) {
  return reinterpret_cast<std::uintptr_t>(Find(Control));
}

void TWin32Backend::EnsureApplicationWindow() {
  if (FApplicationWindow) return;
  const std::wstring Title = Widen(ui::Application ? ui::Application->Title : std::string());
  // Zero-sized but shown: it holds the task-bar entry while nobody sees it.
  HWND Window =
      CreateWindowExW(0, ApplicationClass, Title.c_str(),
                      WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                      GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  FApplicationWindow = Window;
  ShowWindow(Window, SW_SHOWNOACTIVATE);
}

void TWin32Backend::CreateFormWindow(ui::TForm& Form) {
  EnsureApplicationWindow();
  ui::TCreateParams Params;
  Form.CreateParams(Params);
  const std::wstring Caption = Widen(Form.Caption());
  HWND Window = CreateWindowExW(Params.ExStyle, FormClass, Caption.c_str(), Params.Style,
                                Form.Left(), Form.Top(), Form.Width(), Form.Height(),
                                H(FApplicationWindow), nullptr, GetModuleHandleW(nullptr), &Form);
  FWindows[&Form] = Window;
  if (Form.StayOnTop)
    SetWindowPos(Window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  FTooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, Window, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  auto AddTip = [this, Window](HWND Tool) {
    TTTOOLINFOW Info{};
    Info.cbSize = sizeof Info;
    // Transparent to hit tests, so that the idle lookup sees what lies below.
    Info.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
    Info.hwnd = Window;
    Info.uId = reinterpret_cast<UINT_PTR>(Tool);
    Info.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(H(FTooltip), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&Info));
  };
  AddTip(Window);
  for (ui::TControl* Child : Form.Controls()) {
    CreateChildWindow(*Child, Window);
    AddTip(H(Find(*Child)));
  }
  if (Form.Visible()) ShowWindow(Window, SW_SHOWNORMAL);
}

void TWin32Backend::CreateChildWindow(ui::TControl& Control, void* Parent) {
  const std::wstring Caption = Widen(Control.Caption());
  HWND Window = CreateWindowExW(0, ControlClass, Caption.c_str(),
                                WS_CHILD | WS_CLIPSIBLINGS | (Control.Visible() ? WS_VISIBLE : 0),
                                Control.Left(), Control.Top(), Control.Width(), Control.Height(),
                                H(Parent), nullptr, GetModuleHandleW(nullptr), &Control);
  FWindows[&Control] = Window;
  // Later controls of the layout lie on top of earlier ones.
  SetWindowPos(Window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWin32Backend::ControlChanged(ui::TControl& Control) {
  if (FFinished) return;
  void* Window = Find(Control);
  if (!Window) {
    if (auto* Form = dynamic_cast<ui::TForm*>(&Control)) {
      if (!Form->Loading() && Form->Visible()) CreateFormWindow(*Form);
    } else if (Control.Parent()) {
      if (void* Parent = Find(*Control.Parent())) CreateChildWindow(Control, Parent);
    }
    return;
  }
  SyncWindow(Control, Window);
}

void TWin32Backend::SyncWindow(ui::TControl& Control, void* Window) {
  HWND W = H(Window);
  if (!FReadingBack) {
    RECT R{};
    GetWindowRect(W, &R);
    if (HWND Parent = GetParent(W); Parent && (GetWindowLongW(W, GWL_STYLE) & WS_CHILD))
      MapWindowPoints(nullptr, Parent, reinterpret_cast<POINT*>(&R), 2);
    if (R.left != Control.Left() || R.top != Control.Top() || R.right - R.left != Control.Width() ||
        R.bottom - R.top != Control.Height())
      SetWindowPos(W, nullptr, Control.Left(), Control.Top(), Control.Width(), Control.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    const bool Shown = (GetWindowLongW(W, GWL_STYLE) & WS_VISIBLE) != 0;
    if (Shown != Control.Visible())
      ShowWindow(W, !Control.Visible()                   ? SW_HIDE
                    : dynamic_cast<ui::TForm*>(&Control) ? SW_SHOWNORMAL
                                                         : SW_SHOWNA);
  }
  InvalidateRect(W, nullptr, FALSE);
}

void TWin32Backend::ReadBackBounds(ui::TForm& Form, void* Window) {
  RECT R{};
  GetWindowRect(H(Window), &R);
  if (R.left == Form.Left() && R.top == Form.Top() && R.right - R.left == Form.Width() &&
      R.bottom - R.top == Form.Height())
    return;
  FReadingBack = true;
  Form.SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
  FReadingBack = false;
}

void TWin32Backend::ControlDestroyed(ui::TControl& Control) {
  auto It = FWindows.find(&Control);
  if (It == FWindows.end()) return;
  HWND Window = H(It->second);
  FWindows.erase(It);
  FTips.erase(Window);
  SetWindowLongPtrW(Window, GWLP_USERDATA, 0);
  if (dynamic_cast<ui::TForm*>(&Control)) FTooltip = nullptr; // goes with its owner
  DestroyWindow(Window);
}

void TWin32Backend::DestroyAll() {
  FFinished = true;
  std::vector<HWND> Forms;
  for (auto& [Control, Window] : FWindows) {
    SetWindowLongPtrW(H(Window), GWLP_USERDATA, 0);
    if (!(GetWindowLongW(H(Window), GWL_STYLE) & WS_CHILD)) Forms.push_back(H(Window));
  }
  FWindows.clear();
  FTips.clear();
  for (HWND Form : Forms)
    DestroyWindow(Form);
  FTooltip = nullptr;
  if (FApplicationWindow) DestroyWindow(H(FApplicationWindow));
  FApplicationWindow = nullptr;
}

void TWin32Backend::CaptureChanged(ui::TControl* Control) {
  if (Control) {
    if (void* Window = Find(*Control)) SetCapture(H(Window));
  } else {
    ReleaseCapture();
  }
}

ui::TControl* TWin32Backend::IdleLookup(ui::TApplication& App, TPoint Screen) {
  // The system asks the form's hit test on the way, as it does on Windows for
  // every window lookup; that is how a resting pointer keeps saving the settings.
  HWND Window = WindowFromPoint({Screen.x, Screen.y});
  ui::TForm* Main = App.MainForm();
  for (auto& [Control, Handle] : FWindows)
    if (Handle == Window && Main && (Control == Main || Control->Parent() == Main))
      return const_cast<ui::TControl*>(Control);
  return nullptr;
}

void TWin32Backend::ShowPopupMenu(ui::TPopupMenu& Menu, int X, int Y) {
  std::vector<ui::TMenuItem*> Commands;
  HMENU Handle = BuildMenu(*Menu.Items(), Commands);
  HWND Owner = nullptr;
  if (ui::Application && ui::Application->MainForm()) Owner = H(Find(*ui::Application->MainForm()));
  if (!Owner) Owner = H(FApplicationWindow);
  // The menu closes on a click elsewhere only when its owner is in the foreground.
  // Its owner hears WM_ENTERMENULOOP, so the timers keep ticking while it is open.
  SetForegroundWindow(Owner);
  const UINT Command = static_cast<UINT>(
      TrackPopupMenuEx(Handle, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, X, Y,
                       Owner, nullptr));
  PostMessageW(Owner, WM_NULL, 0, 0);
  DestroyMenu(Handle);
  if (Command >= 1 && Command <= Commands.size()) Commands[Command - 1]->Click();
}

void TWin32Backend::SetModal(bool Entering) {
  FModal = std::max(0, FModal + (Entering ? 1 : -1));
  ArmModalTimer();
}

void TWin32Backend::TimersChanged() {
  ArmModalTimer();
}

void TWin32Backend::ArmModalTimer() {
  if (!FApplicationWindow) return;
  const auto Due = ui::Timers().NextDue();
  if (FModal == 0 || !Due) {
    KillTimer(H(FApplicationWindow), ModalTimerId);
    return;
  }
  const std::int64_t Delay = std::clamp<std::int64_t>(*Due - Now(), USER_TIMER_MINIMUM, INT_MAX);
  SetTimer(H(FApplicationWindow), ModalTimerId, static_cast<UINT>(Delay), nullptr);
}

void TWin32Backend::RunLoop(ui::TApplication& App) {
  if (FApplicationWindow) SetWindowTextW(H(FApplicationWindow), Widen(App.Title).c_str());
  MSG Msg;
  while (!App.Terminated()) {
    while (!App.Terminated() && PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
      if (Msg.message == WM_QUIT) {
        App.Terminate();
        break;
      }
      TranslateMessage(&Msg);
      DispatchMessageW(&Msg);
    }
    if (App.Terminated()) break;
    App.ProcessTimers();
    if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_NOREMOVE)) App.Idle();
    if (App.Terminated()) break;
    DWORD Timeout = INFINITE;
    if (const auto Due = ui::Timers().NextDue())
      Timeout = static_cast<DWORD>(std::clamp<std::int64_t>(*Due - Now(), 0, INT_MAX));
    MsgWaitForMultipleObjectsEx(0, nullptr, Timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  DestroyAll();
}

std::intptr_t TWin32Backend::ApplicationMessage(void* Window, unsigned Msg, std::uintptr_t WParam,
                                                std::intptr_t LParam) {
  if (Msg == WM_TIMER && WParam == ModalTimerId) {
    if (ui::Application) ui::Application->ProcessTimers();
    return 0;
  }
  if (Msg == WM_CLOSE) {
    // Closing the application closes its main form.
    if (ui::Application && ui::Application->MainForm())
      ui::Application->Protect([] { ui::Application->MainForm()->Close(); });
    return 0;
  }
  return DefWindowProcW(H(Window), Msg, WParam, LParam);
}

std::intptr_t TWin32Backend::ControlMessage(void* Handle, ui::TControl& Control, unsigned Msg,
                                            std::uintptr_t WParam, std::intptr_t LParam) {
  HWND Window = H(Handle);
  ui::TApplication& App = *ui::Application;
  auto* Form = dynamic_cast<ui::TForm*>(&Control);
  auto Button = [&](ui::TMouseButton B, bool Down) {
    const platform::TPoint P = ScreenPoint(Window, LParam);
    App.Protect([&] { App.MouseButton(B, Down, P); });
    return 0;
  };
  switch (Msg) {
  case WM_NCHITTEST:
    if (Form) return App.HitTest(*Form, {GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)});
    break;
  case WM_LBUTTONDOWN:
    return Button(ui::TMouseButton::mbLeft, true);
  case WM_LBUTTONUP:
    return Button(ui::TMouseButton::mbLeft, false);
  case WM_RBUTTONDOWN:
    return Button(ui::TMouseButton::mbRight, true);
  case WM_RBUTTONUP:
    return Button(ui::TMouseButton::mbRight, false);
  case WM_MBUTTONDOWN:
    return Button(ui::TMouseButton::mbMiddle, true);
  case WM_MBUTTONUP:
    return Button(ui::TMouseButton::mbMiddle, false);
  case WM_NCRBUTTONDOWN:
    if (Form) return 0;
    break;
  case WM_NCRBUTTONUP:
    // A right click on the background that the hit test gave to the frame.
    if (Form && WParam == HTCAPTION) {
      if (ui::TPopupMenu* Menu = Form->PopupMenu())
        App.Protect([&] { Menu->Popup(GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)); });
      return 0;
    }
    break;
  case WM_CONTEXTMENU:
    return 0; // the menu opens on the right button's release, above
  case WM_KEYDOWN:
  case WM_KEYUP:
    App.Key(static_cast<std::uint16_t>(WParam), Msg == WM_KEYDOWN);
    return 0;
  case WM_CAPTURECHANGED:
    if (ui::TControl* Holder = App.CaptureControl();
        Holder && Find(*Holder) != reinterpret_cast<void*>(LParam))
      App.SetCapture(nullptr); // the system took it away
    return 0;
  case WM_CLOSE:
    if (Form) {
      App.Protect([Form] { Form->Close(); });
      return 0;
    }
    break;
  case WM_WINDOWPOSCHANGED:
    if (Form && !FFinished) ReadBackBounds(*Form, Handle);
    break;
  case WM_ENTERSIZEMOVE:
  case WM_ENTERMENULOOP:
    SetModal(true);
    break;
  case WM_EXITSIZEMOVE:
  case WM_EXITMENULOOP:
    SetModal(false);
    break;
  case WM_NOTIFY: {
    auto* Info = reinterpret_cast<NMTTDISPINFOW*>(LParam);
    if (Info->hdr.code != TTN_GETDISPINFOW) break;
    HWND Tool = reinterpret_cast<HWND>(Info->hdr.idFrom);
    ui::TControl* Owner = ControlOf(Tool);
    std::wstring& Text = FTips[Tool];
    Text = Owner && Owner->ShowHint() ? Widen(Owner->Hint()) : std::wstring();
    Info->lpszText = Text.data();
    return 0;
  }
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT:
    Paint(Control, Handle);
    return 0;
  default:
    break;
  }
  return DefWindowProcW(Window, Msg, WParam, LParam);
}

void* TWin32Backend::FontFor(const ui::TFont& Font) {
  const auto Key = std::make_tuple(Font.Name, Font.Height, Font.Bold, Font.Charset);
  auto It = FFonts.find(Key);
  if (It != FFonts.end()) return It->second;
  HFONT Handle =
      CreateFontW(Font.Height, 0, 0, 0, Font.Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                  static_cast<BYTE>(Font.Charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Widen(Font.Name).c_str());
  FFonts[Key] = Handle;
  return Handle;
}

void TWin32Backend::Paint(ui::TControl& Control, void* Window) {
  PAINTSTRUCT Ps;
  HDC Dc = BeginPaint(H(Window), &Ps);
  RECT R{};
  GetClientRect(H(Window), &R);
  if (auto* Panel = dynamic_cast<ui::TCustomPanel*>(&Control)) {
    for (int I = 0; I < Panel->BevelWidth(); ++I)
      Bevel(Dc, R, Panel->BevelOuter());
    for (int I = 0; I < Panel->BevelWidth(); ++I)
      Bevel(Dc, R, Panel->BevelInner());
    Fill(Dc, R, Control.Color());
    HGDIOBJ Old = SelectObject(Dc, static_cast<HFONT>(FontFor(Control.Font())));
    SetTextColor(Dc, Resolve(Control.Font().Color));
    SetBkMode(Dc, TRANSPARENT);
    SIZE Letter{};
    GetTextExtentPoint32W(Dc, L"W", 1, &Letter);
    RECT Text = R;
    Text.top = (R.bottom + R.top - Letter.cy) / 2;
    Text.bottom = Text.top + Letter.cy;
    const std::wstring Caption = Widen(Control.Caption());
    DrawTextW(Dc, Caption.c_str(), -1, &Text, DT_EXPANDTABS | DT_VCENTER | DT_CENTER);
    SelectObject(Dc, Old);
  } else {
    Fill(Dc, R, Control.Color());
  }
  EndPaint(H(Window), &Ps);
}

} // namespace platform::win32
