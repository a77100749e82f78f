// Keeps a top-level window above the others when no window manager does: with
// no one to honour "stay on top", every window mapped or raised later would
// cover the toolbar. Watches the root window's children on a connection of its
// own; the toolkit's loop calls Dispatch when Fd() is readable. Menus, tooltips
// and other override-redirect windows may still lie above it, as they do above
// topmost windows elsewhere.
#pragma once

#include <cstdint>
#include <memory>

namespace platform::x11 {

class TKeepAbove {
public:
  TKeepAbove();
  ~TKeepAbove();
  TKeepAbove(const TKeepAbove&) = delete;
  TKeepAbove& operator=(const TKeepAbove&) = delete;

  // Starts watching for Window; -1 when there is nothing to watch (a window
  // manager keeps it above, or no display), else the descriptor to poll.
  int Watch(std::uintptr_t Window);
  void Dispatch();

private:
  void DispatchQueued();

  struct TImpl;
  std::unique_ptr<TImpl> F;
};

} // namespace platform::x11
