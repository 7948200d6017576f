#include <gtest/gtest.h>

#include "assets/sound.h"
#include "platform/audio.h"
#include "platform/ini_file.h"
#include "support/test_audio.h"
#include "support/test_game.h"
#include "support/test_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace {
struct TSampleFile {
  const char* Name;
  TSoundCue Cue;
  std::int16_t Level; // each sample its own, so the output tells which one played
  bool HalfPan;
};
const TSampleFile SampleFiles[] = {
    {"boom01.wav", TSoundCue::Boom, 2000, false},           {"fart01.wav", TSoundCue::Fart, 4000, false},
    {"getbomb01.wav", TSoundCue::GetBomb, 6000, false},     {"glassbreak01.wav", TSoundCue::Glassbreak, 8000, false},
    {"ouch01.wav", TSoundCue::Ouch, 10000, false},          {"pick01.wav", TSoundCue::Pick, 12000, false},
    {"placed01.wav", TSoundCue::Placed, 14000, true},       {"spring01.wav", TSoundCue::Spring, 16000, true},
    {"step01.wav", TSoundCue::Move, 18000, true},
};
constexpr std::int32_t BoomLevel = 2000;
constexpr std::int32_t FartLevel = 4000;
constexpr std::int32_t StepLevel = 18000;

void PlayCue(TSoundCue Cue, std::int32_t X) {
  switch (Cue) {
  case TSoundCue::Boom: PlayBoomSound(X); return;
  case TSoundCue::Fart: PlayFartSound(X); return;
  case TSoundCue::GetBomb: PlayGetBombSound(X); return;
  case TSoundCue::Glassbreak: PlayGlassbreakSound(X); return;
  case TSoundCue::Ouch: PlayOuchSound(X); return;
  case TSoundCue::Pick: PlayPickSound(X); return;
  case TSoundCue::Placed: PlayPlacedSound(X); return;
  case TSoundCue::Spring: PlaySpringSound(X); return;
  case TSoundCue::Move: PlayMoveSound(X); return;
  }
}

// The player saw exactly this one message.
std::vector<TMessage> OneMessage(const TMessage& M) { return {M}; }

std::string AudioErrorText(const std::string& Message, std::int32_t Code) {
  return Message + "\r\n(Error code: " + std::to_string(Code) + ")";
}

// The nine samples, short and steady, in a folder of their own; the output
// goes to a file that the test reads back.
class SoundTest : public ::testing::Test {
protected:
  SoundTest() {
    std::filesystem::create_directories(Sounds);
    for (const TSampleFile& File : SampleFiles)
      WriteSteadyWav(Sounds + File.Name, File.Level, 30);
  }

  // Plays the cue and returns what was heard, once it has ended.
  TSoundHeard Hear(TSoundCue Cue, std::int32_t X) {
    const std::size_t Before = Output.FinishedSounds().size();
    PlayCue(Cue, X);
    EXPECT_TRUE(Output.WaitForSounds(Before + 1)) << CueName(Cue) << " at column " << X << " was not heard";
    const std::vector<TSoundHeard> Heard = Output.FinishedSounds();
    return Heard.size() > Before ? Heard[Before] : TSoundHeard{0, 0, {0, 0}};
  }

  TTempDir Dir;
  std::string Sounds = Dir.Path() + "/sounds/";
  TDiskOutput Output{Dir.Path() + "/output.raw"};
  TMessageRecorder Messages;
};

// The level heard at a speaker whose gain is Gain.
std::int32_t At(std::int32_t Level, double Gain) { return static_cast<std::int32_t>(std::lround(Level * Gain)); }

// The mixer rounds a sample, with its gains applied, to the nearest level.
std::int32_t Tolerance(std::int32_t) { return 1; }

::testing::AssertionResult LevelIs(const TStereo& Heard, const TStereo& Expected) {
  const std::int32_t Allowed = Tolerance(std::max(Expected.Left, Expected.Right));
  if (std::abs(Heard.Left - Expected.Left) <= Allowed && std::abs(Heard.Right - Expected.Right) <= Allowed)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "heard " << Heard << ", expected " << Expected << " within " << Allowed;
}
} // namespace

TEST(ColumnToPanTest, EveryColumnGetsTheFloatNearestToATenthMinusOne) {
  for (std::int32_t X = 0; X <= 21; ++X)
    EXPECT_EQ(ColumnToPan(X), static_cast<float>(X / 10.0 - 1.0)) << "column " << X;
  EXPECT_EQ(ColumnToPan(10), 0.0f);
  EXPECT_EQ(ColumnToPan(20), 1.0f);
  EXPECT_EQ(ColumnToPan(1), -0.9f);
}

TEST_F(SoundTest, EveryCuePlaysItsOwnSampleWithFullOrHalfPan) {
  TDM DM(nullptr, Sounds);
  ASSERT_TRUE(DM.CanChangeUseSound);
  EXPECT_TRUE(DM.UseSound);
  EXPECT_TRUE(Messages.Shown.empty());
  // Column 1: a full-pan cue is at -0.9, the right speaker at a tenth of the
  // left; a half-pan cue at -0.45, the right speaker at 0.55 of the left.
  for (const TSampleFile& File : SampleFiles) {
    const TSoundHeard Heard = Hear(File.Cue, 1);
    EXPECT_NEAR(Heard.Level.Left, File.Level, Tolerance(File.Level)) << File.Name;
    const double Ratio = static_cast<double>(Heard.Level.Right) / File.Level;
    EXPECT_NEAR(Ratio, File.HalfPan ? 0.55 : 0.1, 0.005) << File.Name;
  }
}

TEST_F(SoundTest, TheColumnSetsWhereTheSoundStands) {
  TDM DM(nullptr, Sounds);
  ASSERT_TRUE(DM.CanChangeUseSound);
  struct TCase {
    TSoundCue Cue;
    std::int32_t X, Level;
    double Left, Right;
  } Cases[] = {
      {TSoundCue::Boom, 10, BoomLevel, 1.0, 1.0},  // the middle: both speakers at full level
      {TSoundCue::Boom, 20, BoomLevel, 0.0, 1.0},  // the right edge: right speaker only
      {TSoundCue::Move, 10, StepLevel, 1.0, 1.0},
      {TSoundCue::Move, 20, StepLevel, 0.5, 1.0},  // half pan: +0.5
      {TSoundCue::Move, 0, StepLevel, 1.0, 0.5},   // a step tried at the left edge: -0.5
      {TSoundCue::Move, 21, StepLevel, 0.45, 1.0}, // and at the right edge: +0.55
  };
  for (const TCase& Case : Cases) {
    const TSoundHeard Heard = Hear(Case.Cue, Case.X);
    EXPECT_TRUE(LevelIs(Heard.Level, {At(Case.Level, Case.Left), At(Case.Level, Case.Right)}))
        << CueName(Case.Cue) << " at column " << Case.X;
  }
}

TEST_F(SoundTest, AFourthQuickExplosionCutsOffTheOldestOfThree) {
  WriteSteadyWav(Sounds + "boom01.wav", BoomLevel, 400);
  TDM DM(nullptr, Sounds);
  ASSERT_TRUE(DM.CanChangeUseSound);
  // The first explosion is on the right, the later three on the left: if the
  // first one is cut off, nothing is left on the right but the left ones' tenth.
  PlayBoomSound(20);
  PlayBoomSound(1);
  PlayBoomSound(1);
  PlayBoomSound(1);
  ASSERT_TRUE(Output.WaitForSounds(1));
  const TSoundHeard Heard = Output.FinishedSounds()[0];
  EXPECT_TRUE(LevelIs(Heard.Level, {3 * BoomLevel, 3 * At(BoomLevel, 0.1)}));
}

TEST_F(SoundTest, NothingIsHeardWhileSwitchedOffAndTheNextCueAfterIs) {
  TDM DM(nullptr, Sounds);
  ASSERT_TRUE(DM.CanChangeUseSound);
  DM.UseSound = false;
  for (const TSampleFile& File : SampleFiles)
    PlayCue(File.Cue, 10);
  // Time enough for all of them to have been played out.
  ASSERT_TRUE(Output.WaitForMoreFrames(44100 / 5));
  for (const TStereo& Frame : Output.Frames())
    ASSERT_EQ(Frame, (TStereo{0, 0}));

  DM.UseSound = true;
  EXPECT_TRUE(LevelIs(Hear(TSoundCue::Fart, 10).Level, {FartLevel, FartLevel}));
}

TEST_F(SoundTest, PlayGameSoundSetsTheVolumeOfOnePlaybackOnly) {
  TDM DM(nullptr, Sounds);
  ASSERT_TRUE(DM.CanChangeUseSound);
  DM.PlayGameSound(DM.SndMove, 0.5f, 0.0f);
  ASSERT_TRUE(Output.WaitForSounds(1));
  EXPECT_TRUE(LevelIs(Output.FinishedSounds()[0].Level, {StepLevel / 2, StepLevel / 2}));
  // The next playback of the same sample is back at the sample's own volume.
  DM.PlayGameSound(DM.SndMove, -1.0f, 0.0f);
  ASSERT_TRUE(Output.WaitForSounds(2));
  EXPECT_TRUE(LevelIs(Output.FinishedSounds()[1].Level, {StepLevel, StepLevel}));
}

TEST_F(SoundTest, PlayGameSoundIgnoresSlotsThatHoldNoSample) {
  TDM DM(nullptr, Sounds);
  ASSERT_TRUE(DM.CanChangeUseSound);
  for (std::int32_t Index : {-1, 9, 127, 128, 100000})
    DM.PlayGameSound(Index, -1.0f, 0.0f);
  ASSERT_TRUE(Output.WaitForMoreFrames(44100 / 10));
  for (const TStereo& Frame : Output.Frames())
    ASSERT_EQ(Frame, (TStereo{0, 0}));
}

TEST_F(SoundTest, ASoundFoundOnlyUnderItsSecondNameIsLoaded) {
  std::filesystem::rename(Sounds + "ouch01.wav", Sounds + "ouch01.snd");
  TDM DM(nullptr, Sounds);
  EXPECT_TRUE(Messages.Shown.empty());
  EXPECT_EQ(DM.SndOuch, 4);
  EXPECT_TRUE(LevelIs(Hear(TSoundCue::Ouch, 10).Level, {10000, 10000}));
}

TEST_F(SoundTest, AMissingExplosionSoundIsReportedAndTheOthersMoveUp) {
  std::filesystem::remove(Sounds + "boom01.wav");
  TDM DM(nullptr, Sounds);
  EXPECT_EQ(Messages.Shown, OneMessage({"", AudioErrorText("Error loading sample!", aeFileNotFound),
                                        TMessageIcon::None, true}));

  EXPECT_EQ(DM.SndBoom, -1);
  EXPECT_EQ(DM.SndFart, 0);
  EXPECT_EQ(DM.SndGetBomb, 1);
  EXPECT_EQ(DM.SndGlassbreak, 2);
  EXPECT_EQ(DM.SndOuch, 3);
  EXPECT_EQ(DM.SndPick, 4);
  EXPECT_EQ(DM.SndPlaced, 5);
  EXPECT_EQ(DM.SndSpring, 6);
  EXPECT_EQ(DM.SndMove, 7);

  PlayBoomSound(10);
  EXPECT_TRUE(LevelIs(Hear(TSoundCue::Fart, 10).Level, {FartLevel, FartLevel}));
  ASSERT_EQ(Output.FinishedSounds().size(), 1u) << "the explosion was heard";
  EXPECT_TRUE(LevelIs(Hear(TSoundCue::Move, 10).Level, {StepLevel, StepLevel}));
}

TEST_F(SoundTest, AFolderWithoutItsSoundsIsReportedInOneMessageNamingEach) {
  std::filesystem::remove_all(Sounds);
  std::filesystem::create_directory(Sounds);
  TDM DM(nullptr, Sounds);
  ASSERT_EQ(Messages.Shown.size(), 1u);
  const std::string& Text = Messages.Shown[0].Text;
  EXPECT_EQ(Text.rfind(AudioErrorText("Error loading sample!", aeFileNotFound), 0), 0u) << Text;
  EXPECT_NE(Text.find("9 sounds were not loaded from \"" + Sounds + "\""), std::string::npos) << Text;
  for (const char* Name : {"boom01.snd", "fart01.snd", "getbomb01.snd", "glassbreak01.snd", "ouch01.snd",
                           "pick01.snd", "placed01.snd", "spring01.snd", "step01.snd"})
    EXPECT_NE(Text.find(Name), std::string::npos) << Name;
  EXPECT_EQ(DM.SndBoom, -1);
  EXPECT_EQ(DM.SndMove, -1);
}

TEST_F(SoundTest, AFileThatIsNoWavIsReportedWithItsOwnCode) {
  std::ofstream(Sounds + "pick01.wav") << "not a sound at all";
  TDM DM(nullptr, Sounds);
  ASSERT_EQ(Messages.Shown.size(), 1u);
  EXPECT_EQ(Messages.Shown[0].Text, AudioErrorText("Error loading sample!", aeNotWav));
  EXPECT_EQ(DM.SndPick, -1);
  EXPECT_EQ(DM.SndPlaced, 5);
  EXPECT_EQ(DM.SndMove, 7);
}

TEST_F(SoundTest, TheSwitchStartsAsTheSettingsFileHasIt) {
  TIniFile Ini(Dir.Path() + "/clankora.ini");
  {
    TDM DM(&Ini, Sounds);
    EXPECT_TRUE(DM.UseSound) << "a missing key means on";
  }
  Ini.WriteBool("Tinvell: 01h", "SoundOn", false);
  {
    TDM DM(&Ini, Sounds);
    EXPECT_TRUE(DM.CanChangeUseSound);
    EXPECT_FALSE(DM.UseSound);
  }
}

TEST_F(SoundTest, TheCuesReachTheModuleOnlyWhileItLives) {
  TCueRecorder Recorder;
  {
    TDM DM(nullptr, Sounds);
    PlayPickSound(3);
    EXPECT_TRUE(Recorder.Calls.empty());
  }
  PlayPickSound(4);
  EXPECT_EQ(Recorder.Calls, (std::vector<TCueCall>{{TSoundCue::Pick, 4}}));
}

namespace {
// Without audio: one message, the switch off and staying off whatever the
// settings file says, and no cue ever heard, not even after the settings
// dialog ticks the switch on.
void ExpectSilentRun(TDM& DM, const TMessageRecorder& Messages) {
  EXPECT_FALSE(DM.CanChangeUseSound);
  EXPECT_FALSE(DM.UseSound);
  EXPECT_EQ(DM.SndBoom, 0);
  EXPECT_EQ(DM.SndMove, 0);
  EXPECT_EQ(Messages.Shown.size(), 1u);
  DM.UseSound = true;
  for (const TSampleFile& File : SampleFiles)
    PlayCue(File.Cue, 10);
  DM.PlayGameSound(0, -1.0f, 0.0f);
}
} // namespace

TEST_F(SoundTest, WithNoAudioDriverTheGameGoesOnInSilence) {
  ChooseAudioDriver("no-such-driver");
  TIniFile Ini(Dir.Path() + "/clankora.ini");
  Ini.WriteBool("Tinvell: 01h", "SoundOn", true);
  TDM DM(&Ini, Sounds);
  EXPECT_EQ(Messages.Shown, OneMessage({"", AudioErrorText("Error initializing audio!", aeNoDriver),
                                        TMessageIcon::None, true}));
  ExpectSilentRun(DM, Messages);
}

TEST_F(SoundTest, WithAnOutputThatCannotBeOpenedTheGameGoesOnInSilence) {
  setenv("SDL_DISKAUDIOFILE", (Dir.Path() + "/no-such-folder/output.raw").c_str(), 1);
  TDM DM(nullptr, Sounds);
  ASSERT_EQ(Messages.Shown.size(), 1u);
  EXPECT_EQ(Messages.Shown[0].Text, AudioErrorText("Error initializing audio!", aeNoDevice));
  ExpectSilentRun(DM, Messages);
}

TEST_F(SoundTest, AWrongVersionGivesItsMessageThenSilence) {
  SetAudioVersionOverride(0x02030011);
  {
    TDM DM(nullptr, Sounds);
    EXPECT_EQ(Messages.Shown,
              OneMessage({"", "The game's audio layer has an incorrect version", TMessageIcon::Error, false}));
    ExpectSilentRun(DM, Messages);
    // The output is open all the same, and stays silent.
    EXPECT_TRUE(Output.WaitForMoreFrames(44100 / 5));
    for (const TStereo& Frame : Output.Frames())
      ASSERT_EQ(Frame, (TStereo{0, 0}));
  }
  SetAudioVersionOverride(std::nullopt);
  // It was released at the end: the next module opens the output afresh.
  TDM Next(nullptr, Sounds);
  EXPECT_TRUE(Next.CanChangeUseSound);
  EXPECT_EQ(Messages.Shown.size(), 1u);
}
