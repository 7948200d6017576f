// The sprite blender in each width on the game's own cells: a whole 640 x 480
// picture swept band by band, as the drawing cache redraws the yard (sparse:
// a cell blended after every 64 pixels of the picture below; busy: every
// cell blended), and 300 cells blended one by one, as Render draws them. The
// first argument is the width: 0 plain, 1 sse2, 2 avx2, 3 avx512 (see
// platform/sprite_blend.h).
// Run: build/.../blend_bench

#include <benchmark/benchmark.h>

#include "platform/png_image.h"
#include "platform/png_image_impl.h"
#include "platform/sprite_blend.h"


#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {
constexpr int PictureWidth = 640, PictureHeight = 480, Cell = 32;

// Every 32 x 32 picture the game ships, premultiplied, in a stable order.
const std::vector<QImage>& Cells() {
  static const std::vector<QImage> Images = [] {
    std::vector<std::string> Paths;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(CLANKORA_SOURCE_DIR "/data/sprites"))
      if (Entry.path().extension() == ".png")
        Paths.push_back(Entry.path().string());
    std::sort(Paths.begin(), Paths.end());
    std::vector<QImage> Found;
    for (const std::string& Path : Paths) {
      TPngImage Image;
      Image.LoadFromFile(Path);
      if (Image.Width() == Cell && Image.Height() == Cell)
        Found.push_back(Image.Impl().Image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    return Found;
  }();
  return Images;
}

// A picture with every level in every channel somewhere.
QImage Ramp() {
  QImage Image(PictureWidth, PictureHeight, QImage::Format_ARGB32_Premultiplied);
  for (int Y = 0; Y < PictureHeight; ++Y)
    for (int X = 0; X < PictureWidth; ++X)
      Image.setPixel(X, Y, qRgb(Y % 256, 255 - X % 256, (X + Y) % 256));
  return Image;
}

std::size_t LineOf(const QImage& Image) { return static_cast<std::size_t>(Image.bytesPerLine()) / 4; }
const std::uint32_t* PixelsOf(const QImage& Image) { return reinterpret_cast<const std::uint32_t*>(Image.constBits()); }

bool Runs(benchmark::State& State, TBlendWidth Width) {
  if (Cells().empty()) {
    State.SkipWithError("the game's pictures were not found");
    return false;
  }
  if (!BlendWidthAvailable(Width)) {
    State.SkipWithError("this processor lacks the width");
    return false;
  }
  return true;
}

void BM_ComposeBands(benchmark::State& State) {
  const auto Width = static_cast<TBlendWidth>(State.range(0));
  if (!Runs(State, Width))
    return;
  const QImage Under = Ramp();
  const bool Busy = State.range(1) != 0;
  QImage Picture = Ramp();
  // Each band: the picture below (none when busy), then a cell blended over it, by turns.
  const int Below = Busy ? 0 : 64;
  std::vector<TBlendRun> Band;
  for (int X = 0; X + Below + Cell <= PictureWidth; X += Below + Cell) {
    if (!Busy)
      Band.push_back({X, Below, PixelsOf(Under) + X, LineOf(Under), false});
    const QImage& Sprite = Cells()[Band.size() % Cells().size()];
    Band.push_back({X + Below, Cell, PixelsOf(Sprite), LineOf(Sprite), true});
  }
  for (auto _ : State) {
    for (int Y = 0; Y < PictureHeight; Y += Cell) {
      for (TBlendRun& Run : Band)
        if (!Run.Blend)
          Run.From = PixelsOf(Under) + static_cast<std::size_t>(Y) * LineOf(Under) + Run.X;
      auto* Row = reinterpret_cast<std::uint32_t*>(Picture.bits()) + static_cast<std::size_t>(Y) * LineOf(Picture);
      ComposeRows({Row, LineOf(Picture)}, {PixelsOf(Under) + static_cast<std::size_t>(Y) * LineOf(Under), LineOf(Under)},
                  Band.data(), Band.size(), Cell, Width);
    }
    benchmark::ClobberMemory();
  }
}

void BM_BlendCells(benchmark::State& State) {
  const auto Width = static_cast<TBlendWidth>(State.range(0));
  if (!Runs(State, Width))
    return;
  QImage Picture = Ramp();
  auto* Pixels = reinterpret_cast<std::uint32_t*>(Picture.bits());
  for (auto _ : State) {
    for (std::size_t N = 0; N < 300; ++N) {
      const QImage& Sprite = Cells()[N % Cells().size()];
      const std::size_t X = (N % 20) * Cell, Y = (N / 20) * Cell;
      BlendBlock({Pixels + Y * LineOf(Picture) + X, LineOf(Picture)}, {PixelsOf(Sprite), LineOf(Sprite)}, Cell, Cell,
                 Width);
    }
    benchmark::ClobberMemory();
  }
}
} // namespace

BENCHMARK(BM_ComposeBands)->ArgsProduct({{0, 1, 2, 3}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlendCells)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
