#include "ui/measure.h"

#include "platform/keys.h"
#include "ui/image_scr.h"
#include "ui/key_map.h"
#include "ui/main_window.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
using TClock = std::chrono::steady_clock;
const TClock::time_point ProgramStart = TClock::now();

double MsSince(TClock::time_point T) {
  return std::chrono::duration<double, std::milli>(TClock::now() - T).count();
}
} // namespace

void MeasureWhenAsked(int argc, char** argv, TFrmMain& Main) {
  int Seconds = 0;
  for (int I = 1; I + 1 < argc; ++I)
    if (std::strcmp(argv[I], "--measure") == 0)
      Seconds = std::atoi(argv[I + 1]);
  if (Seconds <= 0)
    return;
  QObject::connect(Main.ImageScr, &TImageScr::FirstPainted, &Main, [&Main, Seconds] {
    std::printf("first picture on screen after %.0f ms\n", MsSince(ProgramStart));
    std::fflush(stdout);
    const auto Start = std::make_shared<TClock::time_point>(TClock::now());
    const auto PassesBefore = std::make_shared<std::uint64_t>(Main.LoopPasses);
    QTimer::singleShot(Seconds * 1000, &Main, [&Main, Start, PassesBefore] {
      const double Elapsed = MsSince(*Start) / 1000.0;
      std::printf("main loop: %.0f passes per second (tick + render + copy + dispatch)\n",
                  static_cast<double>(Main.LoopPasses - *PassesBefore) / Elapsed);
      std::fflush(stdout);
      Main.close();
    });
    QCoreApplication::postEvent(&Main, MakeKeyPress(vkSpace));
  });
}
