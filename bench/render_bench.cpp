// One full frame of a busy yard against a plain copy of one 640 x 480 frame.
// Run: build/.../render_bench   (the ratio is reported as a counter)

#include <benchmark/benchmark.h>

#include "engine/game.h"
#include "platform/files.h"
#include "support/test_pictures.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {
std::string SpritesDir() {
  const std::string Shipped = std::string(CLANKORA_SOURCE_DIR) + "/data/sprites/";
  if (FileExists(Shipped + "rock.png"))
    return Shipped;
  static TTempDir Dir;
  WriteSpritesFixture(Dir.Path() + "/sprites/");
  return Dir.Path() + "/sprites/";
}

// Every cell of rows 6 to 14 between the walls filled, smoke and blasts playing.
std::unique_ptr<TGame> BusyGame() {
  auto Game = std::make_unique<TGame>(SpritesDir());
  Game->Init(5);
  TSpritesContainer& S = *Game->SpritesContainer;
  const TFigureSprites* Kinds[] = {&S.Brick, &S.Wheel, &S.Cargo, &S.Barrel, &S.Toilet, &S.Papers,
                                   &S.Metal, &S.SmashedCar, &S.Smoke, &S.Boom, &S.Girya, &S.Wall};
  std::uint32_t N = 0;
  for (std::uint32_t Y = 6; Y <= 14; ++Y) {
    for (std::uint32_t X = 3; X <= 18; ++X, ++N) {
      TGGCell& C = Game->GameGrid->Cells(X, Y);
      C.State |= csSolid;
      C.SpritesSet = Kinds[N % std::size(Kinds)];
      C.SpriteIndex = 1 + N % C.SpritesSet->SpritesCount();
    }
  }
  return Game;
}

void BM_RenderBusyYard(benchmark::State& State) {
  auto Game = BusyGame();
  for (auto _ : State) {
    Game->Render();
    benchmark::ClobberMemory();
  }
}

void BM_CopyOneFrame(benchmark::State& State) {
  std::vector<std::uint32_t> From(640 * 480, 0x11223344), To(640 * 480);
  for (auto _ : State) {
    std::memcpy(To.data(), From.data(), From.size() * sizeof(std::uint32_t));
    benchmark::DoNotOptimize(To.data());
    benchmark::ClobberMemory();
  }
}

// Both in one run, so the ratio compares like with like on this machine.
void BM_RenderToCopyRatio(benchmark::State& State) {
  auto Game = BusyGame();
  std::vector<std::uint32_t> From(640 * 480, 0x11223344), To(640 * 480);
  double RenderNs = 0, CopyNs = 0;
  for (auto _ : State) {
    auto T0 = std::chrono::steady_clock::now();
    Game->Render();
    Game->Scr->PixelAt(0, 0); // finishes the painting
    auto T1 = std::chrono::steady_clock::now();
    std::memcpy(To.data(), From.data(), From.size() * sizeof(std::uint32_t));
    benchmark::DoNotOptimize(To.data());
    auto T2 = std::chrono::steady_clock::now();
    RenderNs += std::chrono::duration<double, std::nano>(T1 - T0).count();
    CopyNs += std::chrono::duration<double, std::nano>(T2 - T1).count();
  }
  State.counters["render_us"] = RenderNs / 1000.0 / static_cast<double>(State.iterations());
  State.counters["copy_us"] = CopyNs / 1000.0 / static_cast<double>(State.iterations());
  State.counters["ratio"] = CopyNs > 0 ? RenderNs / CopyNs : 0;
}
} // namespace

BENCHMARK(BM_RenderBusyYard)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyOneFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderToCopyRatio)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication App(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
