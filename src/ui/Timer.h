// TTimer and the one timer queue of the UI thread.
//
// The rules every handler relies on, kept here and nowhere else:
//  1. an enabled timer ticks once per Interval until disabled;
//  2. enabling a stopped timer starts a full period; setting Enabled to its
//     current value changes nothing, so a running count is not restarted;
//  3. a new Interval on an enabled timer starts a fresh period; the same value
//     changes nothing; on a disabled timer it is only stored;
//  4. Interval 0 never ticks.
// Ticks that fall due while a handler runs are merged: the timer ticks once
// afterwards and keeps its original schedule. Times are milliseconds of the
// backend's clock.
#pragma once

#include "ui/Component.h"

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

namespace ui {

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  std::uint32_t Interval() const { return FInterval; }
  void SetInterval(std::uint32_t Value);

  TNotifyEvent OnTimer;

private:
  void UpdateTimer();

  bool FEnabled = true;
  std::uint32_t FInterval = 1000;
};

class TTimerQueue {
public:
  // Earliest deadline of any running timer.
  std::optional<std::int64_t> NextDue() const;
  // Runs the earliest timer due at Now, if any; false when none is due.
  // Timers due at the same moment run in the order they were started.
  // Timers already in Ran are passed over; the one that runs is added.
  bool FireOne(std::int64_t Now, std::set<const TTimer*>& Ran);

private:
  friend class TTimer;
  struct TEntry {
    TTimer* Timer;
    std::int64_t Due;
    std::uint64_t Order; // when equal deadlines meet, the earlier-started timer goes first
  };
  void Start(TTimer* Timer, std::int64_t Now);
  void Stop(TTimer* Timer);

  std::vector<TEntry> FEntries;
  std::uint64_t FStarts = 0;
};

TTimerQueue& Timers();

} // namespace ui
