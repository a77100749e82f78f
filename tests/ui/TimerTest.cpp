// The timer rules of the widget layer, on both sides of each boundary.
#include "ui/Timer.h"
#include "platform/sim/SimDesktop.h"
#include "ui/Application.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

using platform::sim::TSimDesktop;

class TimerTest : public ::testing::Test {
protected:
  TimerTest() : Desktop({}, Trace) {
    platform::SetDesktop(&Desktop);
    ui::SetBackend(&Desktop);
  }
  ~TimerTest() override {
    Owner.reset();
    App.reset();
    platform::SetDesktop(nullptr);
    ui::SetBackend(nullptr);
  }

  ui::TTimer* Make(const char* Name, std::uint32_t Interval, bool Enabled = true) {
    auto* T = new ui::TTimer(Owner.get());
    T->SetName(Name);
    T->SetEnabled(Enabled);
    T->SetInterval(Interval);
    T->OnTimer = [this](ui::TObject* Sender) {
      auto* Self = static_cast<ui::TTimer*>(Sender);
      Ticks.push_back(Self->Name() + "@" + std::to_string(Desktop.Clock()));
      if (auto It = Actions.find(Self->Name()); It != Actions.end()) It->second();
    };
    return T;
  }

  // Lets virtual time reach Target, running due timers as a loop would.
  void RunTo(std::int64_t Target) {
    for (;;) {
      App->ProcessTimers();
      const auto Next = ui::Timers().NextDue();
      if (!Next || *Next > Target) break;
      if (*Next > Desktop.Clock()) Desktop.Advance(*Next - Desktop.Clock());
    }
    if (Desktop.Clock() < Target) Desktop.Advance(Target - Desktop.Clock());
  }

  std::ostringstream Trace;
  TSimDesktop Desktop;
  std::unique_ptr<ui::TApplication> App = std::make_unique<ui::TApplication>();
  std::unique_ptr<ui::TComponent> Owner = std::make_unique<ui::TComponent>(nullptr);
  std::vector<std::string> Ticks;
  std::map<std::string, std::function<void()>> Actions;
};

using Ticks = std::vector<std::string>;

TEST_F(TimerTest, EnabledTimerTicksOncePerIntervalUntilDisabled) {
  ui::TTimer* T = Make("T", 1000);
  RunTo(999);
  EXPECT_EQ(Ticks, (::Ticks{}));
  RunTo(1000);
  EXPECT_EQ(Ticks, (::Ticks{"T@1000"}));
  RunTo(3000);
  EXPECT_EQ(Ticks, (::Ticks{"T@1000", "T@2000", "T@3000"}));
  T->SetEnabled(false);
  RunTo(10000);
  EXPECT_EQ(Ticks.size(), 3u);
}

TEST_F(TimerTest, EnablingARunningTimerDoesNotRestartIt) {
  ui::TTimer* T = Make("T", 1000);
  RunTo(600);
  T->SetEnabled(true);
  RunTo(1000);
  EXPECT_EQ(Ticks, (::Ticks{"T@1000"}));
}

TEST_F(TimerTest, EnablingAStoppedTimerStartsAFullPeriod) {
  ui::TTimer* T = Make("T", 1000, false);
  RunTo(300);
  T->SetEnabled(true);
  RunTo(1299);
  EXPECT_EQ(Ticks, (::Ticks{}));
  RunTo(1300);
  EXPECT_EQ(Ticks, (::Ticks{"T@1300"}));
}

TEST_F(TimerTest, IntervalChangesRestartOnlyWhenTheValueDiffers) {
  ui::TTimer* T = Make("T", 1000);
  RunTo(400);
  T->SetInterval(1000); // same value: the count goes on
  RunTo(1000);
  EXPECT_EQ(Ticks, (::Ticks{"T@1000"}));
  RunTo(1400);
  T->SetInterval(2000); // new value: a fresh period from now
  RunTo(3399);
  EXPECT_EQ(Ticks.size(), 1u);
  RunTo(3400);
  EXPECT_EQ(Ticks.back(), "T@3400");
}

TEST_F(TimerTest, IntervalOfADisabledTimerIsOnlyStored) {
  ui::TTimer* T = Make("T", 1000, false);
  T->SetInterval(500);
  RunTo(5000);
  EXPECT_TRUE(Ticks.empty());
  T->SetEnabled(true);
  RunTo(5500);
  EXPECT_EQ(Ticks, (::Ticks{"T@5500"}));
}

TEST_F(TimerTest, IntervalZeroNeverTicksEvenWhenEnabled) {
  ui::TTimer* T = Make("T", 0);
  EXPECT_TRUE(T->Enabled());
  RunTo(100000);
  EXPECT_TRUE(Ticks.empty());
  EXPECT_FALSE(ui::Timers().NextDue().has_value());
  T->SetInterval(700);
  RunTo(100700);
  EXPECT_EQ(Ticks, (::Ticks{"T@100700"}));
}

TEST_F(TimerTest, TicksMissedDuringASleepingHandlerCollapseIntoOne) {
  Make("Probe", 1000);
  Make("Sleeper", 300);
  int Sleeps = 0;
  Actions["Sleeper"] = [&] {
    if (Sleeps++ == 0) Desktop.Advance(3500); // blocks from 300 to 3800
  };
  RunTo(4000);
  // Probe was due at 1000, 2000, 3000 while the handler ran: one tick at 3800,
  // then its own schedule again at 4000. The sleeper, whose periods were missed
  // too, also ticks once afterwards and then keeps to its 300 ms grid.
  EXPECT_EQ(Ticks,
            (::Ticks{"Sleeper@300", "Probe@3800", "Sleeper@3800", "Sleeper@3900", "Probe@4000"}));
}

TEST_F(TimerTest, TimerStartedInsideAnotherTickFallsAfterItAtSharedDeadlines) {
  ui::TTimer* Countdown = Make("Countdown", 3000, false);
  Make("Probe", 1000);
  Actions["Probe"] = [&] { Countdown->SetEnabled(true); };
  RunTo(4000);
  EXPECT_EQ(Ticks,
            (::Ticks{"Probe@1000", "Probe@2000", "Probe@3000", "Probe@4000", "Countdown@4000"}));
}

TEST_F(TimerTest, HandlerErrorsReachTheErrorDisplayAndTimersGoOn) {
  App->Title = "Title";
  Make("T", 1000);
  Actions["T"] = [] { throw std::runtime_error("broken"); };
  RunTo(2000);
  EXPECT_EQ(Ticks, (::Ticks{"T@1000", "T@2000"}));
  EXPECT_EQ(Trace.str(), "1000 msgbox \"Title\" \"broken\"\n2000 msgbox \"Title\" \"broken\"\n");
}

} // namespace
