// Benchmark of the Linux program under Xvfb (not a test; scripts/bench-linux
// runs it on a release build): start to mapped window, resident memory after
// start, CPU time and wake-ups over a rest, and the delay from the countdown's
// deadline to the click's arrival at a target window.
// Usage: tazu-bench-linux [--starts N] [--rest SECONDS] [--clicks N]
#include "XSession.h"

#include "platform/posix/AnsiCodec.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* Title = "「たずクリック。」Ver2.20";

struct TUsage {
  double CpuSeconds = 0;
  long long Voluntary = 0, Involuntary = 0;
};

// All threads of the process: on-CPU time and context switches.
TUsage Usage(pid_t Pid) {
  TUsage U;
  const std::string Tasks = "/proc/" + std::to_string(Pid) + "/task";
  for (const auto& Task : std::filesystem::directory_iterator(Tasks)) {
    std::ifstream Sched(Task.path() / "schedstat");
    long long Ns = 0;
    Sched >> Ns;
    U.CpuSeconds += Ns / 1e9;
    std::ifstream StatusFile(Task.path() / "status");
    for (std::string Line; std::getline(StatusFile, Line);) {
      if (Line.starts_with("voluntary_ctxt_switches:")) U.Voluntary += std::stoll(Line.substr(24));
      if (Line.starts_with("nonvoluntary_ctxt_switches:"))
        U.Involuntary += std::stoll(Line.substr(27));
    }
  }
  return U;
}

long ResidentKiB(pid_t Pid) {
  std::ifstream StatusFile("/proc/" + std::to_string(Pid) + "/status");
  for (std::string Line; std::getline(StatusFile, Line);)
    if (Line.starts_with("VmRSS:")) return std::stol(Line.substr(6));
  return -1;
}

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  return V.empty()      ? 0
         : V.size() % 2 ? V[V.size() / 2]
                        : (V[V.size() / 2 - 1] + V[V.size() / 2]) / 2;
}

void WriteSettings(e2e::TXSession& S) {
  std::filesystem::create_directories(S.ConfigHome() + "/Tazu");
  auto Section = [](const char* Name, const std::string& Line) {
    return "[" + platform::posix::Utf8ToAnsi(Name) + "]\r\n" + Line + "\r\n";
  };
  std::ofstream Out(S.SettingsPath(), std::ios::binary);
  Out << Section("クリック開始までの時間", "Timer=5") << Section("起動時の縦座標", "YPOS=40")
      << Section("起動時の横座標", "XPOS=40") << Section("拡大表示", "ON=0");
}

// Starts the program and waits for its window's MapNotify; milliseconds taken.
double StartToMapped(e2e::TXSession& S, pid_t& Pid, const std::vector<std::string>& Env) {
  Display* D = XOpenDisplay(S.DisplayName().c_str());
  XSelectInput(D, DefaultRootWindow(D), SubstructureNotifyMask);
  XSync(D, False);
  const auto Begin = Clock::now();
  Pid = S.Start({TAZUCLICK}, "tazuclick.log", Env);
  double Ms = -1;
  while (Clock::now() - Begin < 20s) {
    if (!XPending(D)) {
      pollfd P{ConnectionNumber(D), POLLIN, 0};
      ::poll(&P, 1, 100);
      continue;
    }
    XEvent E;
    XNextEvent(D, &E);
    if (E.type == MapNotify && S.FindWindow(Title) == E.xmap.window) {
      Ms = std::chrono::duration<double, std::milli>(Clock::now() - Begin).count();
      break;
    }
  }
  XCloseDisplay(D);
  return Ms;
}

long long Field(const std::string& Line, const std::string& Key) {
  const auto At = Line.find(Key);
  return At == std::string::npos ? -1 : std::stoll(Line.substr(At + Key.size()));
}

} // namespace

int main(int argc, char** argv) {
  int Starts = 5, Rest = 60, Clicks = 20;
  for (int I = 1; I + 1 < argc; I += 2) {
    if (!std::strcmp(argv[I], "--starts")) Starts = std::atoi(argv[I + 1]);
    if (!std::strcmp(argv[I], "--rest")) Rest = std::atoi(argv[I + 1]);
    if (!std::strcmp(argv[I], "--clicks")) Clicks = std::atoi(argv[I + 1]);
  }
  e2e::TXSession S;
  WriteSettings(S);
  S.Start({TAZU_XTARGET, S.Folder() + "/target.log", "0", "0", "1280", "1024", "--time"},
          "target.out");
  e2e::WaitFor([&] { return !e2e::ReadLines(S.Folder() + "/target.log").empty(); }, 10s);
  S.Xdo({"mousemove", "--sync", "900", "700"});
  const std::string WakeLog = S.Folder() + "/wake.log";

  std::vector<double> StartMs;
  pid_t Pid = -1;
  for (int I = 0; I < Starts; ++I) {
    StartMs.push_back(StartToMapped(S, Pid, {"TAZU_WAKE_LOG=" + WakeLog}));
    if (I + 1 < Starts) {
      S.Stop(Pid);
      std::this_thread::sleep_for(200ms);
    }
  }
  std::this_thread::sleep_for(2s);
  const long Rss = ResidentKiB(Pid);

  const TUsage Before = Usage(Pid);
  std::this_thread::sleep_for(std::chrono::seconds(Rest));
  const TUsage After = Usage(Pid);
  const double CpuPercent = 100.0 * (After.CpuSeconds - Before.CpuSeconds) / Rest;
  const double Wakeups = double(After.Voluntary - Before.Voluntary) / Rest;
  const double Involuntary = double(After.Involuntary - Before.Involuntary) / Rest;

  std::vector<double> Delays;
  const std::string TargetLog = S.Folder() + "/target.log";
  auto Presses = [&] {
    std::vector<long long> Out;
    for (const auto& L : e2e::ReadLines(TargetLog))
      if (L.starts_with("press")) Out.push_back(Field(L, "t="));
    return Out;
  };
  for (int I = 0; I < Clicks; ++I) {
    const std::size_t Seen = Presses().size();
    const int X = I % 2 ? 900 : 960, Y = I % 2 ? 700 : 740;
    S.Xdo({"mousemove", "--sync", std::to_string(X), std::to_string(Y)});
    if (!e2e::WaitFor([&] { return Presses().size() > Seen; }, 6s)) continue;
    const long long Arrival = Presses().back();
    long long Due = -1;
    for (const auto& L : e2e::ReadLines(WakeLog)) {
      std::istringstream In(L);
      std::string Word;
      long long D = 0, Woke = 0;
      In >> Word >> D >> Woke;
      if (Woke <= Arrival) Due = D;
    }
    if (Due >= 0) Delays.push_back((Arrival - Due * 1000) / 1000.0);
    std::this_thread::sleep_for(300ms); // the release, 100 ms after the press
  }

  std::printf("Linux program under Xvfb (release build), %d starts, %d s rest, %zu clicks\n",
              Starts, Rest, Delays.size());
  std::printf("  start to mapped window   median %.1f ms (runs:", Median(StartMs));
  for (double Ms : StartMs)
    std::printf(" %.1f", Ms);
  std::printf(")\n");
  std::printf("  resident memory          %.1f MB (%ld KiB)\n", Rss / 1024.0, Rss);
  std::printf("  CPU at rest              %.3f %% of one core\n", CpuPercent);
  std::printf("  wake-ups at rest         %.2f /s (voluntary switches, all threads; %.2f /s "
              "involuntary)\n",
              Wakeups, Involuntary);
  if (!Delays.empty())
    std::printf("  click after deadline     median %.2f ms, max %.2f ms\n", Median(Delays),
                *std::max_element(Delays.begin(), Delays.end()));
  S.Stop(Pid);
  return 0;
}
