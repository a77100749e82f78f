#include "ui/Timer.h"

#include "ui/Backend.h"

#include <algorithm>

namespace ui {

TTimerQueue& Timers() {
  static TTimerQueue Queue;
  return Queue;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  UpdateTimer();
}

TTimer::~TTimer() {
  Timers().Stop(this);
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(std::uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  Timers().Stop(this);
  if (FEnabled && FInterval != 0) Timers().Start(this, Backend().Now());
  Backend().TimersChanged();
}

void TTimerQueue::Start(TTimer* Timer, std::int64_t Now) {
  FEntries.push_back({Timer, Now + Timer->Interval(), ++FStarts});
}

void TTimerQueue::Stop(TTimer* Timer) {
  std::erase_if(FEntries, [Timer](const TEntry& E) { return E.Timer == Timer; });
}

std::optional<std::int64_t> TTimerQueue::NextDue() const {
  std::optional<std::int64_t> Due;
  for (const TEntry& E : FEntries)
    if (!Due || E.Due < *Due) Due = E.Due;
  return Due;
}

bool TTimerQueue::FireOne(std::int64_t Now, std::set<const TTimer*>& Ran) {
  auto Earliest = FEntries.end();
  for (auto It = FEntries.begin(); It != FEntries.end(); ++It) {
    if (It->Due > Now || Ran.count(It->Timer)) continue;
    if (Earliest == FEntries.end() || It->Due < Earliest->Due ||
        (It->Due == Earliest->Due && It->Order < Earliest->Order))
      Earliest = It;
  }
  if (Earliest == FEntries.end()) return false;
  // Reschedule before the handler runs, so that the handler may stop or restart
  // its own timer; periods missed meanwhile collapse into this one tick.
  const std::int64_t Period = Earliest->Timer->Interval();
  const std::int64_t Missed = (Now - Earliest->Due) / Period;
  Earliest->Due += (Missed + 1) * Period;
  TTimer* Timer = Earliest->Timer;
  Ran.insert(Timer);
  Backend().TimersChanged();
  if (Timer->OnTimer) Timer->OnTimer(Timer);
  return true;
}

} // namespace ui
