#include <gtest/gtest.h>

#include "platform/audio.h"
#include "platform/gamepad.h"
#include "platform/keys.h"
#include "platform/pad_plug_watch.h"
#include "support/test_audio.h"
#include "support/test_game.h"
#include "support/virtual_pad.h"

#include <SDL.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {
using TKeys = std::vector<std::uint32_t>;

// Pads of the machine the tests run on are counted out. The clock is the
// test's, so repeats come when it says.
class GamepadTest : public ::testing::Test {
protected:
  GamepadTest() {
    SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
    GamepadSetRepeat(DefaultKeyRepeat);
    GamepadSetClock(&Clock);
  }
  ~GamepadTest() override {
    Pads.clear();
    GamepadFree();
    GamepadSetClock(nullptr);
  }

  // Starts the layer, taking note of pads the machine itself has.
  void Start() {
    ASSERT_TRUE(GamepadInit());
    MachinePads = GamepadCount();
  }
  TVirtualPad& Plug() {
    Pads.push_back(std::make_unique<TVirtualPad>());
    return *Pads.back();
  }
  std::size_t TestPads() const { return GamepadCount() - MachinePads; }
  // The keys given after Ms more milliseconds.
  TKeys After(std::uint32_t Ms) {
    Clock.Advance(Ms);
    return GamepadPoll();
  }

  TManualClock Clock;
  std::size_t MachinePads = 0;
  std::vector<std::unique_ptr<TVirtualPad>> Pads;
};
} // namespace

TEST_F(GamepadTest, APadPluggedInIsOpenedAndOneUnpluggedIsForgotten) {
  Start();
  TVirtualPad& Pad = Plug();
  EXPECT_EQ(GamepadPoll(), TKeys{});
  EXPECT_EQ(TestPads(), 1u);
  Pad.Unplug();
  EXPECT_EQ(GamepadPoll(), TKeys{});
  EXPECT_EQ(TestPads(), 0u);
}

TEST_F(GamepadTest, APadPresentAtTheStartIsOpenedAtOnce) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  TVirtualPad& Pad = Plug();
  Start();
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  EXPECT_GE(GamepadCount(), 1u);
  Pad.Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(GamepadPoll(), TKeys{vkSpace});
}

TEST_F(GamepadTest, EachButtonGivesItsKeyOncePerPressAndNeverRepeats) {
  Start();
  TVirtualPad& Pad = Plug();
  GamepadPoll();
  const struct {
    SDL_GameControllerButton Button;
    TKeys Keys;
  } Cases[] = {
      {SDL_CONTROLLER_BUTTON_A, {vkSpace}},
      {SDL_CONTROLLER_BUTTON_B, {vkUp}},
      {SDL_CONTROLLER_BUTTON_START, {vkPause}},
      {SDL_CONTROLLER_BUTTON_BACK, {vkF1}},
      {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, {vkSubtract}},
      {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, {vkAdd}},
      {SDL_CONTROLLER_BUTTON_X, {}},
      {SDL_CONTROLLER_BUTTON_Y, {}},
      {SDL_CONTROLLER_BUTTON_LEFTSTICK, {}},
      {SDL_CONTROLLER_BUTTON_RIGHTSTICK, {}},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(SDL_GameControllerGetStringForButton(Case.Button));
    Pad.Press(Case.Button);
    EXPECT_EQ(After(1), Case.Keys);
    EXPECT_EQ(After(2000), TKeys{}) << "held";
    Pad.Release(Case.Button);
    EXPECT_EQ(After(1), TKeys{}) << "released";
  }
  // Pressed again, a button gives its key again.
  Pad.Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(After(1), TKeys{vkSpace});
}

TEST_F(GamepadTest, DPadAndLeftStickGiveTheArrowKeys) {
  Start();
  TVirtualPad& Pad = Plug();
  GamepadPoll();
  const struct {
    const char* What;
    std::function<void(bool)> Hold;
    std::uint32_t Key;
  } Cases[] = {
      {"D-pad left", [&](bool On) { (On ? Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT) : Pad.Release(SDL_CONTROLLER_BUTTON_DPAD_LEFT)); }, vkLeft},
      {"D-pad up", [&](bool On) { (On ? Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_UP) : Pad.Release(SDL_CONTROLLER_BUTTON_DPAD_UP)); }, vkUp},
      {"D-pad right", [&](bool On) { (On ? Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) : Pad.Release(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)); }, vkRight},
      {"D-pad down", [&](bool On) { (On ? Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN) : Pad.Release(SDL_CONTROLLER_BUTTON_DPAD_DOWN)); }, vkDown},
      {"stick left", [&](bool On) { Pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, On ? -32768 : 0); }, vkLeft},
      {"stick up", [&](bool On) { Pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, On ? -32768 : 0); }, vkUp},
      {"stick right", [&](bool On) { Pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, On ? 32767 : 0); }, vkRight},
      {"stick down", [&](bool On) { Pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, On ? 32767 : 0); }, vkDown},
      {"right stick", [&](bool On) { Pad.Lean(SDL_CONTROLLER_AXIS_RIGHTX, On ? 32767 : 0); }, 0},
      {"trigger", [&](bool On) { Pad.Lean(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, On ? 32767 : 0); }, 0},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.What);
    Case.Hold(true);
    EXPECT_EQ(After(1), Case.Key != 0 ? TKeys{Case.Key} : TKeys{});
    Case.Hold(false);
    EXPECT_EQ(After(1000), TKeys{}) << "let go before it repeated";
  }
}

TEST_F(GamepadTest, TheStickCountsBeyondAThirdOfItsTravelAndLetsGoBelowAQuarter) {
  Start();
  TVirtualPad& Pad = Plug();
  GamepadPoll();
  const struct {
    Sint16 X;
    TKeys Keys;
  } Steps[] = {
      {10000, {}},         // within the dead zone
      {11500, {vkRight}},  // past a third
      {9000, {}},          // still held: resting near the edge does not chatter
      {11500, {}},         // so coming back gives nothing new
      {8000, {}},          // let go
      {11500, {vkRight}},  // pressed anew
      {-11500, {vkLeft}},  // flicked straight across
      {-32768, {}},
      {0, {}},
  };
  for (const auto& Step : Steps) {
    SCOPED_TRACE(Step.X);
    Pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, Step.X);
    EXPECT_EQ(After(10), Step.Keys);
  }
}

TEST_F(GamepadTest, AHeldDirectionRepeatsAfterTheDelayAtTheRateUntilLetGo) {
  Clock.Set(0xFFFFFF00u); // the repeats run across the clock's wrap-around
  Start();
  TVirtualPad& Pad = Plug();
  GamepadPoll();
  Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  EXPECT_EQ(After(0), TKeys{vkLeft});
  EXPECT_EQ(After(499), TKeys{});
  EXPECT_EQ(After(1), TKeys{vkLeft}) << "half a second after the press";
  EXPECT_EQ(After(32), TKeys{});
  EXPECT_EQ(After(1), TKeys{vkLeft}) << "33 ms later";
  TKeys Second;
  for (int Ms = 0; Ms < 1000; ++Ms)
    for (std::uint32_t Key : After(1))
      Second.push_back(Key);
  EXPECT_EQ(Second, TKeys(30, vkLeft)) << "about 30 a second";
  EXPECT_EQ(After(5000), TKeys{vkLeft}) << "a game busy for a while gets one repeat, not a burst";
  Pad.Release(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  EXPECT_EQ(After(5000), TKeys{});
}

// A recorded game keeps every reading of the game's clock; the pads, like the
// keyboard, must not add readings of their own to it.
TEST_F(GamepadTest, ThePadsRepeatOnTheirOwnClockAndNeverReadTheGames) {
  struct TCountingClock : TTickSource {
    std::uint32_t Reads = 0;
    std::uint32_t Now() override { return ++Reads; }
  } GameClock;
  TTickSource* const Previous = SetTickSource(&GameClock);
  // The pads' own clock, as in the game, with no repeat due while the test runs.
  GamepadSetClock(nullptr);
  GamepadSetRepeat({60000, 60000});
  Start();
  TVirtualPad& Pad = Plug();
  GamepadPoll();
  Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_UP);
  EXPECT_EQ(GamepadPoll(), TKeys{vkUp});
  EXPECT_EQ(GamepadPoll(), TKeys{});
  Pad.Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(GamepadPoll(), TKeys{vkSpace});
  SetTickSource(Previous);
  EXPECT_EQ(GameClock.Reads, 0u);
}

TEST_F(GamepadTest, TheRepeatFollowsTheDelayAndIntervalItIsGiven) {
  GamepadSetRepeat({250, 40});
  Start();
  TVirtualPad& Pad = Plug();
  GamepadPoll();
  Pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, 32767);
  EXPECT_EQ(After(0), TKeys{vkDown});
  EXPECT_EQ(After(249), TKeys{});
  EXPECT_EQ(After(1), TKeys{vkDown});
  EXPECT_EQ(After(39), TKeys{});
  EXPECT_EQ(After(1), TKeys{vkDown});
}

TEST_F(GamepadTest, OfTwoDirectionsHeldTheOnePressedLastRepeats) {
  Start();
  TVirtualPad& Pad = Plug();
  GamepadPoll();
  Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  EXPECT_EQ(After(0), TKeys{vkLeft});
  Pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, -32768);
  EXPECT_EQ(After(300), TKeys{vkUp});
  EXPECT_EQ(After(300), TKeys{}) << "Left's repeat was taken over";
  EXPECT_EQ(After(200), TKeys{vkUp}) << "half a second after Up";
  // Letting go of the older one changes nothing.
  Pad.Release(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  EXPECT_EQ(After(33), TKeys{vkUp});
  // The same direction from D-pad and stick at once is one direction held.
  Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_UP);
  EXPECT_EQ(After(1), TKeys{});
  Pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, 0);
  EXPECT_EQ(After(32), TKeys{vkUp}) << "still held on the D-pad";
  // Letting go of the one that repeats ends the repeat, like a keyboard.
  Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  EXPECT_EQ(After(1), TKeys{vkRight});
  Pad.Release(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  EXPECT_EQ(After(2000), TKeys{});
}

TEST_F(GamepadTest, AButtonPressedWhileWalkingKeepsTheWalkGoing) {
  Start();
  TVirtualPad& Pad = Plug();
  GamepadPoll();
  Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  EXPECT_EQ(After(0), TKeys{vkRight});
  Pad.Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(After(100), TKeys{vkSpace});
  EXPECT_EQ(After(400), TKeys{vkRight});
}

TEST_F(GamepadTest, APadUnpluggedWhileHeldStopsRepeating) {
  Start();
  TVirtualPad& Pad = Plug();
  GamepadPoll();
  Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
  Pad.Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(After(0), (TKeys{vkSpace, vkRight}));
  EXPECT_EQ(After(500), TKeys{vkRight});
  Pad.Unplug();
  EXPECT_EQ(After(1), TKeys{});
  EXPECT_EQ(TestPads(), 0u);
  EXPECT_EQ(After(5000), TKeys{}) << "no key stuck";
}

TEST_F(GamepadTest, TwoPadsPlayTogetherAndOneLeavingLeavesTheOther) {
  Start();
  TVirtualPad& First = Plug();
  TVirtualPad& Second = Plug();
  GamepadPoll();
  EXPECT_EQ(TestPads(), 2u);
  First.Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(After(1), TKeys{vkSpace});
  Second.Press(SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(After(1), TKeys{vkPause});
  // The second pad's direction is the one held last; the first pad leaving does not end it.
  First.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
  EXPECT_EQ(After(1), TKeys{vkLeft});
  Second.Lean(SDL_CONTROLLER_AXIS_LEFTX, 32767);
  EXPECT_EQ(After(1), TKeys{vkRight});
  First.Unplug();
  EXPECT_EQ(After(500), TKeys{vkRight});
  EXPECT_EQ(TestPads(), 1u);
  Second.Press(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
  EXPECT_EQ(After(1), TKeys{vkSubtract});
}

TEST_F(GamepadTest, AJoystickWithoutTheStandardLayoutIsLeftAlone) {
  Start();
  TVirtualPad& Stick = *Pads.emplace_back(std::make_unique<TVirtualPad>(SDL_JOYSTICK_TYPE_FLIGHT_STICK));
  Stick.Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_EQ(After(1), TKeys{});
  EXPECT_EQ(TestPads(), 0u);
}

TEST_F(GamepadTest, BeforeTheStartAndAfterTheEndNothingIsRead) {
  EXPECT_EQ(GamepadPoll(), TKeys{});
  EXPECT_EQ(GamepadCount(), 0u);
  Start();
  TVirtualPad& Pad = Plug();
  GamepadPoll();
  Pad.Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  GamepadFree();
  EXPECT_EQ(GamepadCount(), 0u);
  EXPECT_EQ(After(1000), TKeys{});
}

TEST_F(GamepadTest, PadsAndSoundStartAndEndWithoutEndingEachOther) {
  ChooseAudioDriver("dummy");
  ASSERT_TRUE(AudioInit(AudioDefaultDevice, 44100));
  Start();
  GamepadFree();
  EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "the sound plays on without pads";
  Start();
  ASSERT_TRUE(AudioFree());
  TVirtualPad& Pad = Plug();
  GamepadPoll();
  Pad.Press(SDL_CONTROLLER_BUTTON_B);
  EXPECT_EQ(After(1), TKeys{vkUp}) << "pads play on without sound";
}

// Without the test's own start of SDL, the layer is the first to start it.
TEST(GamepadSignalsTest, CtrlCAndTerminationStillEndTheGame) {
  ASSERT_TRUE(GamepadInit());
  for (int Signal : {SIGINT, SIGTERM}) {
    struct sigaction Action {};
    ASSERT_EQ(sigaction(Signal, nullptr, &Action), 0);
    EXPECT_EQ(Action.sa_handler, SIG_DFL) << "signal " << Signal;
  }
  GamepadFree();
  EXPECT_EQ(SDL_WasInit(SDL_INIT_GAMECONTROLLER | SDL_INIT_JOYSTICK), 0u) << "no part of SDL left running";
}

namespace {
// The watch over a folder of the test's own standing for /dev, with its
// "input" folder standing for /dev/input. Notices are counted as they come.
class PadPlugWatchTest : public ::testing::Test {
protected:
  PadPlugWatchTest() : Devices(std::filesystem::temp_directory_path() / ("clankora-devices-" + std::to_string(getpid()))) {
    std::filesystem::remove_all(Devices);
    std::filesystem::create_directories(Input());
  }
  ~PadPlugWatchTest() override {
    Watch.reset();
    std::filesystem::remove_all(Devices);
  }

  std::filesystem::path Input() const { return Devices / "input"; }
  void StartWatch(bool LookOnly = false) {
    Watch = std::make_unique<TPadPlugWatch>([this] { ++Notices; }, TPadPlaces{Devices.string(), "input", LookOnly});
  }
  static void Make(const std::filesystem::path& File) { std::ofstream{File}.put('x'); }
  // Whether a notice came since the last one seen, waiting up to Ms milliseconds for it.
  bool NoticeWithin(int Ms) {
    for (int Waited = 0; Notices == Seen && Waited < Ms; Waited += 10)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool Came = Notices != Seen;
    Seen = Notices;
    return Came;
  }
  // Lets the notices of the last change come, so that the next is judged alone.
  void Settle() {
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * PlugNoticeMs));
    Seen = Notices;
  }
  // The times the threads other than the test's have gone to sleep and been woken.
  static std::uint64_t OtherThreadsWakeups() {
    std::uint64_t Sum = 0;
    for (const auto& Task : std::filesystem::directory_iterator("/proc/self/task")) {
      if (Task.path().filename() == std::to_string(gettid()))
        continue;
      std::ifstream Status(Task.path() / "status");
      for (std::string Line; std::getline(Status, Line);)
        if (Line.rfind("voluntary_ctxt_switches:", 0) == 0)
          Sum += std::stoull(Line.substr(Line.find(':') + 1));
    }
    return Sum;
  }

  std::filesystem::path Devices;
  std::atomic<int> Notices{0};
  int Seen = 0;
  std::unique_ptr<TPadPlugWatch> Watch;
};
} // namespace

TEST_F(PadPlugWatchTest, APadsFileComingGoingOrGivenToThePlayerIsNoticed) {
  Make(Input() / "event2");
  Make(Input() / "js1");
  const std::vector<std::pair<const char*, std::function<void()>>> Changes = {
      {"an event device comes", [&] { Make(Input() / "event5"); }},
      {"a joystick device comes", [&] { Make(Input() / "js0"); }},
      {"an event device goes", [&] { std::filesystem::remove(Input() / "event2"); }},
      {"a joystick device's permissions change",
       [&] { std::filesystem::permissions(Input() / "js1", std::filesystem::perms::others_read); }},
  };
  for (const auto& [What, Change] : Changes) {
    StartWatch();
    ASSERT_TRUE(Watch->Told());
    Settle();
    Change();
    EXPECT_TRUE(NoticeWithin(2000)) << What;
  }
}

TEST_F(PadPlugWatchTest, OtherFilesComingAndGoingAreNotNoticedAndRarelyWakeTheWatch) {
  // The input folder's other files, and the devices folder's while it is
  // watched for the input folder to come.
  for (const bool InputThere : {true, false}) {
    SCOPED_TRACE(InputThere ? "in the input folder" : "in the devices folder, without an input folder");
    if (!InputThere)
      std::filesystem::remove_all(Input());
    const std::filesystem::path Folder = InputThere ? Input() : Devices;
    StartWatch();
    Settle();
    const std::uint64_t WakeupsBefore = OtherThreadsWakeups();
    // 1,000 changes over about a second, as programs make, rename and remove their files.
    for (int I = 0; I < 250; ++I) {
      const std::filesystem::path Made = Folder / ("mouse" + std::to_string(I));
      const std::filesystem::path Renamed = Folder / ("kbd" + std::to_string(I));
      Make(Made);
      std::filesystem::rename(Made, Renamed);
      std::filesystem::remove(Renamed);
      std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    EXPECT_FALSE(NoticeWithin(1200));
    EXPECT_LT(OtherThreadsWakeups() - WakeupsBefore, 20u) << "the watch sleeps through most of the changes";
    // A pad plugged in now is still noticed, and so is the input folder coming.
    if (InputThere)
      Make(Input() / "event4");
    else
      std::filesystem::create_directory(Input());
    EXPECT_TRUE(NoticeWithin(2000));
  }
}

TEST_F(PadPlugWatchTest, AStormOfChangesToPadsFilesGivesANoticeAtMostEveryQuarterSecond) {
  StartWatch();
  const auto Start = std::chrono::steady_clock::now();
  for (int I = 0; I < 500; ++I) {
    Make(Input() / ("event" + std::to_string(I % 7)));
    std::filesystem::remove(Input() / ("event" + std::to_string(I % 7)));
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const auto Lasted = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Start);
  // The last changes are noticed after the storm, and then all is quiet.
  Settle();
  const int AfterStorm = Seen;
  EXPECT_FALSE(NoticeWithin(600));
  EXPECT_GE(AfterStorm, 1);
  EXPECT_LE(AfterStorm, 2 + Lasted.count() / PlugNoticeMs) << "the storm lasted " << Lasted.count() << " ms";
}

TEST_F(PadPlugWatchTest, TheInputFolderComingOrGoingIsNoticedAndThePadsInIt) {
  std::filesystem::remove(Input());
  StartWatch();
  ASSERT_TRUE(Watch->Told());
  Make(Devices / "event1");
  EXPECT_FALSE(NoticeWithin(400)) << "a pad's name outside the input folder";
  std::filesystem::create_directory(Input());
  EXPECT_TRUE(NoticeWithin(2000)) << "the input folder came";
  Settle();
  Make(Input() / "event0");
  EXPECT_TRUE(NoticeWithin(2000)) << "a pad came into it";
  std::filesystem::remove(Input() / "event0");
  Settle();
  std::filesystem::remove(Input());
  EXPECT_TRUE(NoticeWithin(2000)) << "the input folder went";
  Settle();
  std::filesystem::create_directory(Input());
  Make(Input() / "js0");
  EXPECT_TRUE(NoticeWithin(2000)) << "it came again";
  Settle();
  Make(Input() / "js1");
  EXPECT_TRUE(NoticeWithin(2000)) << "a pad came into it again";
}

TEST_F(PadPlugWatchTest, WhereTheSystemCannotTellTheFoldersAreLookedAtOnceASecond) {
  StartWatch(true);
  EXPECT_FALSE(Watch->Told());
  Make(Input() / "mouse0");
  EXPECT_FALSE(NoticeWithin(PlugLookMs + 500)) << "no pad's file";
  Make(Input() / "event3");
  EXPECT_TRUE(NoticeWithin(PlugLookMs + 1000));
  std::filesystem::remove_all(Input());
  EXPECT_TRUE(NoticeWithin(PlugLookMs + 1000)) << "the input folder went";
}
