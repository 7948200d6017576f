#include "ui/ui_fixture.h"

#include "platform/random.h"
#include "platform/tick.h"
#include "records/record_proofs.h"
#include "records/records_report.h"
#include "records/records_store.h"
#include "replay/outcome.h"
#include "replay/recorder.h"
#include "support/fixed_seeds.h"
#include "support/test_game.h"
#include "support/yard_text.h"
#include "ui/borrowed_state.h"
#include "ui/record_proof.h"
#include "ui/records_keeper.h"
#include "ui/records_screen.h"
#include "ui/replay_run.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

// A key the player pressed after so many ticks of the game.
struct TPress {
  std::uint32_t Tick;
  std::uint32_t Key;
};

bool Falling(const TGame& G, std::uint32_t X, std::uint32_t Y) {
  const std::uint32_t S = G.GameGrid->Cells(X, Y).State;
  return (S & (csSolid | csPickup)) != 0 && (S & csRobot) == 0 && Y < G.GameGrid->RowsCount &&
         (G.GameGrid->Cells(X, Y + 1).State & csSolid) == 0;
}

// Whether trash falls in column X above row Y with nothing solid between.
bool DangerAbove(const TGame& G, std::uint32_t X, std::uint32_t Y) {
  for (std::uint32_t Row = Y; Row-- > 1;) {
    const std::uint32_t S = G.GameGrid->Cells(X, Row).State;
    if ((S & csPickup) != 0)
      return false; // a tool is a life
    if (Falling(G, X, Row))
      return true;
    if ((S & csSolid) != 0)
      return false;
  }
  return false;
}

// The row just above a column's pile, the robot not counted: as the truck sees it.
std::uint32_t PileTop(const TGame& G, std::uint32_t X) {
  std::uint32_t Y = G.GameGrid->RowsCount;
  while (Y >= 1 && (G.GameGrid->Cells(X, Y).State & csSolid) != 0)
    --Y;
  return Y;
}

// Whether the "Robot can escape" truck leaves the column alone: it is higher than a neighbour, or full.
bool Sheltered(const TGame& G, std::uint32_t X) {
  if (X < 3 || X > 18)
    return false;
  const std::uint32_t Top = PileTop(G, X);
  const bool Low = Top >= PileTop(G, X - 1) && (X == 18 || Top >= PileTop(G, X + 1));
  return Top <= 5 || !Low;
}

// A simple player: keeps out from under falling trash, stands where the truck
// drops nothing, and works its way to the left wall's exit.
std::uint32_t Decide(const TGame& G, std::mt19937& Whim) {
  const TRobot& R = *G.Robot;
  const bool OnGround = (G.GameGrid->Cells(R.X, R.Y + 2).State & csSolid) != 0;
  const auto CanGo = [&](int Side) {
    const std::uint32_t X = R.X + Side;
    return R.CanMoveTo(X, R.Y) || (OnGround && R.CanMoveTo(R.X, R.Y - 1) && R.CanMoveTo(X, R.Y - 1));
  };
  const auto Go = [&](int Side) {
    return R.CanMoveTo(R.X + Side, R.Y) ? (Side < 0 ? vkLeft : vkRight) : vkUp;
  };
  if (R.X == 3)
    return R.CanMoveTo(2, R.Y) ? vkLeft : OnGround ? vkUp : 0;
  if (DangerAbove(G, R.X, R.Y)) {
    for (int Side : {-1, 1})
      if (CanGo(Side) && !DangerAbove(G, R.X + Side, R.Y))
        return Go(Side);
    return OnGround ? vkUp : 0;
  }
  if (Whim() % 3 == 0)
    return 0;
  if (CanGo(-1) && Sheltered(G, R.X - 1) && !DangerAbove(G, R.X - 1, R.Y))
    return Go(-1);
  if (!Sheltered(G, R.X))
    for (int Side : {1, -1})
      if (CanGo(Side) && Sheltered(G, R.X + Side) && !DangerAbove(G, R.X + Side, R.Y))
        return Go(Side);
  return 0;
}
} // namespace

class RecordsWindowTest : public TProgramTest {
protected:
  RecordsWindowTest() { WriteIni("TrashGeneratorAlgorythmIndex=0\nStartLevel=1\n"); }

  std::string RecordsDir() const { return Dir.Path() + "/records"; }

  // Starts the program as it starts for play: recorded from its first seed, its records kept.
  void StartRecorded(std::uint64_t Seed) {
    Clock = std::make_unique<TManualClock>(90000);
    Seeds = std::make_unique<TFixedSeeds>(Seed);
    Recorder = std::make_unique<TReplayRecorder>();
    Randomize();
    Start();
    Watch = std::make_unique<TRecordingWatch>(*Main, *Recorder);
    Keeper = std::make_unique<TRecordsKeeper>(*Main, *Recorder, Watch.get(), RecordsDir());
    Keeper->Now = [] { return std::int64_t{1765400000}; };
  }
  void TearDown() override {
    Keeper.reset();
    Watch.reset();
    End();
    Recorder.reset();
    Seeds.reset();
    Clock.reset();
  }

  // Plays until the game ends, pressing the script's keys (or, with a player, its own).
  std::vector<TPress> Play(const std::vector<TPress>& Script, std::mt19937* Player = nullptr) {
    std::vector<TPress> Pressed;
    std::size_t Next = 0;
    std::uint32_t Seen = ~0u;
    bool Odd = false;
    QElapsedTimer Limit, Ended;
    Limit.start();
    QTimer Ticker;
    Ticker.setInterval(0);
    // The main loop runs inside the Space key's handling: Pause ends it, once
    // the keeper has had time to look at the ended game.
    QObject::connect(&Ticker, &QTimer::timeout, [&] {
      const TGame& G = *Main->Game;
      if (G.Stopped && !Ended.isValid())
        Ended.start();
      if ((Ended.isValid() && Ended.elapsed() > 1000) || Limit.elapsed() > 30000) {
        Ticker.stop();
        Post(vkPause);
        return;
      }
      if (G.TickCount == Seen || G.Stopped)
        return;
      Seen = G.TickCount;
      Clock->Advance((Odd = !Odd) ? 23 : 0);
      if (Player != nullptr && G.TickCount % 3 == 0) {
        if (const std::uint32_t Key = Decide(G, *Player); Key != 0) {
          Pressed.push_back({G.TickCount, Key});
          Post(Key);
        }
      }
      for (; Next < Script.size() && Script[Next].Tick <= G.TickCount; ++Next)
        Post(Script[Next].Key);
    });
    Ticker.start();
    Post(vkSpace);
    while (Ticker.isActive() || !Game().Paused)
      QCoreApplication::processEvents();
    return Pressed;
  }

  std::unique_ptr<TManualClock> Clock;
  std::unique_ptr<TFixedSeeds> Seeds;
  std::unique_ptr<TReplayRecorder> Recorder;
  std::unique_ptr<TRecordingWatch> Watch;
  std::unique_ptr<TRecordsKeeper> Keeper;
};

// Run by hand to find a game the simple player wins: prints its seed and keys.
TEST_F(RecordsWindowTest, DISABLED_FindAWinningGame) {
  const std::uint64_t Seed = std::stoull(std::getenv("CLANKORA_SEED") ? std::getenv("CLANKORA_SEED") : "1");
  StartRecorded(Seed);
  std::mt19937 Whim(static_cast<std::uint32_t>(Seed));
  const std::vector<TPress> Pressed = Play({}, &Whim);
  std::printf("seed %llu: %s robot %u,%u\n", static_cast<unsigned long long>(Seed), OutcomeLine(Game()).c_str(),
              Game().Robot->X, Game().Robot->Y);
  for (const std::string& Row : ReadYard(Game(), 1, 1, 20, 15))
    std::printf("%s\n", Row.c_str());
  if (Game().Lives == TGame::WonLives) {
    for (const TPress& P : Pressed)
      std::printf("{%u, %u}, ", P.Tick, P.Key);
    std::printf("\n");
  }
}

namespace {
// The game the simple player wins, found by the search above; also kept for the end-to-end run.
constexpr std::uint64_t WinningSeed = 1;
constexpr std::uint64_t LosingSeed = 3;
// A game the simple player (its whims drawn from 1) wins after + and - at the start, either way round.
constexpr std::uint64_t WonWithLevelChanged = 2;

std::string ReadText(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), {}};
}
} // namespace

TEST_F(RecordsWindowTest, AWonGameBecomesARecordWhoseRecordingReplaysToItsLine) {
  StartRecorded(WinningSeed);
  std::mt19937 Whim(WinningSeed);
  Play({}, &Whim);
  ASSERT_EQ(Game().Lives, TGame::WonLives);
  const std::vector<TRecord> Kept = TRecordsStore(RecordsDir()).Load().Pair(1, 0);
  ASSERT_EQ(Kept.size(), 1u) << "start level 1, \"Robot can escape\"";
  const TRecord& R = Kept.front();
  EXPECT_EQ(R.Outcome, OutcomeLine(Game()));
  EXPECT_EQ(R.Ticks, Game().TickCount);
  EXPECT_EQ(R.Lives, Game().LivesAtEscape);
  EXPECT_GT(R.PlayedMs, 0u);
  EXPECT_EQ(Game().WinNote, "New record!");

  const std::string Recording = ReadText(RecordsDir() + "/" + R.File);
  const TProof Again = ReplayInside(*Main, std::vector<std::uint8_t>(Recording.begin(), Recording.end()),
                                    TReplayView::Hidden);
  EXPECT_EQ(Again.Fault, "");
  EXPECT_EQ(Again.Line, R.Outcome);
  if (const char* Keep = std::getenv("CLANKORA_KEEP_WIN"))
    std::ofstream(Keep, std::ios::binary) << Recording;
}

// The proof of a record runs while the player's sound module listens: it
// must hear nothing of it, and find the game's program-wide state as it was.
TEST_F(RecordsWindowTest, AHiddenReplayIsSilentAndGivesBackEverythingItBorrowed) {
  StartRecorded(WinningSeed);
  std::mt19937 Whim(WinningSeed);
  Play({}, &Whim);
  ASSERT_EQ(Game().Lives, TGame::WonLives);
  const TRecord R = TRecordsStore(RecordsDir()).Load().Pair(1, 0).at(0);
  const std::string Recording = ReadText(RecordsDir() + "/" + R.File);

  TCueRecorder PlayersSound;
  StopOutsideClockAt(OutsideTickCount() + 60000);
  const TBorrowedState::TTaken Before = TBorrowedState::Now();
  const TProof Again = ReplayInside(*Main, std::vector<std::uint8_t>(Recording.begin(), Recording.end()),
                                    TReplayView::Hidden);
  const TBorrowedState::TTaken After = TBorrowedState::Now();
  LetOutsideClockRun();

  ASSERT_EQ(Again.Line, R.Outcome) << Again.Fault;
  EXPECT_TRUE(PlayersSound.Calls.empty()) << PlayersSound.Calls.size() << " cues reached the player's sound, first "
                                          << PlayersSound.Calls.front();
  EXPECT_TRUE(After.RandomState == Before.RandomState) << "the game's next draws would differ";
  EXPECT_EQ(After.Ticks, Before.Ticks);
  EXPECT_EQ(After.Seeds, Before.Seeds);
  EXPECT_EQ(After.Draws, Before.Draws);
  EXPECT_EQ(After.ClockStop, Before.ClockStop);
  EXPECT_EQ(After.Cues, static_cast<TSoundCueSink*>(&PlayersSound));
  EXPECT_EQ(After.MessageOwner, Before.MessageOwner);
  EXPECT_EQ(After.Keys, Before.Keys);
  EXPECT_EQ(After.PadButtons, Before.PadButtons);
}

TEST_F(RecordsWindowTest, ALostGameIsNeverARecord) {
  StartRecorded(LosingSeed);
  std::mt19937 Whim(LosingSeed);
  Play({}, &Whim);
  ASSERT_EQ(Game().Lives, 0u);
  EXPECT_FALSE(std::filesystem::exists(RecordsDir() + "/records"));
}

TEST_F(RecordsWindowTest, AGameWhoseLevelWasChangedDoesNotCount) {
  for (const char* Keys : {"+-", "-+"}) {
    StartRecorded(WonWithLevelChanged);
    // The level raised and lowered again (or the other way) before the game starts: won all the same.
    for (const char* Key = Keys; *Key != 0; ++Key)
      Post(*Key == '+' ? vkAdd : vkSubtract);
    std::mt19937 Whim(1);
    Play({}, &Whim);
    ASSERT_EQ(Game().Lives, TGame::WonLives) << Keys;
    EXPECT_FALSE(std::filesystem::exists(RecordsDir() + "/records")) << Keys;
    EXPECT_EQ(Game().WinNote, "") << Keys;
    TearDown();
  }
}

TEST_F(RecordsWindowTest, ARecordingThatDoesNotReplayToItsLineIsNotKept) {
  StartRecorded(WinningSeed);
  Keeper->Prove = [](const std::vector<std::uint8_t>&) { return TProof{"won, 1 ticks, 65535 lives", {}}; };
  testing::internal::CaptureStderr();
  std::mt19937 Whim(WinningSeed);
  Play({}, &Whim);
  const std::string Told = testing::internal::GetCapturedStderr();
  ASSERT_EQ(Game().Lives, TGame::WonLives);
  EXPECT_NE(Told.find("not kept as a record: its recording does not replay to"), std::string::npos) << Told;
  EXPECT_FALSE(std::filesystem::exists(RecordsDir() + "/records"));
  EXPECT_EQ(Game().WinNote, "");
}

// A record is shown as genuine only once the game has replayed its
// recording to everything the line claims. The replay runs as a process of
// its own; here a stand-in for the program answers as the replay would.
TEST_F(RecordsWindowTest, F3ProvesRecordsWithoutWaitingAndMarksThoseTheirRecordingsDoNotBearOut) {
  const std::string Line = "won, 5976 ticks, 2 lives, level 1, yard 395754de8862c3fc";
  const std::string Figures = "figures 5976 2 68712 1 0";
  struct TCase {
    const char* Name;
    std::string Claimed; // the record's line in the records file
    std::string Answer;  // what the replay prints
    std::string Mark;
  };
  const std::vector<TCase> Cases = {
      {"genuine", "record 1 0 5976 2 68712 1765400000 2 a.rec " + Line, Line + "\n" + Figures + "\n", ""},
      {"a faster time claimed", "record 1 0 5976 2 1000 1765400000 2 a.rec " + Line, Line + "\n" + Figures + "\n",
       "does not replay"},
      {"more lives claimed", "record 1 0 5976 9 68712 1765400000 2 a.rec " + Line, Line + "\n" + Figures + "\n",
       "does not replay"},
      {"a lost game behind a won line", "record 1 0 5976 2 68712 1765400000 2 a.rec " + Line,
       "lost, 5976 ticks, 0 lives, level 1, yard 395754de8862c3fc\n" + Figures + "\n", "does not replay"},
  };
  for (const TCase& Case : Cases) {
    std::filesystem::remove_all(RecordsDir());
    std::filesystem::create_directories(RecordsDir());
    std::ofstream(RecordsDir() + "/records") << "Clankora records 1\n" << Case.Claimed << "\n";
    std::ofstream(RecordsDir() + "/a.rec") << "the recording";
    const std::string Replayer = Dir.Path() + "/replayer.sh";
    std::ofstream(Replayer) << "#!/bin/sh\necho \"$@ $CLANKORA_PROOF_FIGURES\" >\"" << Dir.Path()
                           << "/asked\"\nsleep 0.3\nprintf '%s' '" << Case.Answer << "'\n";
    std::filesystem::permissions(Replayer, std::filesystem::perms::owner_all);
    StartRecorded(WinningSeed);
    Keeper->Checker().Program = Replayer;
    TRecordsScreen& Screen = Keeper->Screen();

    Press(vkF3);
    EXPECT_NE(Screen.Lines()[0].find("checking..."), std::string::npos) << Case.Name << ": " << Screen.Lines()[0];
    QKeyEvent Right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(&Screen, &Right);
    EXPECT_EQ(Screen.Generator(), 1) << "the screen answers while the record is checked";
    QElapsedTimer Waited;
    Waited.start();
    while (Keeper->Checker().Busy() && Waited.elapsed() < 20000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_FALSE(Keeper->Checker().Busy()) << Case.Name;
    QKeyEvent Left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QCoreApplication::sendEvent(&Screen, &Left);
    const std::string Shown = Screen.Lines()[0];
    if (Case.Mark.empty()) {
      EXPECT_TRUE(Shown.ends_with(RecordDate(1765400000))) << Case.Name << ", no mark: " << Shown;
    }
    EXPECT_EQ(Shown.find("unproven"), std::string::npos) << Case.Name << ": " << Shown;
    EXPECT_EQ(Shown.find("checking"), std::string::npos) << Case.Name << ": " << Shown;
    if (!Case.Mark.empty()) {
      EXPECT_NE(Shown.find(Case.Mark), std::string::npos) << Case.Name << ": " << Shown;
    }
    std::ifstream Asked(Dir.Path() + "/asked");
    std::string Arguments;
    std::getline(Asked, Arguments);
    EXPECT_EQ(Arguments, "--replay " + RecordsDir() + "/a.rec --verify 1") << Case.Name;

    // The verdict is kept: the next look at the records replays nothing.
    std::filesystem::remove(Dir.Path() + "/asked");
    TRecordsStore Store(RecordsDir());
    const TRecord Kept = Store.Load().All().at(0);
    EXPECT_EQ(KeptProofState(Store, Kept), Case.Mark.empty() ? TProofState::Genuine : TProofState::Fails) << Case.Name;
    Screen.Leave();
    Press(vkF3);
    EXPECT_FALSE(Keeper->Checker().Busy()) << Case.Name << ": checked again";
    Screen.Leave();
    TearDown();
  }
}

TEST_F(RecordsWindowTest, F3TellsOnScreenOnceWhereADamagedRecordsFileWent) {
  std::filesystem::create_directories(RecordsDir());
  std::ofstream(RecordsDir() + "/records") << "Clankora records 1\nrecord of nothing\n";
  StartRecorded(WinningSeed);
  testing::internal::CaptureStderr();
  Press(vkF3);
  const std::string Told = testing::internal::GetCapturedStderr();
  TRecordsScreen& Screen = Keeper->Screen();
  ASSERT_TRUE(Screen.IsOpen());
  EXPECT_NE(Screen.Notice().find(RecordsDir() + "/records.bad"), std::string::npos) << Screen.Notice();
  EXPECT_TRUE(std::filesystem::exists(RecordsDir() + "/records.bad"));
  EXPECT_NE(Told.find("is damaged (line 2"), std::string::npos) << Told;
  Screen.Leave();
  Press(vkF3);
  EXPECT_EQ(Screen.Notice(), "") << "told once";
}

TEST_F(RecordsWindowTest, F3ShowsTheBestEscapePerLevelAndEnterReplaysIt) {
  StartRecorded(WinningSeed);
  std::mt19937 Whim(WinningSeed);
  Play({}, &Whim);
  ASSERT_EQ(Game().Lives, TGame::WonLives);
  std::vector<std::string> Replayed;
  Keeper->Screen().Replay = [&](const TRecord& R) { Replayed.push_back(R.File); };
  Press(vkF3);
  TRecordsScreen& Screen = Keeper->Screen();
  ASSERT_TRUE(Screen.IsOpen());
  EXPECT_EQ(Screen.Generator(), 0);
  EXPECT_EQ(Screen.SelectedLevel(), 1);
  const std::vector<std::string> Lines = Screen.Lines();
  ASSERT_EQ(Lines.size(), 10u);
  EXPECT_NE(Lines[0].find("newest"), std::string::npos) << Lines[0];
  EXPECT_NE(Lines[0].find(PlayTimeText(Game().PlayedMs)), std::string::npos) << Lines[0];
  EXPECT_EQ(Lines[1], "Level  2   -");

  const auto Type = [&](int QtKey) {
    QKeyEvent Key(QEvent::KeyPress, QtKey, Qt::NoModifier);
    QCoreApplication::sendEvent(&Screen, &Key);
  };
  Type(Qt::Key_Return);
  ASSERT_EQ(Replayed.size(), 1u);
  Type(Qt::Key_Right);
  EXPECT_EQ(Screen.Generator(), 1);
  EXPECT_EQ(Screen.Lines()[0], "Level  1   -");
  Type(Qt::Key_Return);
  EXPECT_EQ(Replayed.size(), 1u) << "no record to replay";
  Type(Qt::Key_Down);
  EXPECT_EQ(Screen.SelectedLevel(), 2);
  Type(Qt::Key_Escape);
  EXPECT_FALSE(Screen.IsOpen());
  Press(vkF3);
  EXPECT_TRUE(Screen.IsOpen());
  Type(Qt::Key_F3);
  EXPECT_FALSE(Screen.IsOpen());
}
