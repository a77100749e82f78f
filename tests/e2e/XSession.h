// A private X display for end-to-end tests: Xvfb on a display number it picks
// itself (-displayfd), a private HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR in a
// temporary folder, and every process started here ended by its PID. The
// session is also an X client itself, for what the tests observe: windows,
// their geometry and stacking, the focus, and pixels.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct TGeometry {
  int X = 0, Y = 0, Width = 0, Height = 0;
};

// Polls Condition every 20 ms until it holds or Timeout passes.
bool WaitFor(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout);

std::string ReadFile(const std::string& Path);
std::vector<std::string> ReadLines(const std::string& Path);

class TXSession {
public:
  TXSession(int Width = 1280, int Height = 1024);
  ~TXSession();
  TXSession(const TXSession&) = delete;
  TXSession& operator=(const TXSession&) = delete;

  const std::string& DisplayName() const { return FDisplayName; }
  const std::string& Folder() const { return FFolder; }
  std::string ConfigHome() const { return FFolder + "/config"; }
  std::string SettingsPath() const { return ConfigHome() + "/Tazu/TazuClick.ini"; }

  // Starts a program with the session's environment; its output goes to
  // LogName in the session's folder. Ended at the latest by the destructor.
  pid_t Start(const std::vector<std::string>& Argv, const std::string& LogName,
              const std::vector<std::string>& ExtraEnvironment = {});
  // Waits for the program to end; its exit status (as waitpid gives it).
  std::optional<int> WaitExit(pid_t Pid, std::chrono::milliseconds Timeout);
  bool Running(pid_t Pid);
  // SIGTERM, then SIGKILL when it lingers.
  void Stop(pid_t Pid);
  // Runs xdotool with these arguments and waits for it.
  void Xdo(const std::vector<std::string>& Args);

  // Observation.
  std::uintptr_t FindWindow(const std::string& Title);
  TGeometry Geometry(std::uintptr_t Window);
  bool Viewable(std::uintptr_t Window);
  // Mapped top-level windows, bottom to top.
  std::vector<std::uintptr_t> Stacking();
  std::uintptr_t Focus();
  // 0xRRGGBB of a screen pixel.
  std::uint32_t Pixel(int X, int Y);

private:
  std::string FFolder;
  std::string FDisplayName;
  pid_t FServer = -1;
  std::vector<pid_t> FChildren;
  void* FDisplay = nullptr;
};

} // namespace e2e
