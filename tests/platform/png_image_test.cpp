#include <gtest/gtest.h>

#include "platform/png_image.h"
#include "support/ordinary_user.h"
#include "support/test_pictures.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>


namespace {
const std::string Corpus = std::string(CLANKORA_FUZZ_CORPUS) + "/png/";

// The most memory the process has ever reserved, in bytes. An allocation the
// decoder makes counts here even when it never touches the pages.
std::int64_t PeakMemory() {
  std::ifstream Status("/proc/self/status");
  for (std::string Line; std::getline(Status, Line);)
    if (Line.rfind("VmPeak:", 0) == 0)
      return std::stoll(Line.substr(7)) * 1024;
  return -1;
}

struct TLoadResult {
  std::int64_t PeakGrowth = -1; // bytes
  std::string Error;            // the refusal's message, empty when the picture loaded
};

// Loads the file in a child process, whose peak starts afresh at its birth, so
// that no earlier case hides what this one took.
TLoadResult LoadMeasured(const std::string& Path) {
  const std::optional<std::string> Report = InChildProcess([&Path] {
    const std::int64_t Before = PeakMemory();
    std::string Error;
    try {
      TPngImage Image;
      Image.LoadFromFile(Path);
    } catch (const EImageLoadError& E) {
      Error = E.what();
    }
    return std::to_string(PeakMemory() - Before) + "\n" + Error;
  });
  const auto Eol = Report ? Report->find('\n') : std::string::npos;
  if (Eol == std::string::npos)
    return {};
  return {std::stoll(Report->substr(0, Eol)), Report->substr(Eol + 1)};
}
} // namespace

TEST(PngImage, DecodesSizeColourAndAlpha) {
  TTempDir Dir;
  const std::string Path = Dir.Path() + "/half.png";
  WriteSolidPng(Path, 32, 64, {200, 100, 50, 128});
  TPngImage Image;
  EXPECT_TRUE(Image.Empty());
  Image.LoadFromFile(Path);
  EXPECT_FALSE(Image.Empty());
  EXPECT_EQ(Image.Width(), 32u);
  EXPECT_EQ(Image.Height(), 64u);
  const TRgba P = Image.PixelAt(5, 40);
  EXPECT_EQ(P.A, 128);
  // Kept premultiplied inside, so the colour comes back within rounding.
  EXPECT_NEAR(P.R, 200, 2);
  EXPECT_NEAR(P.G, 100, 2);
  EXPECT_NEAR(P.B, 50, 2);
}

TEST(PngImage, AMissingFileNamesTheFileAndTheReason) {
  TPngImage Image;
  try {
    Image.LoadFromFile("/nonexistent/folder/rock.png");
    FAIL() << "a missing file loaded";
  } catch (const EImageLoadError& Error) {
    const std::string Message = Error.what();
    EXPECT_NE(Message.find("/nonexistent/folder/rock.png"), std::string::npos) << Message;
    EXPECT_NE(Message.find("No such file or directory"), std::string::npos) << Message;
  }
  EXPECT_TRUE(Image.Empty());
}

TEST(PngImage, DamagedFilesAreRefusedWithTheirName) {
  TTempDir Dir;
  const std::string Good = Dir.Path() + "/good.png";
  WriteSolidPng(Good, 16, 16, {1, 2, 3, 255});
  std::string Bytes;
  {
    std::ifstream In(Good, std::ios::binary);
    Bytes.assign(std::istreambuf_iterator<char>(In), {});
  }
  const std::string Cases[] = {
      "not a picture at all",
      Bytes.substr(0, Bytes.size() / 2), // cut short
      Bytes.substr(0, 8),                // the signature alone
  };
  for (const std::string& Content : Cases) {
    const std::string Path = Dir.Path() + "/bad.png";
    std::ofstream(Path, std::ios::binary | std::ios::trunc) << Content;
    TPngImage Image;
    try {
      Image.LoadFromFile(Path);
      ADD_FAILURE() << "a damaged file of " << Content.size() << " bytes loaded";
    } catch (const EImageLoadError& Error) {
      EXPECT_NE(std::string(Error.what()).find(Path), std::string::npos) << Error.what();
    }
  }
}

TEST(PngImage, AHostileFileTakesNoMoreThanAFewMegabytes) {
  struct TCase {
    const char* File;
    bool Valid; // a picture the game could show; the others are refused with their name
  };
  const TCase Cases[] = {
      {"ztxt-claims-1400mb.png", false},
      {"claims-8000x8000.png", false},
      {"idat-claims-too-much.png", false},
      {"ztxt-inflates-to-64mb.png", true}, // a 1 x 1 picture with a note that the game never reads
  };
  for (const TCase& C : Cases) {
    const TLoadResult Result = LoadMeasured(Corpus + C.File);
    EXPECT_EQ(Result.Error.empty(), C.Valid) << C.File << ": " << Result.Error;
    if (!C.Valid) {
      EXPECT_NE(Result.Error.find(C.File), std::string::npos) << Result.Error;
    }
    EXPECT_GE(Result.PeakGrowth, 0) << C.File;
    EXPECT_LT(Result.PeakGrowth, 16 << 20) << C.File;
  }
}

TEST(PngImage, EveryFormOfPngIsDecodedToItsColours) {
  struct TCase {
    const char* File;
    std::uint32_t Width, Height, X, Y;
    TRgba Pixel;
  };
  const TCase Cases[] = {
      {"rgba-4x3.png", 4, 3, 3, 2, {180, 160, 200, 105}},
      {"rgb-3x2.png", 3, 2, 1, 1, {0, 255, 0, 255}},
      {"palette-trns-2x2.png", 2, 2, 0, 0, {255, 255, 0, 128}},
      {"palette-trns-2x2.png", 2, 2, 1, 0, {0, 0, 255, 255}},
      {"grey1-8x1.png", 8, 1, 1, 0, {0, 0, 0, 255}},
      {"grey1-8x1.png", 8, 1, 2, 0, {255, 255, 255, 255}},
      {"rgba16-1x1.png", 1, 1, 0, 0, {0x12, 0x56, 0x9a, 255}},
      {"interlaced-3x3.png", 3, 3, 2, 1, {0xf1, 0xf1, 0xf1, 255}},
      {"text-chunks-2x1.png", 2, 1, 1, 0, {4, 5, 6, 255}},
  };
  for (const TCase& C : Cases) {
    TPngImage Image;
    Image.LoadFromFile(Corpus + C.File);
    EXPECT_EQ(Image.Width(), C.Width) << C.File;
    EXPECT_EQ(Image.Height(), C.Height) << C.File;
    const TRgba P = Image.PixelAt(C.X, C.Y);
    EXPECT_EQ(P.A, C.Pixel.A) << C.File;
    // Kept premultiplied inside when it has transparency, so within rounding.
    EXPECT_NEAR(P.R, C.Pixel.R, 2) << C.File;
    EXPECT_NEAR(P.G, C.Pixel.G, 2) << C.File;
    EXPECT_NEAR(P.B, C.Pixel.B, 2) << C.File;
  }
}

