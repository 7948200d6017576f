// Every width of the sprite blender this processor runs gives exactly the
// pixels Qt's painter gives, on the game's own cells.
#include "platform/png_image.h"
#include "platform/png_image_impl.h"
#include "platform/sprite_blend.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {
constexpr int Size = 32;
const TBlendWidth Widths[] = {TBlendWidth::Plain, TBlendWidth::Sse2, TBlendWidth::Avx2, TBlendWidth::Avx512};

class SpriteBlendTest : public testing::TestWithParam<TBlendWidth> {
protected:
  void SetUp() override {
    if (!BlendWidthAvailable(GetParam()))
      GTEST_SKIP() << "this processor lacks the width";
    for (const auto& Entry :
         std::filesystem::recursive_directory_iterator(std::string(CLANKORA_SOURCE_DIR) + "/data/sprites")) {
      if (Entry.path().extension() != ".png")
        continue;
      TPngImage Png;
      Png.LoadFromFile(Entry.path().string());
      if (Png.Width() == Size && Png.Height() == Size)
        Cells.push_back(Png.Impl().Image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    ASSERT_GT(Cells.size(), 30u) << "the game's pictures were not found";
    // Every level in every channel somewhere below, and a row width that is
    // no whole number of vectors.
    Below = QImage(Size * 10 + 5, Size * 8, QImage::Format_ARGB32_Premultiplied);
    for (int Y = 0; Y < Below.height(); ++Y)
      for (int X = 0; X < Below.width(); ++X)
        Below.setPixel(X, Y, qRgb(Y % 256, 255 - X % 256, (X * 3 + Y) % 256));
  }

  static std::size_t Line(const QImage& Image) { return static_cast<std::size_t>(Image.bytesPerLine()) / 4; }
  static const std::uint32_t* Pixels(const QImage& Image, int X = 0, int Y = 0) {
    return reinterpret_cast<const std::uint32_t*>(Image.constScanLine(Y)) + X;
  }
  static std::uint32_t* Pixels(QImage& Image, int X, int Y) {
    return reinterpret_cast<std::uint32_t*>(Image.scanLine(Y)) + X;
  }

  std::vector<QImage> Cells;
  QImage Below;
};

// Each cell over the picture, some of it cut at the right and at the bottom.
TEST_P(SpriteBlendTest, BlendsEachCellAsThePainterDoes) {
  QImage Blended = Below.copy(), Painted = Below.copy();
  QPainter P(&Painted);
  for (std::size_t N = 0; N < Cells.size(); ++N) {
    const int X = static_cast<int>(N % 11) * 29, Y = static_cast<int>(N / 11) * 31;
    const int W = std::min(Size, Below.width() - X), H = std::min(Size, Below.height() - Y);
    if (W <= 0 || H <= 0)
      continue;
    BlendBlock({Pixels(Blended, X, Y), Line(Blended)}, {Pixels(Cells[N]), Line(Cells[N])}, W, H, GetParam());
    P.drawImage(QPoint(X, Y), Cells[N], QRect(0, 0, W, H));
  }
  P.end();
  EXPECT_TRUE(Blended == Painted);
}

// A band of runs: stretches of the picture below copied, cells blended over
// it, in one sweep; the same as copying the band and painting the cells.
TEST_P(SpriteBlendTest, SweepsABandAsCopyingAndPaintingWould) {
  for (const int Gap : {0, 7, 64}) {
    QImage Swept(Below.size(), QImage::Format_ARGB32_Premultiplied), Painted = Below.copy();
    Swept.fill(Qt::black);
    std::vector<TBlendRun> Runs;
    std::size_t Next = 0;
    QPainter P(&Painted);
    for (int X = 0; X + Gap + Size <= Below.width(); X += Gap + Size) {
      if (Gap > 0)
        Runs.push_back({X, Gap, Pixels(Below, X, Size), Line(Below), false});
      const QImage& Cell = Cells[Next++ % Cells.size()];
      Runs.push_back({X + Gap, Size, Pixels(Cell), Line(Cell), true});
      P.drawImage(QPoint(X + Gap, Size), Cell);
    }
    P.end();
    const int Used = Runs.back().X + Runs.back().Width;
    ComposeRows({Pixels(Swept, 0, Size), Line(Swept)}, {Pixels(Below, 0, Size), Line(Below)}, Runs.data(),
                Runs.size(), Size, GetParam());
    EXPECT_TRUE(Swept.copy(0, Size, Used, Size) == Painted.copy(0, Size, Used, Size)) << "gap " << Gap;
    EXPECT_EQ(Swept.pixel(0, 0), qRgb(0, 0, 0)) << "a row above the band was written";
    EXPECT_EQ(Swept.pixel(0, 2 * Size), qRgb(0, 0, 0)) << "a row below the band was written";
  }
}

std::string WidthName(const testing::TestParamInfo<TBlendWidth>& Param) {
  constexpr const char* Names[] = {"Plain", "Sse2", "Avx2", "Avx512"};
  return Names[static_cast<int>(Param.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryWidth, SpriteBlendTest, testing::ValuesIn(Widths), WidthName);
} // namespace
