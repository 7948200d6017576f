// The pictures and sounds that ship with the game, checked through the
// game's own loaders: every file is there, decodes, and has the size and the
// frame count the game draws it with.
#include <gtest/gtest.h>

#include "assets/data_files.h"
#include "assets/sound.h"
#include "assets/sprites.h"
#include "support/sound_spectrum.h"
#include "support/test_pictures.h"
#include "support/wav_levels.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

namespace {

const std::string SpritesDir = std::string(CLANKORA_SOURCE_DIR) + "/data/sprites/";
const std::string SoundsDir = std::string(CLANKORA_SOURCE_DIR) + "/data/sounds/";

class DataFilesTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { Sprites = new TSpritesContainer(SpritesDir); }
  static void TearDownTestSuite() {
    delete Sprites;
    Sprites = nullptr;
  }
  static TSpritesContainer* Sprites;
};
TSpritesContainer* DataFilesTest::Sprites = nullptr;

double MeanAlpha(const TPngImage& Image) {
  double Sum = 0;
  for (std::uint32_t Y = 0; Y < Image.Height(); ++Y)
    for (std::uint32_t X = 0; X < Image.Width(); ++X)
      Sum += Image.PixelAt(X, Y).A;
  return Sum / (Image.Width() * Image.Height() * 255.0);
}

bool FullyOpaque(const TPngImage& Image) { return MeanAlpha(Image) == 1.0; }

std::uint8_t MaxAlpha(const TPngImage& Image) {
  std::uint8_t Max = 0;
  for (std::uint32_t Y = 0; Y < Image.Height(); ++Y)
    for (std::uint32_t X = 0; X < Image.Width(); ++X)
      Max = std::max(Max, Image.PixelAt(X, Y).A);
  return Max;
}

// The share of pixels that are at least half covered.
double Coverage(const TPngImage& Image) {
  std::uint32_t Covered = 0;
  for (std::uint32_t Y = 0; Y < Image.Height(); ++Y)
    for (std::uint32_t X = 0; X < Image.Width(); ++X)
      Covered += Image.PixelAt(X, Y).A >= 128;
  return double(Covered) / (Image.Width() * Image.Height());
}

bool SamePixels(const TPngImage& A, const TPngImage& B) {
  for (std::uint32_t Y = 0; Y < A.Height(); ++Y)
    for (std::uint32_t X = 0; X < A.Width(); ++X)
      if (!(A.PixelAt(X, Y) == B.PixelAt(X, Y)))
        return false;
  return true;
}

} // namespace

TEST_F(DataFilesTest, EverySetHasItsFramesAtTheSizeTheGameDrawsThem) {
  const TSpritesContainer& C = *Sprites;
  struct TCase {
    const char* Name;
    const TFigureSprites& Set;
    std::uint32_t Frames, Width, Height;
  };
  const TCase Cases[] = {
      {"Land", C.Land, 1, 32, 32},        {"Tool", C.Tool, 1, 32, 32},
      {"Wheel", C.Wheel, 1, 32, 32},      {"SmashedCar", C.SmashedCar, 1, 32, 32},
      {"Bottles", C.Bottles, 1, 32, 32},  {"Metal", C.Metal, 1, 32, 32},
      {"Metal2", C.Metal2, 1, 32, 32},    {"Brick", C.Brick, 1, 32, 32},
      {"Toilet", C.Toilet, 1, 32, 32},    {"Barrel", C.Barrel, 1, 32, 32},
      {"Girya", C.Girya, 1, 32, 32},      {"Cargo", C.Cargo, 1, 32, 32},
      {"Papers", C.Papers, 1, 32, 32},    {"Wall", C.Wall, 1, 32, 32},
      {"Ligthing", C.Ligthing, 4, 32, 32}, {"Smoke", C.Smoke, 5, 32, 32},
      {"Boom", C.Boom, 9, 32, 32},        {"BG", C.BG, 1, 640, 480},
      {"Robot", C.Robot, 1, 32, 64},      {"RobotWalkLeft", C.RobotWalkLeft, 3, 32, 64},
      {"RobotWalkRight", C.RobotWalkRight, 3, 32, 64}, {"RobotJumpLeft", C.RobotJumpLeft, 2, 32, 64},
      {"RobotJumpRight", C.RobotJumpRight, 2, 32, 64}, {"HelpScreen", C.HelpScreen, 1, 640, 480},
      {"InitScreen", C.InitScreen, 1, 640, 480},       {"AboutScreen", C.AboutScreen, 1, 640, 480},
      {"WinScreen", C.WinScreen, 1, 640, 480},         {"LooseScreen", C.LooseScreen, 1, 640, 480},
  };
  for (const TCase& Case : Cases) {
    EXPECT_EQ(Case.Set.SpritesCount(), Case.Frames) << Case.Name;
    for (std::uint32_t F = 1; F <= Case.Set.SpritesCount(); ++F) {
      const TPngImage* Frame = Case.Set.Sprite(F);
      ASSERT_NE(Frame, nullptr) << Case.Name << " frame " << F;
      EXPECT_EQ(Frame->Width(), Case.Width) << Case.Name << " frame " << F;
      EXPECT_EQ(Frame->Height(), Case.Height) << Case.Name << " frame " << F;
      EXPECT_GT(MeanAlpha(*Frame), 0.02) << Case.Name << " frame " << F << " is blank";
    }
  }
}

TEST_F(DataFilesTest, TheTwoCheckedScreensHaveExactlyTheExpectedSizes) {
  for (const TCheckedFile& File : CheckedDataFiles)
    EXPECT_EQ(std::filesystem::file_size(SpritesDir + File.Name), File.Bytes) << File.Name;
}

TEST_F(DataFilesTest, TheSpritesFolderHoldsEveryPictureAndNothingElse) {
  std::set<std::string> Found;
  for (const auto& Entry : std::filesystem::recursive_directory_iterator(SpritesDir))
    if (Entry.is_regular_file())
      Found.insert(std::filesystem::relative(Entry.path(), SpritesDir).generic_string());
  const std::set<std::string> Expected(AllSpriteFiles().begin(), AllSpriteFiles().end());
  EXPECT_EQ(Found, Expected);
  EXPECT_EQ(Found.size(), 49u);
}

TEST_F(DataFilesTest, PicturesThatCoverTheYardAreOpaque) {
  // Each frame starts by drawing the background without clearing, and the
  // screens replace the whole picture: a see-through pixel would show the
  // frame before. The rock of the walls hides the background behind it.
  const TSpritesContainer& C = *Sprites;
  for (const TFigureSprites* Set : {&C.BG, &C.InitScreen, &C.HelpScreen, &C.AboutScreen, &C.WinScreen,
                                    &C.LooseScreen, &C.Land})
    EXPECT_TRUE(FullyOpaque(*Set->Sprite(1)));
  for (std::uint32_t F = 1; F <= 4; ++F)
    EXPECT_TRUE(FullyOpaque(*C.Ligthing.Sprite(F))) << "lightning frame " << F;
}

TEST_F(DataFilesTest, ObjectsAreCutOutAndFillMostOfTheirCell) {
  const TSpritesContainer& C = *Sprites;
  const std::pair<const char*, const TFigureSprites*> Objects[] = {
      {"Tool", &C.Tool},     {"Wheel", &C.Wheel},   {"SmashedCar", &C.SmashedCar}, {"Bottles", &C.Bottles},
      {"Metal", &C.Metal},   {"Metal2", &C.Metal2}, {"Brick", &C.Brick},           {"Toilet", &C.Toilet},
      {"Barrel", &C.Barrel}, {"Girya", &C.Girya},   {"Cargo", &C.Cargo},           {"Papers", &C.Papers},
      {"Wall", &C.Wall}};
  for (const auto& [Name, Set] : Objects) {
    const double Covered = Coverage(*Set->Sprite(1));
    EXPECT_LT(Covered, 0.97) << Name << " is a solid square";
    EXPECT_GT(Covered, 0.25) << Name << " is too small to see";
  }
  const double Robot = Coverage(*C.Robot.Sprite(1));
  EXPECT_GT(Robot, 0.3);
  EXPECT_LT(Robot, 0.9);
}

TEST_F(DataFilesTest, AnimationsMoveAndTheOneShotEffectsFadeOut) {
  const TSpritesContainer& C = *Sprites;
  // Smoke spreads and thins out frame by frame: its densest part gets fainter.
  for (std::uint32_t F = 1; F < 5; ++F)
    EXPECT_GT(MaxAlpha(*C.Smoke.Sprite(F)), MaxAlpha(*C.Smoke.Sprite(F + 1)) + 20) << "smoke frame " << F;
  // The blast grows from a small flash, then dies away.
  EXPECT_LT(Coverage(*C.Boom.Sprite(1)), Coverage(*C.Boom.Sprite(4)) / 2);
  EXPECT_LT(MeanAlpha(*C.Boom.Sprite(9)), MeanAlpha(*C.Boom.Sprite(5)) / 2);
  // Every lightning frame differs from the next, round the loop.
  for (std::uint32_t F = 1; F <= 4; ++F)
    EXPECT_FALSE(SamePixels(*C.Ligthing.Sprite(F), *C.Ligthing.Sprite(F % 4 + 1))) << "lightning frame " << F;
  for (std::uint32_t F = 1; F < 3; ++F)
    EXPECT_FALSE(SamePixels(*C.RobotWalkLeft.Sprite(F), *C.RobotWalkLeft.Sprite(F + 1)));
}

namespace {
// Every sound the game loads, from the game's own table.
const std::vector<std::string> SoundFiles = [] {
  std::vector<std::string> Files;
  for (const TCueSound& Sound : CueSounds)
    Files.emplace_back(Sound.File);
  return Files;
}();
} // namespace

TEST(SoundFiles, EverySoundIsShortCleanAndAsLoudAsTheOthers) {
  for (const std::string& Name : SoundFiles) {
    const TWavLevels L = ReadWavLevels(SoundsDir + Name);
    ASSERT_TRUE(L.Loaded) << Name << ": " << L.Error;
    EXPECT_EQ(L.Format, AUDIO_S16LSB) << Name;
    EXPECT_EQ(L.Channels, 1) << Name;
    EXPECT_EQ(L.Frequency, 44100) << Name;
    EXPECT_GE(L.Seconds, 0.08) << Name;
    EXPECT_LE(L.Seconds, 1.2) << Name;
    // No click: the sound starts and ends at rest.
    EXPECT_LT(std::abs(L.FirstSample), 0.005) << Name;
    EXPECT_LT(std::abs(L.LastSample), 0.005) << Name;
    // Audible, within a few decibels of each other, and with room for a few
    // sounds at once before the mix clips.
    EXPECT_GT(L.Peak, 0.15) << Name;
    EXPECT_LE(L.Peak, 0.51) << Name;
    EXPECT_GT(L.LoudRms, 0.075) << Name;
    EXPECT_LT(L.LoudRms, 0.15) << Name;
  }
}

TEST(SoundFiles, TheSoundsFolderHoldsTheNineSoundsAndNothingElse) {
  std::set<std::string> Found;
  for (const auto& Entry : std::filesystem::directory_iterator(SoundsDir))
    Found.insert(Entry.path().filename().string());
  EXPECT_EQ(Found, std::set<std::string>(SoundFiles.begin(), SoundFiles.end()));
}

namespace {
// The files decoded once for the tests of how they sound together.
class SoundBalance : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Sounds = new std::map<std::string, TWavLevels>;
    for (const std::string& Name : SoundFiles)
      (*Sounds)[Name] = ReadWavLevels(SoundsDir + Name);
  }
  static void TearDownTestSuite() {
    delete Sounds;
    Sounds = nullptr;
  }
  static const std::vector<double>& Samples(const std::string& Name) {
    const TWavLevels& L = Sounds->at(Name);
    EXPECT_TRUE(L.Loaded && !L.Samples.empty()) << Name << ": " << L.Error;
    return L.Samples;
  }
  static TSpectrum Spectrum(const std::string& Name) { return SpectrumOf(Samples(Name), 44100); }
  // The loudest 50 ms as the ear weighs them, in dB below full scale.
  static double LoudestToTheEar(const std::string& Name) {
    return 20 * std::log10(LoudestRms(AWeighted(Samples(Name), 44100), 44100, 0.05));
  }
  static std::map<std::string, TWavLevels>* Sounds;
};
std::map<std::string, TWavLevels>* SoundBalance::Sounds = nullptr;
} // namespace

TEST_F(SoundBalance, TheBlastIsNoDullThumpButAtLeastAsLoudAsPickingUpTheTool) {
  EXPECT_GE(LoudestToTheEar("boom01.wav"), LoudestToTheEar("pick01.wav"));
  // Laptop speakers give little below 200 Hz: most of the blast must lie above.
  const TSpectrum Boom = Spectrum("boom01.wav");
  EXPECT_GT(Boom.Energy(200, 22050), 0.5 * Boom.Total());
}

TEST_F(SoundBalance, AFootstepIsABrightClickApartFromTheLanding) {
  const TSpectrum Step = Spectrum("step01.wav");
  const TSpectrum Placed = Spectrum("placed01.wav");
  EXPECT_LE(Step.Energy(0, 250), Step.Total() / 3);
  EXPECT_GE(Step.CentroidHz(), 2 * Placed.CentroidHz());
}

TEST_F(SoundBalance, CuesThatComeInGroupsLeaveRoomForThreeAtOnce) {
  // Several things land in one tick and a chain of barrels goes off in one:
  // up to three playbacks of one sound start together, in step, and add up.
  for (const char* Name : {"placed01.wav", "boom01.wav"}) {
    double Peak = 0;
    for (double V : Samples(Name))
      Peak = std::max(Peak, std::abs(V));
    EXPECT_LT(3 * Peak, 1.0) << Name;
  }
}

TEST_F(SoundBalance, NoTwoCuesShareOneColourAndTheFrequentOnesStandWellApart) {
  // Steps and landings come several a second, fart and blast on top of them:
  // each must be told from the other three by its colour alone.
  const std::set<std::string> Frequent = {"step01.wav", "placed01.wav", "fart01.wav", "boom01.wav"};
  std::map<std::string, TSpectrum> Spectra;
  for (const std::string& Name : SoundFiles)
    Spectra[Name] = Spectrum(Name);
  for (auto A = Spectra.begin(); A != Spectra.end(); ++A) {
    for (auto B = std::next(A); B != Spectra.end(); ++B) {
      const double Similarity = SpectralSimilarity(A->second, B->second);
      const bool BothFrequent = Frequent.count(A->first) && Frequent.count(B->first);
      EXPECT_LT(Similarity, BothFrequent ? 0.6 : 0.9) << A->first << " and " << B->first;
    }
  }
}
