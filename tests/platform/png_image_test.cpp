#include <gtest/gtest.h>

#include "platform/png_image.h"
#include "support/test_pictures.h"

#include <fstream>

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
