// The picture draws images with its own blending, which must give exactly the
// pixels Qt's painter gives, and copies and clips to whole rectangles.
#include "platform/picture.h"
#include "platform/picture_impl.h"
#include "platform/png_image.h"
#include "platform/png_image_impl.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {
// What Qt's painter makes of Image drawn at (X, Y) over the picture as it stands.
QImage PaintedByQt(TPicture& Picture, const QImage& Image, int X, int Y) {
  QImage Expected = Picture.Impl().Finished().copy();
  QPainter P(&Expected);
  P.drawImage(QPoint(X, Y), Image);
  return Expected;
}

TPngImage Load(const std::string& Path) {
  TPngImage Image;
  Image.LoadFromFile(Path);
  return Image;
}

// A background with every level in every channel somewhere.
void FillRamp(TPicture& Picture) {
  QImage& Image = Picture.Impl().Image;
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X)
      Image.setPixel(X, Y, qRgb(Y % 256, 255 - X % 256, (X + Y) % 256));
}
} // namespace

TEST(PictureTest, BlendsEveryAlphaOverEveryLevelAsQtDoes) {
  // Column: the alpha of the image's pixel; row: the level it lands on.
  QImage Image(256, 256, QImage::Format_ARGB32_Premultiplied);
  for (int Y = 0; Y < 256; ++Y)
    for (int X = 0; X < 256; ++X)
      Image.setPixel(X, Y, qRgba(Y * X / 255, (255 - Y) * X / 255, X / 2, X));
  TPicture Picture(256, 256);
  FillRamp(Picture);
  TPngImage Png;
  const_cast<TPngImage::TImpl&>(Png.Impl()).Image = Image;
  const QImage Expected = PaintedByQt(Picture, Image, 0, 0);
  Picture.Draw(0, 0, Png);
  EXPECT_TRUE(Picture.Impl().Finished() == Expected);
}

TEST(PictureTest, DrawsEveryPictureOfTheGameAsQtDoesAlsoPartlyOutside) {
  const std::string Dir = std::string(CLANKORA_SOURCE_DIR) + "/data/sprites";
  int Checked = 0;
  for (const auto& Entry : std::filesystem::recursive_directory_iterator(Dir)) {
    if (Entry.path().extension() != ".png")
      continue;
    const TPngImage Sprite = Load(Entry.path().string());
    for (const auto& [X, Y] : {std::pair{100, 37}, std::pair{-5, -9}, std::pair{620, 470}}) {
      TPicture Picture(640, 480);
      FillRamp(Picture);
      const QImage Expected = PaintedByQt(Picture, Sprite.Impl().Image, X, Y);
      Picture.Draw(X, Y, Sprite);
      ASSERT_TRUE(Picture.Impl().Finished() == Expected) << Entry.path() << " at " << X << ", " << Y;
    }
    ++Checked;
  }
  EXPECT_GT(Checked, 40) << "the game's pictures were not found in " << Dir;
}

TEST(PictureTest, ClipAndCopyKeepToTheirRectangle) {
  const TPngImage Sprite = Load(std::string(CLANKORA_SOURCE_DIR) + "/data/sprites/rock.png");
  TPicture Picture(64, 64), Other(64, 64);
  Picture.Fill(0x000000);
  Other.Fill(0xFFFFFF);
  Picture.SetClip({8, 8, 16, 16});
  Picture.Draw(0, 0, Sprite);
  Picture.ClearClip();
  Picture.CopyRect(Other, {40, 40, 8, 8});
  const std::uint32_t Rock = Sprite.PixelAt(10, 10).R | Sprite.PixelAt(10, 10).G << 8 |
                             static_cast<std::uint32_t>(Sprite.PixelAt(10, 10).B) << 16;
  EXPECT_EQ(Picture.PixelAt(10, 10), Rock);
  EXPECT_EQ(Picture.PixelAt(7, 10), 0u) << "left of the clip";
  EXPECT_EQ(Picture.PixelAt(24, 10), 0u) << "right of the clip";
  EXPECT_EQ(Picture.PixelAt(40, 47), 0xFFFFFFu);
  EXPECT_EQ(Picture.PixelAt(48, 47), 0u);
  EXPECT_EQ(Picture.PixelAt(40, 39), 0u);
}

// A band laid out part by part, in one sweep or (clipped, or with an image
// that does not fit the band) part after part, gives what copying each part
// and drawing its image on it gives; the rows outside the band stay.
TEST(PictureTest, ComposesABandAsCopyingAndDrawingEachPartWould) {
  const std::string Dir = std::string(CLANKORA_SOURCE_DIR) + "/data/sprites";
  std::vector<TPngImage> Cells;
  for (const auto& Entry : std::filesystem::recursive_directory_iterator(Dir))
    if (Entry.path().extension() == ".png")
      if (TPngImage Sprite = Load(Entry.path().string()); Sprite.Width() == 32 && Sprite.Height() == 32)
        Cells.push_back(std::move(Sprite));
  ASSERT_GT(Cells.size(), 30u) << "the game's pictures were not found in " << Dir;
  const TPngImage Tall = Load(Dir + "/robot/robot_front_stay.png");

  struct TCase {
    const char* Name;
    std::optional<TPictureRect> Clip;
    bool WithTall;
  };
  for (const TCase& Case : {TCase{"in one sweep", std::nullopt, false},
                            TCase{"clipped", TPictureRect{0, 0, 300, 480}, false},
                            TCase{"an image taller than the band", std::nullopt, true}}) {
    TPicture Under(640, 480), Swept(640, 480), Expected(640, 480);
    FillRamp(Under);
    Swept.Fill(0x336699);
    Expected.Fill(0x336699);
    if (Case.Clip) {
      Swept.SetClip(*Case.Clip);
      Expected.SetClip(*Case.Clip);
    }
    // Each band: a stretch of the picture below, then a cell, by turns.
    std::size_t Next = 0;
    for (std::int32_t Y = 32; Next < Cells.size(); Y += 64) {
      std::vector<TBandPart> Parts;
      for (std::int32_t X = 0; X + 96 <= 640 && Next < Cells.size(); X += 96)
        Parts.push_back({X, 64, nullptr}), Parts.push_back({X + 64, 32, &Cells[Next++]});
      if (Case.WithTall)
        Parts.back().Image = &Tall;
      Swept.ComposeBand(Y, 32, Parts, Under);
      for (const TBandPart& Part : Parts) {
        Expected.CopyRect(Under, {Part.X, Y, Part.W, 32});
        if (Part.Image != nullptr)
          Expected.Draw(Part.X, Y, *Part.Image);
      }
    }
    EXPECT_TRUE(Swept.SamePixels(Expected)) << Case.Name;
  }
}
