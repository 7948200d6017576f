#include "ui/ui_fixture.h"

#include "platform/random.h"
#include "replay/outcome.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "platform/gamepad.h"
#include "support/fixed_seeds.h"
#include "support/test_game.h"
#include "support/virtual_pad.h"
#include "support/yard_text.h"
#include "ui/replay_run.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string_view>

namespace {
// What a game showed and played: the yard and the picture after every tick, the cues, the end.
struct TTrace {
  std::vector<std::string> Yards;
  std::vector<std::size_t> Frames;
  std::vector<TCueCall> Cues;
  std::string Outcome;
  std::string Ended; // the yard once the game has ended, with the keys after its last tick
};

// Something the player does once the game has run so many ticks in all.
struct TAction {
  int AfterTicks;
  std::function<void()> Do;
};


class ReplayWindowTest : public TProgramTest {
protected:
  // Plays the script on a manual clock, recording to a file with a block every
  // 25 ticks; gives what it showed, the file and where each block of events ends.
  TTrace Record(const std::vector<TAction>& Script, std::vector<std::uint8_t>& File,
                std::vector<std::size_t>* BlockEnds = nullptr, std::uint64_t Seed = 0x5EED0000u) {
    TManualClock Clock(90000);
    RecordClock = &Clock;
    TFixedSeeds Seeds(Seed);
    TReplayRecorder Recorder;
    Randomize(); // the program's first seed, as it starts
    AssembleProgram(Program, TAppFiles{Dir.Path(), IniPath()}, {.Sound = false});
    TTrace T;
    const std::string Path = Dir.Path() + "/scripted.rec";
    {
      TRecordingWatch Watch(*Main, Recorder);
      Watch.WriteTo(Path);
      TCueRecorder Cues;
      Main->show();
      Post(vkSpace);
      // The clock moves on every other tick: in between, the loop rests, and keys arrive while it does.
      Run(Script, [&, Odd = false, Ticks = 0]() mutable {
        Clock.Advance((Odd = !Odd) ? 37 : 0);
        if (++Ticks % 25 != 0)
          return;
        Recorder.WritePending();
        if (BlockEnds != nullptr)
          BlockEnds->push_back(static_cast<std::size_t>(std::filesystem::file_size(Path)));
      }, T);
      T.Cues = Cues.Calls;
    }
    Recorder.Finish();
    std::ifstream In(Path, std::ios::binary);
    File.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    End();
    return T;
  }

  // Plays File back in a fresh window as fast as it can; Meddle runs after every tick.
  TTrace Replay(const std::vector<std::uint8_t>& File, std::function<void()> Meddle = [] {}) {
    const TRecording Recording = DecodeRecording(File, "scripted.rec");
    EXPECT_FALSE(Recording.EndsEarly);
    return Replay(Recording, std::move(Meddle));
  }
  TTrace Replay(const TRecording& Recording, std::function<void()> Meddle = [] {}) {
    TReplayPlayer Player(Recording, "scripted.rec");
    Randomize();
    AssembleProgram(Program, TAppFiles{Dir.Path(), Dir.Path() + "/replay.ini"}, {.Sound = false, .Settings = false});
    TTrace T;
    {
      TReplayDriver Driver(*Main, Player, false);
      TCueRecorder Cues;
      Driver.Start();
      Main->show();
      Run({}, std::move(Meddle), T);
      T.Cues = Cues.Calls;
      EXPECT_TRUE(Driver.Complete()) << Player.FaultText();
    }
    End();
    return T;
  }

  // Lets the window run until it closes, noting the game after every tick.
  void Run(const std::vector<TAction>& Script, std::function<void()> AfterTick, TTrace& T) {
    bool Closed = false;
    QObject Context;
    QObject::connect(Main.get(), &TFrmMain::Closed, &Context, [&Closed] { Closed = true; });
    std::uint32_t SeenTick = ~0u;
    int Ticks = 0;
    std::size_t Next = 0;
    QTimer Watch;
    Watch.setInterval(0);
    QObject::connect(&Watch, &QTimer::timeout, &Context, [&] {
      const TGame& G = *Main->Game;
      if (G.TickCount != SeenTick) {
        SeenTick = G.TickCount;
        ++Ticks;
        Note(T);
        AfterTick();
      }
      // One step at a time, also while the game stands still; a game lost early goes on to the end of the script.
      if (Next < Script.size() && (Ticks >= Script[Next].AfterTicks || G.Stopped))
        Script[Next++].Do();
    });
    Watch.start();
    QElapsedTimer Limit;
    Limit.start();
    while (!Closed && Limit.elapsed() < 30000)
      QCoreApplication::processEvents();
    EXPECT_TRUE(Closed) << "the game did not end";
    EXPECT_EQ(Next, Script.size()) << "the script did not run to its end";
    T.Outcome = OutcomeLine(*Main->Game);
    T.Ended = YardText();
  }

  std::string YardText() const {
    const TGame& G = *Main->Game;
    std::string Yard = "tick " + std::to_string(G.TickCount) + ", level " + std::to_string(G.HardnessLevel) +
                       ", lives " + std::to_string(G.Lives) + ", bombs " + std::to_string(G.Robot->BombCount) +
                       ", generator " + std::to_string(G.TrashGeneratorAlgorythmIndex) + "\n";
    for (const std::string& Row : ReadYard(G, 1, 1, G.GameGrid->ColsCount, G.GameGrid->RowsCount))
      Yard += Row + "\n";
    return Yard;
  }

  void Note(TTrace& T) const {
    T.Yards.push_back(YardText());
    const QImage& Shown = Main->ImageScr->Image();
    T.Frames.push_back(std::hash<std::string_view>{}(
        {reinterpret_cast<const char*>(Shown.constBits()), static_cast<std::size_t>(Shown.sizeInBytes())}));
  }

  std::function<void()> Key(std::uint32_t Code) {
    return [this, Code] { Post(Code); };
  }
  // A key as the keyboard gives it, before the player's keys are looked up.
  std::function<void()> Typed(int QtKey) {
    return [this, QtKey] { QCoreApplication::postEvent(Main.get(), new QKeyEvent(QEvent::KeyPress, QtKey, Qt::NoModifier)); };
  }
  // Keys that reach the window together, as a quick hand or a pad's diagonal gives them.
  std::function<void()> Burst(std::vector<std::uint32_t> Codes) {
    return [this, Codes] {
      for (std::uint32_t Code : Codes)
        Post(Code);
    };
  }
  // The machine stood still for Ms (the process was stopped): the keys typed meanwhile come all at once.
  std::function<void()> Stall(std::uint32_t Ms, std::vector<std::uint32_t> Codes) {
    return [this, Ms, Send = Burst(std::move(Codes))] {
      RecordClock->Advance(Ms);
      Send();
    };
  }
  QRadioButton* Generator(int Index) {
    return Settings->RGTrashGeneratorAlgorythm->findChildren<QRadioButton*>().at(Index);
  }

  // A game of bursts drawn from Seed: 2 to 5 keys at once every few ticks, some
  // after a stall of ten seconds, a pause and its resume in one burst, then Escape.
  std::vector<TAction> BurstScript(unsigned Seed) {
    std::mt19937 Draw(Seed);
    const auto Between = [&Draw](int Low, int High) { return std::uniform_int_distribution(Low, High)(Draw); };
    const std::uint32_t Keys[] = {vkLeft, vkRight, vkUp, vkDown, vkSpace, vkAdd, vkSubtract, vkF8};
    std::vector<TAction> Script;
    int Tick = 2;
    for (int I = 0; I < 16; ++I) {
      Tick += Between(0, 12);
      std::vector<std::uint32_t> Codes(static_cast<std::size_t>(Between(2, 5)));
      for (std::uint32_t& Code : Codes)
        Code = Keys[Between(0, static_cast<int>(std::size(Keys)) - 1)];
      if (I == 7)
        Codes.insert(Codes.begin() + 1, {vkPause, Seed % 2 == 0 ? vkPause : vkSpace});
      Script.push_back({Tick, I % 5 == 4 ? Stall(10000, Codes) : Burst(Codes)});
    }
    Script.push_back({Tick + 20, Key(vkEscape)});
    return Script;
  }

  // Plays on the steady clock, its loop resting at least GatherMs at a time:
  // a key every 45 ms of real time, most of them in the middle of a rest,
  // then Escape. Gives the game as it ended and what the loop did.
  TTrace RecordGathered(std::uint32_t GatherMs, std::vector<std::uint8_t>& File, TLoopPacer::TStats& Stats,
                        int& Keys) {
    TFixedSeeds Seeds(0x5EED4321u);
    TReplayRecorder Recorder;
    Randomize();
    AssembleProgram(Program, TAppFiles{Dir.Path(), IniPath()}, {.Sound = false});
    Main->GatherPasses(GatherMs);
    TTrace T;
    {
      TRecordingWatch Watch(*Main, Recorder);
      TCueRecorder Cues;
      bool Closed = false;
      QObject Context;
      QObject::connect(Main.get(), &TFrmMain::Closed, &Context, [&Closed] { Closed = true; });
      const std::uint32_t Play[] = {vkLeft, vkUp, vkRight, vkRight, vkDown, vkLeft, vkSpace, vkUp};
      Keys = 0;
      for (int Ms = 100; Ms < 3000; Ms += 45, ++Keys)
        QTimer::singleShot(Ms, &Context, [this, Code = Play[Keys % 8]] { Post(Code); });
      QTimer::singleShot(3000, &Context, [this] { Post(vkEscape); });
      Main->show();
      Post(vkSpace);
      QElapsedTimer Limit;
      Limit.start();
      while (!Closed && Limit.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      EXPECT_TRUE(Closed) << "the game did not end";
      T.Ended = YardText();
      T.Cues = Cues.Calls;
      T.Outcome = OutcomeLine(*Main->Game);
      Stats = Main->LoopStats();
    }
    File = Recorder.Bytes();
    End();
    return T;
  }

  TManualClock* RecordClock = nullptr; // the clock of the game being recorded
};

// Where two traces first part, for a readable failure.
void ExpectSameGame(const TTrace& Replayed, const TTrace& Original) {
  ASSERT_FALSE(Original.Yards.empty());
  const std::size_t Shorter = std::min(Replayed.Yards.size(), Original.Yards.size());
  for (std::size_t I = 0; I < Shorter; ++I) {
    ASSERT_EQ(Replayed.Yards[I], Original.Yards[I]) << "after tick number " << I;
    ASSERT_EQ(Replayed.Frames[I], Original.Frames[I]) << "the picture after tick number " << I;
  }
  EXPECT_EQ(Replayed.Yards.size(), Original.Yards.size());
  EXPECT_EQ(Replayed.Cues, Original.Cues);
  EXPECT_EQ(Replayed.Outcome, Original.Outcome);
}
} // namespace

TEST_F(ReplayWindowTest, ReplaysAScriptedGameTickForTickAndPixelForPixel) {
  const std::vector<TAction> Script = {
      {3, Key(vkLeft)},   {5, Key(vkLeft)},   {8, Key(vkUp)},      {12, Key(vkRight)}, {14, Key(vkAdd)},
      {20, Key(vkPause)}, {20, Key(vkPause)}, // held and resumed
      {30, Key(vkDown)},  {34, Key(vkSpace)},
      // The settings during play: a lower start level and the random generator, then back to the game.
      {40, Key(vkF7)},    {40, [this] { Settings->SEStartLevel->setValue(3); }},
      {40, [this] { Generator(2)->click(); }},  {40, [this] { Settings->close(); }},
      {60, Key(vkF1)},    {60, Key(vkSpace)},
      // A new game at the new level; the settings once more before it starts.
      {80, Key(vkF5)},    {80, Key(vkF7)},     {80, [this] { Settings->SEStartLevel->setValue(7); }},
      {80, [this] { Generator(0)->click(); }},  {80, [this] { Settings->close(); }}, {80, Key(vkSpace)},
      {90, Key(vkRight)}, {95, Key(vkUp)},     {99, Key(vkRight)},  {130, Key(vkSubtract)},
      {200, Key(vkEscape)},
  };
  std::vector<std::uint8_t> File;
  const TTrace Original = Record(Script, File);
  const TTrace Replayed = Replay(File);
  ExpectSameGame(Replayed, Original);

  // The script reached what it means to test.
  EXPECT_NE(Original.Yards.back().find("generator 0"), std::string::npos);
  EXPECT_NE(std::find_if(Original.Yards.begin(), Original.Yards.end(),
                         [](const std::string& Y) { return Y.find("generator 2") != std::string::npos; }),
            Original.Yards.end());
  EXPECT_FALSE(Original.Cues.empty());
}

// What a killed program leaves, cut after any block or anywhere at all,
// replays the game it holds tick for tick up to where it ends.
TEST_F(ReplayWindowTest, ACutRecordingReplaysTheGameUpToItsEnd) {
  std::vector<std::uint8_t> File;
  std::vector<std::size_t> Cuts;
  const TTrace Original =
      Record({{3, Key(vkLeft)}, {9, Key(vkUp)}, {30, Key(vkRight)}, {70, Key(vkSpace)}, {120, Key(vkEscape)}}, File,
             &Cuts);
  ASSERT_GE(Cuts.size(), 4u);
  const std::size_t BlockEnds = Cuts.size();
  std::mt19937 Draw(5);
  for (int I = 0; I < 3; ++I)
    Cuts.push_back(Cuts.front() + Draw() % (File.size() - Cuts.front()));
  for (std::size_t I = 0; I < Cuts.size(); ++I) {
    const std::size_t Size = Cuts[I];
    const TRecording Cut = DecodeRecording({File.begin(), File.begin() + static_cast<std::ptrdiff_t>(Size)}, "cut.rec");
    ASSERT_TRUE(Cut.EndsEarly) << "cut to " << Size << " bytes";
    const TTrace Replayed = Replay(Cut);
    ASSERT_LE(Replayed.Yards.size(), Original.Yards.size()) << "cut to " << Size << " bytes";
    for (std::size_t Tick = 0; Tick < Replayed.Yards.size(); ++Tick) {
      ASSERT_EQ(Replayed.Yards[Tick], Original.Yards[Tick]) << "cut to " << Size << " bytes, after tick " << Tick;
      ASSERT_EQ(Replayed.Frames[Tick], Original.Frames[Tick]) << "cut to " << Size << " bytes, after tick " << Tick;
    }
    // A block was written every 25 ticks: cut after one, the replay gets that far.
    if (I < BlockEnds) {
      EXPECT_GE(Replayed.Yards.size(), 25 * (I + 1)) << "cut after block " << I + 1;
    }
  }
}

TEST_F(ReplayWindowTest, ARecordingThatCannotBeWrittenIsToldOnceWithTheReasonAndPlayGoesOn) {
  TManualClock Clock(1000);
  TReplayRecorder Recorder;
  Randomize();
  AssembleProgram(Program, TAppFiles{Dir.Path(), IniPath()}, {.Sound = false, .Settings = false});
  const std::string Path = Dir.Path() + "/gone/game.rec";
  TTrace T;
  {
    TRecordingWatch Watch(*Main, Recorder);
    Watch.WriteTo(Path);
    Main->show();
    Post(vkSpace);
    Run({{20, Key(vkLeft)}, {60, Key(vkEscape)}}, [&Clock] { Clock.Advance(40); }, T);
  }
  ASSERT_EQ(Messages.Shown.size(), 1u);
  EXPECT_EQ(Messages.Shown[0].Text,
            "Cannot write the recording \"" + Path + "\": No such file or directory. The game goes on without recording.");
  EXPECT_GE(T.Yards.size(), 60u) << "the game went on";
  End();
}

TEST_F(ReplayWindowTest, AGamePlayedWithChosenKeysReplaysWithTheDefaults) {
  const auto Script = [this](int L, int R, int J, int D) {
    return std::vector<TAction>{{3, Typed(L)}, {5, Typed(L)},  {8, Typed(J)},  {12, Typed(R)},
                                {20, Typed(D)}, {24, Typed(J)}, {30, Typed(R)}, {60, Key(vkEscape)}};
  };
  std::vector<std::uint8_t> Arrows;
  const TTrace WithArrows = Record(Script(Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down), Arrows);
  WriteIni("[Keys]\nLeft=A\nRight=D\nJump=W\nDown=S\n");
  std::vector<std::uint8_t> File;
  const TTrace WithWasd = Record(Script(Qt::Key_A, Qt::Key_D, Qt::Key_W, Qt::Key_S), File);
  ExpectSameGame(WithWasd, WithArrows);
  EXPECT_EQ(File, Arrows) << "the recording keeps the actions, not the keys";
  ExpectSameGame(Replay(File), WithWasd);
}

TEST_F(ReplayWindowTest, ThePlayersKeysDoNothingToAReplay) {
  std::vector<std::uint8_t> File;
  const TTrace Original = Record({{4, Key(vkLeft)}, {9, Key(vkUp)}, {40, Key(vkEscape)}}, File);
  int Ticks = 0;
  const TTrace Replayed = Replay(File, [this, &Ticks] {
    // Every key a player might try, sent as the window system delivers them.
    for (std::uint32_t Code : {vkRight, vkRight, vkSpace, vkAdd, vkF5, vkF1})
      if (++Ticks % 7 == 0)
        Press(Code);
  });
  ExpectSameGame(Replayed, Original);
}

TEST_F(ReplayWindowTest, PauseHoldsTheReplayFSpeedsItUpAndEscapeEndsIt) {
  std::vector<std::uint8_t> File;
  Record({{3, Key(vkRight)}, {400, Key(vkEscape)}}, File);
  TReplayPlayer Player(DecodeRecording(File, "paced.rec"), "paced.rec");
  Randomize();
  AssembleProgram(Program, TAppFiles{Dir.Path(), Dir.Path() + "/replay.ini"}, {.Sound = false, .Settings = false});
  {
    TReplayDriver Driver(*Main, Player, true);
    Driver.Start();
    Main->show();
    auto Send = [this](QEvent::Type Type, int QtKey) {
      QKeyEvent Event(Type, QtKey, Qt::NoModifier);
      QCoreApplication::sendEvent(Main.get(), &Event);
    };
    const TGame& G = *Main->Game;
    // The game's loop runs inside the replay, so the player acts from timers, as real keys would come.
    std::uint32_t Played = 0, Held = 0;
    QObject Context;
    QTimer::singleShot(300, &Context, [&] {
      Played = G.TickCount;
      Send(QEvent::KeyPress, Qt::Key_Pause);
    });
    QTimer::singleShot(350, &Context, [&] { Held = G.TickCount; });
    QTimer::singleShot(650, &Context, [&] {
      EXPECT_TRUE(Driver.HeldByPlayer());
      EXPECT_EQ(G.TickCount, Held) << "held by Pause";
      Send(QEvent::KeyPress, Qt::Key_Pause);
      Send(QEvent::KeyPress, Qt::Key_F);
    });
    QTimer::singleShot(950, &Context, [&] {
      EXPECT_TRUE(Driver.FastForward());
      EXPECT_GT(G.TickCount - Held, 32u) << "four times as fast while F is down: 300 ms of 18.5 ms ticks";
      Send(QEvent::KeyRelease, Qt::Key_F);
      EXPECT_FALSE(Driver.FastForward());
      Send(QEvent::KeyPress, Qt::Key_Escape);
    });
    bool Closed = false;
    QObject::connect(Main.get(), &TFrmMain::Closed, &Context, [&Closed] { Closed = true; });
    QElapsedTimer Limit;
    Limit.start();
    while (!Closed && Limit.elapsed() < 20000)
      QCoreApplication::processEvents();
    EXPECT_GT(Played, 0u) << "the replay plays by itself";
    EXPECT_LT(Played, 32u) << "at the recorded pace: 300 ms of 18.5 ms ticks";
    EXPECT_LT(Limit.elapsed(), 5000) << "Escape ended the replay";
    EXPECT_FALSE(Main->isVisible());
    EXPECT_FALSE(Driver.Complete()) << "ended before the recording's end";
  }
  End();
}

TEST_F(ReplayWindowTest, KeysThatComeTogetherReplayToTheSameGame) {
  for (unsigned Seed = 1; Seed <= 4; ++Seed) {
    SCOPED_TRACE("burst game " + std::to_string(Seed));
    std::vector<std::uint8_t> File;
    const TTrace Original = Record(BurstScript(Seed), File, nullptr, 0x5EED0000u + Seed * 100);
    ExpectSameGame(Replay(File), Original);
  }
}

TEST_F(ReplayWindowTest, ALoopThatGathersItsPassesIntoLongerRestsDecidesAsIfEachRanOnTime) {
  constexpr std::uint32_t GatherMs = 60;
  std::vector<std::uint8_t> File;
  TLoopPacer::TStats Stats;
  int Keys = 0;
  const TTrace Original = RecordGathered(GatherMs, File, Stats, Keys);
  // The loop slept through moments and ran their passes late, and woke no
  // more often than once a rest, or for a key.
  EXPECT_GT(Stats.LatePasses, 20u);
  EXPECT_LE(Stats.Rests, 3000 / GatherMs + static_cast<std::uint64_t>(Keys) + 5);
  // Each of those passes read its own moment, and the keys came in after the
  // passes of the moments before them: the recording, which keeps every
  // reading and every key where it came, plays back to the same game.
  std::vector<std::pair<std::uint32_t, std::optional<std::uint32_t>>> Passes; // read, next due
  const TTrace Replayed = Replay(File, [&] { Passes.emplace_back(Main->Game->CurrentTime, Main->Game->NextPassTime()); });
  // No moment the game named went by without its pass.
  for (std::size_t I = 0; I + 1 < Passes.size(); ++I) {
    const auto& [Read, Due] = Passes[I];
    if (Due) {
      ASSERT_LE(Passes[I + 1].first - Read, *Due - Read) << "after pass " << I;
    }
  }
  EXPECT_EQ(Replayed.Ended, Original.Ended);
  EXPECT_EQ(Replayed.Cues, Original.Cues);
  EXPECT_EQ(Replayed.Outcome, Original.Outcome);
}
