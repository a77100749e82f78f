// The widget layer's backend on Qt 6 Widgets. Implemented: the clock, the loop
// (the layer's idle step on aboutToBlock, one precise single-shot timer for its
// next deadline, input handed to TApplication, which does the hit tests and the
// move), a frameless, always-on-top tool window per form that never takes the
// keyboard focus, child widgets painting the panels' bevels, faces and
// captions, tooltips from Hint, the popup menu as a QMenu, message boxes as
// QMessageBox, the background move through the window manager
// (startSystemMove) with the layer's own move as the fallback.
// Needs a QApplication; UI thread only.
#pragma once

#include "ui/Backend.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform::qt {

class TQtBackend final : public ui::TBackend {
public:
  TQtBackend();
  ~TQtBackend() override;
  TQtBackend(const TQtBackend&) = delete;
  TQtBackend& operator=(const TQtBackend&) = delete;

  std::int64_t Now() override;
  int FrameWidth() override { return 3; }
  void RunLoop(ui::TApplication& App) override;
  void TimersChanged() override;
  void ControlChanged(ui::TControl& Control) override;
  void ControlDestroyed(ui::TControl& Control) override;
  std::uintptr_t WindowHandle(ui::TControl& Control) override;
  void ShowPopupMenu(ui::TPopupMenu& Menu, int X, int Y) override;

  // Modal message box with an OK button and the icon of the MB_ICON flag.
  void MessageBox(const std::string& Caption, const std::string& Text, std::uint32_t Flags);

  // Called with the native window of a form when it is first shown.
  std::function<void(std::uintptr_t Window)> OnWindowShown;

  struct TImpl;

private:
  std::unique_ptr<TImpl> F;
};

} // namespace platform::qt
