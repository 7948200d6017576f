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

// Processor time the whole program has used so far, user and system, in seconds.
double CpuSeconds() {
  rusage Usage{};
  getrusage(RUSAGE_SELF, &Usage);
  const auto Seconds = [](const timeval& T) { return static_cast<double>(T.tv_sec) + T.tv_usec / 1e6; };
  return Seconds(Usage.ru_utime) + Seconds(Usage.ru_stime);
}

// Processor time and wall time, told apart by whether the game was playing
// or showing its win or lose screen; sampled often enough to tell them apart.
struct TPhases {
  double PlayCpu = 0, PlayWall = 0, StopCpu = 0, StopWall = 0;
  double LastCpu = 0;
  TClock::time_point LastWall;
  void Start() {
    LastCpu = CpuSeconds();
    LastWall = TClock::now();
  }
  void Sample(bool Stopped) {
    const double Cpu = CpuSeconds();
    const double Wall = MsSince(LastWall) / 1000.0;
    (Stopped ? StopCpu : PlayCpu) += Cpu - LastCpu;
    (Stopped ? StopWall : PlayWall) += Wall;
    Start();
  }
};

double Percent(double Part, double Whole) { return Whole > 0 ? 100.0 * Part / Whole : 0.0; }
} // namespace

void MeasureWhenAsked(int Seconds, TFrmMain& Main) {
  if (Seconds <= 0)
    return;
  QObject::connect(Main.ImageScr, &TImageScr::FirstPainted, &Main, [&Main, Seconds] {
    std::printf("first picture on screen after %.0f ms\n", MsSince(ProgramStart));
    std::fflush(stdout);
    const auto Start = std::make_shared<TClock::time_point>(TClock::now());
    const auto Before = std::make_shared<TLoopPacer::TStats>(Main.Pacer.Stats());
    const auto Phases = std::make_shared<TPhases>();
    Phases->Start();
    auto* Sampler = new QTimer(&Main);
    QObject::connect(Sampler, &QTimer::timeout, &Main, [&Main, Phases] { Phases->Sample(Main.Game->Stopped); });
    Sampler->start(100);
    QTimer::singleShot(Seconds * 1000, &Main, [&Main, Start, Before, Phases, Sampler] {
      Phases->Sample(Main.Game->Stopped);
      Sampler->stop();
      const double Elapsed = MsSince(*Start) / 1000.0;
      const TLoopPacer::TStats& After = Main.Pacer.Stats();
      const auto PerSecond = [Elapsed](std::uint64_t Count) { return static_cast<double>(Count) / Elapsed; };
      std::printf("main loop: %.0f passes per second (tick + render + copy + dispatch)\n",
                  PerSecond(After.Passes - Before->Passes));
      std::printf("main loop: %.1f %% of milliseconds visited while playing\n",
                  Percent(static_cast<double>(After.MsVisited - Before->MsVisited),
                          static_cast<double>(After.MsPlayed - Before->MsPlayed)));
      std::printf("main loop: %.0f changed pictures per second\n", PerSecond(After.Pictures - Before->Pictures));
      std::printf("cpu: %.1f %% of one core while playing (%.1f s)\n", Percent(Phases->PlayCpu, Phases->PlayWall),
                  Phases->PlayWall);
      if (Phases->StopWall > 0)
        std::printf("cpu: %.1f %% of one core on the win or lose screen (%.1f s)\n",
                    Percent(Phases->StopCpu, Phases->StopWall), Phases->StopWall);
      std::fflush(stdout);
      Main.close();
    });
    QCoreApplication::postEvent(&Main, MakeKeyPress(vkSpace));
  });
}
