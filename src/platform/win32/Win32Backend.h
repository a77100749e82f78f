// The widget layer's backend on the Win32 API. The widget layer keeps the
// rules; this file renders and delivers.
//
// Implemented:
//  - forms as top-level windows with the style of TForm::CreateParams, made
//    topmost, owned by the application window (zero-sized, so never seen; it
//    carries the title, the task-bar entry and the icon "MAINICON");
//  - controls as child windows, stacked in layout order (later on top), painted
//    as panels: outer and inner bevel, face, caption centred on the height of "W";
//  - WM_NCHITTEST answered by the form's Dispatch; HTCAPTION moves the window
//    by the system's own move loop, and the new position is read back;
//  - the idle lookup by WindowFromPoint, which asks the form's hit test;
//  - mouse buttons, keys and capture routed through TApplication;
//  - tooltips from the hints; the popup menu by TrackPopupMenu (UTF-16
//    captions, access keys, check marks), its command run before Popup returns;
//  - the loop: MsgWaitForMultipleObjectsEx up to the next timer deadline,
//    ProcessTimers, Idle when the queue is empty; inside modal loops (menu,
//    window move, message box) a system timer keeps the timers ticking.
// UI thread only.
#pragma once

#include "ui/Backend.h"
#include "ui/Control.h"
#include "ui/Form.h"

#include <cstdint>
#include <map>
#include <string>
#include <tuple>

namespace platform::win32 {

class TWin32Backend final : public ui::TBackend {
public:
  TWin32Backend();
  ~TWin32Backend() override;

  std::int64_t Now() override;
  int FrameWidth() override;
  void RunLoop(ui::TApplication& App) override;
  void TimersChanged() override;
  bool NativeHitTest() override { return true; }
  ui::TControl* IdleLookup(ui::TApplication& App, TPoint Screen) override;
  void ControlChanged(ui::TControl& Control) override;
  void CaptureChanged(ui::TControl* Control) override;
  void ControlDestroyed(ui::TControl& Control) override;
  std::uintptr_t WindowHandle(ui::TControl& Control) override;
  void ShowPopupMenu(ui::TPopupMenu& Menu, int X, int Y) override;

  // A modal loop that the system runs for us starts (true) or ends (false).
  void SetModal(bool Entering);

  // Window procedures' entry points.
  std::intptr_t ControlMessage(void* Window, ui::TControl& Control, unsigned Msg,
                               std::uintptr_t WParam, std::intptr_t LParam);
  std::intptr_t ApplicationMessage(void* Window, unsigned Msg, std::uintptr_t WParam,
                                   std::intptr_t LParam);

private:
  void* Find(const ui::TControl& Control) const;
  void CreateFormWindow(ui::TForm& Form);
  void CreateChildWindow(ui::TControl& Control, void* Parent);
  void EnsureApplicationWindow();
  void SyncWindow(ui::TControl& Control, void* Window);
  void ReadBackBounds(ui::TForm& Form, void* Window);
  void Paint(ui::TControl& Control, void* Window);
  void* FontFor(const ui::TFont& Font);
  void ArmModalTimer();
  void DestroyAll();

  std::map<const ui::TControl*, void*> FWindows;
  std::map<std::tuple<std::string, int, bool, int>, void*> FFonts;
  std::map<void*, std::wstring> FTips;
  void* FApplicationWindow = nullptr;
  void* FTooltip = nullptr;
  int FModal = 0;
  int FFrame = -1;
  bool FReadingBack = false;
  bool FFinished = false;
};

} // namespace platform::win32
