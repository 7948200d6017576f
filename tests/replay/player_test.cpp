#include <gtest/gtest.h>

#include "engine/game.h"
#include "platform/random.h"
#include "replay/outcome.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "support/fixed_seeds.h"
#include "support/test_game.h"
#include "support/yard_text.h"

namespace {
TRecording Recording(std::vector<TReplayEvent> Events, std::uint64_t Seed = 99) {
  return {{RulesVersion, GameVersion(), 5, 1, Seed}, std::move(Events)};
}

// What a piece of the game does with the clock, the generator and the keys.
struct TSession {
  std::vector<std::uint32_t> Readings;
  std::vector<std::uint32_t> Draws;
};
} // namespace

// Recorded over a manual clock, played back with no clock at all: the game
// reads the same times and draws the same numbers, the keys come due where
// they were handled, and the seeds given later come back where they were taken.
TEST(Replay, GivesTheGameTheReadingsSeedsAndKeysItWasRecordedWith) {
  TSession Original;
  std::vector<std::uint8_t> File;
  {
    TManualClock Clock(4294967000u);
    TReplayRecorder Recorder;
    Randomize();
    for (int I = 0; I < 5; ++I) {
      Clock.Advance(160);
      Original.Readings.push_back(GetTickCount());
      Original.Draws.push_back(Random(1000));
      if (I == 2) {
        Recorder.Key(37);
        Recorder.Setting(TEventKind::StartLevel, 4);
        Randomize();
      }
    }
    Recorder.SetStartSettings(3, 0, false);
    File = Recorder.Bytes();
  }
  const TRecording Recorded = DecodeRecording(File, "game.rec");
  EXPECT_EQ(Recorded.Header.StartLevel, 3);
  EXPECT_EQ(Recorded.Header.Generator, 0);
  EXPECT_FALSE(Recorded.Header.SoundOn);

  TReplayPlayer Player(Recorded, "game.rec");
  int Advances = 0;
  Player.Advanced = [&Advances] { ++Advances; };
  TSession Replayed;
  RandomizeWith(1); // whatever the generator held before
  Randomize();
  for (int I = 0; I < 5; ++I) {
    EXPECT_EQ(Player.DueInput(), nullptr);
    Replayed.Readings.push_back(GetTickCount());
    Replayed.Draws.push_back(Random(1000));
    if (I == 2) {
      ASSERT_NE(Player.DueInput(), nullptr);
      EXPECT_EQ(Player.TakeInput(), (TReplayEvent{TEventKind::Key, 37}));
      EXPECT_EQ(Player.TakeInput(), (TReplayEvent{TEventKind::StartLevel, 4}));
      Randomize();
    }
  }
  EXPECT_EQ(Replayed.Readings, Original.Readings);
  EXPECT_EQ(Replayed.Draws, Original.Draws);
  EXPECT_EQ(Advances, 6) << "five readings and one later seed";
  EXPECT_TRUE(Player.Finished());
  EXPECT_EQ(Player.FaultText(), "");
}

// A fed game goes on as the player's own at the recording's end: the clock
// runs on from the last reading at the outside clock's pace, and later seeds
// come from outside; what the recording held is given as recorded.
TEST(Replay, AFedGameGoesOnLiveAtTheRecordingsEnd) {
  TManualClock Outside(7000);
  TFixedSeeds OutsideSeeds(500);
  TReplayPlayer Player(Recording({{TEventKind::Reading, 50}, {TEventKind::Seed, 42}, {TEventKind::Reading, 60}}),
                       "game.rec");
  Player.GoOnLive();
  EXPECT_EQ(Player.Seed(1), 99u) << "the recording's first seed";
  EXPECT_EQ(GetTickCount(), 50u);
  EXPECT_EQ(Player.Seed(1), 42u);
  EXPECT_EQ(GetTickCount(), 60u);
  EXPECT_TRUE(Player.Finished());
  EXPECT_EQ(GetTickCount(), 60u) << "no jump at the hand-over";
  Outside.Advance(25);
  EXPECT_EQ(GetTickCount(), 85u);
  Outside.Advance(4294967295u); // the outside clock wraps around: so does the game's
  EXPECT_EQ(GetTickCount(), 84u);
  EXPECT_EQ(Player.Seed(1), 500u);
  EXPECT_EQ(Player.Seed(1), 501u);
  EXPECT_EQ(Player.FaultText(), "");
}

TEST(Replay, StopsFollowingWhenTheGameAsksForWhatWasNotRecorded) {
  const std::string Prefix = "Cannot replay \"game.rec\": ";
  TManualClock Clock(7);
  {
    TReplayPlayer Player(Recording({{TEventKind::Reading, 50}, {TEventKind::End, 0}}), "game.rec");
    EXPECT_EQ(GetTickCount(), 50u);
    EXPECT_TRUE(Player.Finished());
    EXPECT_EQ(GetTickCount(), 50u) << "a reading beyond the end repeats the last";
    EXPECT_EQ(Player.FaultText(), Prefix + "its data runs out before the game ends.");
    EXPECT_FALSE(Player.Finished());
  }
  {
    TReplayPlayer Player(Recording({{TEventKind::Reading, 50}, {TEventKind::Key, 32}, {TEventKind::Reading, 60}}),
                         "game.rec");
    GetTickCount();
    EXPECT_EQ(GetTickCount(), 50u);
    EXPECT_EQ(Player.FaultText(),
              Prefix + "the game does not follow it (the clock was read where a key was recorded).");
    EXPECT_EQ(Player.DueInput(), nullptr) << "nothing more is handed out";
  }
  {
    TReplayPlayer Player(Recording({{TEventKind::Reading, 50}}), "game.rec");
    Randomize();
    Randomize();
    EXPECT_EQ(Player.FaultText(),
              Prefix + "the game does not follow it (the random generator was seeded where nothing was recorded).");
  }
  EXPECT_EQ(GetTickCount(), 7u) << "the clock the replay took over is back once it is gone";
}

class OutcomeTest : public TGameTest {};

TEST_F(OutcomeTest, TellsHowTheGameEndedAndFingerprintsTheYard) {
  Game->Init(5);
  const std::uint64_t Fresh = YardHash(*Game);
  const struct {
    bool Stopped;
    std::uint32_t Lives;
    const char* Line;
  } Cases[] = {{false, 3, "quit, 812 ticks, 3 lives"}, {true, 0, "lost, 812 ticks, 0 lives"}};
  for (const auto& C : Cases) {
    Game->Stopped = C.Stopped;
    Game->Lives = C.Lives;
    Game->TickCount = 812;
    char Expected[128];
    std::snprintf(Expected, sizeof Expected, "%s, level 5, yard %016llx", C.Line,
                  static_cast<unsigned long long>(Fresh));
    EXPECT_EQ(OutcomeLine(*Game), Expected);
  }
  Cell(10, 3).State = csSolid;
  EXPECT_NE(YardHash(*Game), Fresh) << "a brick more";
  Cell(10, 3).State = 0;
  Cell(10, 3).PreviousProcessedTime += 1;
  EXPECT_NE(YardHash(*Game), Fresh) << "a timer later";
}

// A won game's Lives only marks the win: the line tells the lives the robot escaped with.
TEST_F(OutcomeTest, AWonGameTellsTheLivesTheRobotEscapedWith) {
  Game->TrashGeneratorAlgorythmIndex = -1; // no truck
  for (const std::uint32_t Lives : {1u, 4u}) {
    Game->Init(5);
    Game->Lives = Lives;
    DrawYard(*Game, 1, 4, {"E", "E"});
    Clock.Advance(97);
    Game->AITurn();
    ASSERT_EQ(Game->Lives, TGame::WonLives) << "the robot stood in the exit";
    EXPECT_EQ(OutcomeLine(*Game).rfind("won, 1 ticks, " + std::to_string(Lives) + " lives, level 5, yard ", 0), 0u)
        << OutcomeLine(*Game);
  }
}
