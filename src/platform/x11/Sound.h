// Synchronous sound through libcanberra: Play returns when the sound has
// finished, failed, or after a bounded wait (then the sound is cancelled), so
// a stuck sound server cannot freeze the toolbar. A missing file plays the
// sound theme's "bell", as the system's default sound.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace platform::x11 {

class TSoundPlayer {
public:
  explicit TSoundPlayer(std::chrono::milliseconds Limit = std::chrono::milliseconds(3000));
  ~TSoundPlayer();
  TSoundPlayer(const TSoundPlayer&) = delete;
  TSoundPlayer& operator=(const TSoundPlayer&) = delete;

  // Path is an existing file, or empty for the theme's bell.
  void Play(const std::string& Path);

private:
  struct TImpl;
  std::unique_ptr<TImpl> F;
};

} // namespace platform::x11
