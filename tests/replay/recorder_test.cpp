#include <gtest/gtest.h>

#include "platform/random.h"
#include "replay/recorder.h"
#include "support/small_disk.h"
#include "support/test_game.h"
#include "support/test_pictures.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

namespace {
std::vector<std::uint8_t> FileBytes(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// A recorder writing to a file, and every event the game gave it.
class RecorderFile : public ::testing::Test {
protected:
  RecorderFile() { Randomize(); }

  void Start(const std::string& aPath) {
    Path = aPath;
    Recorder.SetStartSettings(4, 2, true);
    Recorder.Stopped = [this](const std::string& Reason) { Told.push_back(Reason); };
    Recorder.WriteTo(Path);
  }
  // A few moments of play: readings and keys, the keys drawn from Draw.
  void Play(int Moments) {
    for (int I = 0; I < Moments; ++I) {
      Clock.Advance(16);
      Given.push_back({TEventKind::Reading, GetTickCount()});
      const std::uint32_t Code = Draw();
      Recorder.Key(Code);
      Given.push_back({TEventKind::Key, Code});
    }
  }
  bool GivenStartsWith(const std::vector<TReplayEvent>& Events) const {
    return Events.size() <= Given.size() && std::equal(Events.begin(), Events.end(), Given.begin());
  }

  TManualClock Clock{5000};
  TReplayRecorder Recorder;
  std::mt19937 Draw{11};
  std::string Path;
  std::vector<TReplayEvent> Given;
  std::vector<std::string> Told;
};
} // namespace

// What is on disk after each block is the game so far, read as ending early,
// and every later block only adds to the file.
TEST_F(RecorderFile, WritesEachBlockAsThePlayGoesAndNeverRewritesIt) {
  TTempDir Dir;
  Start(Dir.Path() + "/game.rec");
  std::vector<std::uint8_t> Before = FileBytes(Path);
  for (int Round = 0; Round < 4; ++Round) {
    Play(30);
    Recorder.WritePending();
    const std::vector<std::uint8_t> Now = FileBytes(Path);
    ASSERT_TRUE(std::equal(Before.begin(), Before.end(), Now.begin())) << "round " << Round;
    Before = Now;
    const TRecording OnDisk = ReadRecording(Path);
    EXPECT_TRUE(OnDisk.EndsEarly);
    EXPECT_EQ(OnDisk.AllEvents(), Given) << "round " << Round;
    EXPECT_EQ(OnDisk.Header, Recorder.Header());
  }
  Play(3);
  Recorder.Finish();
  const TRecording Whole = ReadRecording(Path);
  EXPECT_FALSE(Whole.EndsEarly);
  Given.push_back({TEventKind::End, 0});
  EXPECT_EQ(Whole.AllEvents(), Given);
  EXPECT_EQ(Whole.Header.StartLevel, 4);
  EXPECT_EQ(Whole.Header.RulesVersion, RulesVersion);
  EXPECT_TRUE(Told.empty());
}

TEST_F(RecorderFile, AFullDiskStopsTheRecordingOnceWithTheReasonAndKeepsWhatWasWritten) {
  if (geteuid() != 0)
    GTEST_SKIP() << "filling a disk needs a small tmpfs of our own, and mounting one needs root";
  TTempDir Dir;
  TSmallDisk Disk(Dir.Path() + "/disk", 64 * 1024);
  if (!Disk.Mounted)
    GTEST_SKIP() << "cannot mount a small tmpfs here: " << Disk.Reason;
  Start(Dir.Path() + "/disk/game.rec");
  Play(50);
  Recorder.WritePending();
  const std::vector<TReplayEvent> Written = Given;
  FillDisk(Dir.Path() + "/disk");
  for (int Round = 0; Round < 3; ++Round) {
    Play(3000); // more than the file's last page holds
    Recorder.WritePending();
  }
  Recorder.Finish();
  ASSERT_EQ(Told.size(), 1u);
  EXPECT_EQ(Told[0], "Cannot write the recording \"" + Path +
                         "\": No space left on device. The game goes on without recording; what was recorded stays "
                         "readable.");
  EXPECT_EQ(Recorder.Fault(), Told[0]);
  const TRecording OnDisk = ReadRecording(Path);
  EXPECT_TRUE(OnDisk.EndsEarly);
  EXPECT_EQ(OnDisk.AllEvents(), Written);
}

// The recorder stops where the reader's limit is, so the longest recording it
// writes is one the reader takes.
TEST_F(RecorderFile, StopsAtTheLargestRecordingWithAMessage) {
  TTempDir Dir;
  Start(Dir.Path() + "/long.rec");
  // Keys of the largest codes: six bytes each, few events to reach the limit;
  // a hundred a second, as a player could press them.
  for (std::uint64_t I = 0; Told.empty(); ++I) {
    if (I % 100 == 0) {
      Clock.Advance(1000);
      GetTickCount();
    }
    Recorder.Key(0xFFFFFFF0u | (I & 0xF));
    ASSERT_LT(I, MaxRecordedEventBytes) << "the recording never stopped";
  }
  Recorder.Key(1);
  Recorder.Finish();
  ASSERT_EQ(Told.size(), 1u);
  EXPECT_NE(Told[0].find("has reached the largest size a recording may have"), std::string::npos) << Told[0];
  const TRecording OnDisk = ReadRecording(Path);
  EXPECT_TRUE(OnDisk.EndsEarly);
  EXPECT_GT(OnDisk.Events.Count, MaxRecordedEventBytes / 6 - MaxBlockEventBytes);
}
