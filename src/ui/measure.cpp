#include "ui/measure.h"

#include "engine/game.h"
#include "platform/keys.h"
#include "ui/image_scr.h"
#include "ui/key_map.h"
#include "ui/main_window.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <memory>

#include <sys/resource.h>

namespace {
using TClock = std::chrono::steady_clock;
const TClock::time_point ProgramStart = TClock::now();

double MsSince(TClock::time_point T) {
  return std::chrono::duration<double, std::milli>(TClock::now() - T).count();
}

// What the whole program (every thread) has used so far: processor time, user
// and system, in seconds, and the times a thread was put to sleep or taken off
// the processor. A sleeping thread woken again is a wakeup of the machine,
// which costs a laptop's battery as much as the processor time.
struct TUse {
  double Cpu = 0;
  double Voluntary = 0, Involuntary = 0; // context switches
  TUse operator-(const TUse& Earlier) const {
    return {Cpu - Earlier.Cpu, Voluntary - Earlier.Voluntary, Involuntary - Earlier.Involuntary};
  }
  TUse& operator+=(const TUse& More) {
    Cpu += More.Cpu;
    Voluntary += More.Voluntary;
    Involuntary += More.Involuntary;
    return *this;
  }
};

TUse UseSoFar() {
  rusage Usage{};
  getrusage(RUSAGE_SELF, &Usage);
  const auto Seconds = [](const timeval& T) { return static_cast<double>(T.tv_sec) + T.tv_usec / 1e6; };
  return {Seconds(Usage.ru_utime) + Seconds(Usage.ru_stime), static_cast<double>(Usage.ru_nvcsw),
          static_cast<double>(Usage.ru_nivcsw)};
}

// What the program used, and the wall time, told apart by whether the game
// was playing or showing its win or lose screen; sampled often enough to tell
// them apart, and seldom enough to add few wakeups of its own.
constexpr int SampleMs = 500;
struct TPhases {
  TUse Play, Stop;
  double PlayWall = 0, StopWall = 0;
  TUse Last;
  TClock::time_point LastWall;
  void Start() {
    Last = UseSoFar();
    LastWall = TClock::now();
  }
  void Sample(bool Stopped) {
    const TUse Now = UseSoFar();
    (Stopped ? Stop : Play) += Now - Last;
    (Stopped ? StopWall : PlayWall) += MsSince(LastWall) / 1000.0;
    Start();
  }
};

double Percent(double Part, double Whole) { return Whole > 0 ? 100.0 * Part / Whole : 0.0; }

void PrintUse(const char* When, const TUse& Use, double Wall) {
  std::printf("cpu: %.1f %% of one core %s (%.1f s)\n", Percent(Use.Cpu, Wall), When, Wall);
  std::printf("wakeups: %.0f per second %s (%.0f voluntary, %.0f involuntary context switches, all threads)\n",
              (Use.Voluntary + Use.Involuntary) / Wall, When, Use.Voluntary / Wall, Use.Involuntary / Wall);
}
} // namespace

void MeasureWhenAsked(int Seconds, TFrmMain& Main) {
  if (Seconds <= 0)
    return;
  QObject::connect(&Main.Screen(), &TImageScr::FirstPainted, &Main, [&Main, Seconds] {
    std::printf("first picture on screen after %.0f ms\n", MsSince(ProgramStart));
    std::fflush(stdout);
    const auto Start = std::make_shared<TClock::time_point>(TClock::now());
    const auto Before = std::make_shared<TLoopPacer::TStats>(Main.LoopStats());
    const auto Phases = std::make_shared<TPhases>();
    Phases->Start();
    auto* Sampler = new QTimer(&Main);
    QObject::connect(Sampler, &QTimer::timeout, &Main, [&Main, Phases] { Phases->Sample(Main.Game->Stopped); });
    Sampler->start(SampleMs);
    QTimer::singleShot(Seconds * 1000, &Main, [&Main, Start, Before, Phases, Sampler] {
      Phases->Sample(Main.Game->Stopped);
      Sampler->stop();
      const double Elapsed = MsSince(*Start) / 1000.0;
      const TLoopPacer::TStats& After = Main.LoopStats();
      const auto PerSecond = [Elapsed](std::uint64_t Count) { return static_cast<double>(Count) / Elapsed; };
      std::printf("main loop: %.0f passes per second (tick + render + copy + dispatch)\n",
                  PerSecond(After.Passes - Before->Passes));
      std::printf("main loop: %.1f %% of milliseconds had a pass while playing (nothing was due in the others)\n",
                  Percent(static_cast<double>(After.MsVisited - Before->MsVisited),
                          static_cast<double>(After.MsPlayed - Before->MsPlayed)));
      std::printf("main loop: %.0f changed pictures per second\n", PerSecond(After.Pictures - Before->Pictures));
      if (Phases->PlayWall > 0)
        PrintUse("while playing", Phases->Play, Phases->PlayWall);
      if (Phases->StopWall > 0)
        PrintUse("on the win or lose screen", Phases->Stop, Phases->StopWall);
      std::fflush(stdout);
      Main.close();
    });
    QCoreApplication::postEvent(&Main, MakeKeyPress(vkSpace));
  });
}
