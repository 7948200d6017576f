// Run by hand, for measuring a replay of the largest recording the game
// writes: the program plays game after game on a clock that moves a
// millisecond for every three readings, pressing a key now and then, until
// its recording reaches the largest size and stops.
//   CLANKORA_LARGEST_RECORDING=FILE replay_largest_test --gtest_also_run_disabled_tests
#include "ui/ui_fixture.h"

#include "platform/random.h"
#include "replay/recorder.h"
#include "support/fixed_seeds.h"
#include "ui/replay_run.h"

#include <QTimer>

#include <cstdlib>
#include <random>

namespace {
// The clock of a loop that reads it three times in each millisecond.
class TSteppingClock : public TTickSource {
public:
  explicit TSteppingClock(std::uint32_t Start) : Now_(Start), Previous(SetTickSource(this)) {}
  ~TSteppingClock() override { SetTickSource(Previous); }
  std::uint32_t Now() override { return Now_ + static_cast<std::uint32_t>(Reads++ / 3); }

private:
  std::uint32_t Now_;
  std::uint64_t Reads = 0;
  TTickSource* Previous;
};

class LargestRecording : public TProgramTest {};
} // namespace

TEST_F(LargestRecording, DISABLED_WritesTheLargestRecordingTheGameWrites) {
  const char* Path = std::getenv("CLANKORA_LARGEST_RECORDING");
  if (Path == nullptr)
    GTEST_SKIP() << "CLANKORA_LARGEST_RECORDING names the file to write";
  TSteppingClock Clock(90000);
  TFixedSeeds Seeds(7);
  TReplayRecorder Recorder;
  Randomize();
  Start();
  TRecordingWatch Watch(*Main, Recorder);
  Watch.WriteTo(Path);
  Main->SetLoopRests(false);
  std::mt19937 Whim(7);
  const std::uint32_t Moves[] = {vkLeft, vkRight, vkUp, vkDown, vkSpace};
  bool Closed = false;
  QObject::connect(Main.get(), &TFrmMain::Closed, [&Closed] { Closed = true; });
  std::uint32_t LastKeyTick = 0;
  QTimer Player;
  Player.setInterval(0);
  QObject::connect(&Player, &QTimer::timeout, [&] {
    const TGame& G = Game();
    if (!Recorder.Fault().empty()) {
      Player.stop();
      Post(vkEscape);
    } else if (G.Stopped && !G.Paused) {
      Post(vkF5);
      Post(vkSpace);
    } else if (!G.Paused && G.TickCount >= LastKeyTick + 40) {
      LastKeyTick = G.TickCount;
      Post(Moves[Whim() % 5]);
    } else if (G.Paused) {
      LastKeyTick = 0;
    }
  });
  Player.start();
  Post(vkSpace);
  while (!Closed)
    QCoreApplication::processEvents();
  Recorder.Finish();
  EXPECT_NE(Recorder.Fault().find("largest size"), std::string::npos) << Recorder.Fault();
}
