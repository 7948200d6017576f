// The main loop's work on a busy yard against a plain copy of one 640 x 480
// frame: a whole Render, a whole redraw from the kept layers, an ordinary
// frame that changes a few cells, and one tick with every timer due or none.
// Run: build/.../render_bench   (each ratio is reported as a counter)

#include <benchmark/benchmark.h>

#include "engine/game.h"
#include "platform/files.h"
#include "platform/tick.h"
#include "support/test_game.h"
#include "support/test_pictures.h"
#include "support/yard.h"


#include <array>
#include <chrono>
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

// Times Work and one frame copy in turn, so the ratio compares like with like
// on this machine; Prepare runs before each Work and is not counted.
template <class TPrepare, class TWork>
void RatioToCopy(benchmark::State& State, TPrepare Prepare, TWork Work) {
  std::vector<std::uint32_t> From(640 * 480, 0x11223344), To(640 * 480);
  double WorkNs = 0, CopyNs = 0;
  for (auto _ : State) {
    Prepare();
    const auto T0 = std::chrono::steady_clock::now();
    Work();
    const auto T1 = std::chrono::steady_clock::now();
    std::memcpy(To.data(), From.data(), From.size() * sizeof(std::uint32_t));
    benchmark::DoNotOptimize(To.data());
    benchmark::ClobberMemory();
    const auto T2 = std::chrono::steady_clock::now();
    WorkNs += std::chrono::duration<double, std::nano>(T1 - T0).count();
    CopyNs += std::chrono::duration<double, std::nano>(T2 - T1).count();
  }
  const auto Iterations = static_cast<double>(State.iterations());
  State.counters["work_us"] = WorkNs / 1000.0 / Iterations;
  State.counters["copy_us"] = CopyNs / 1000.0 / Iterations;
  State.counters["ratio"] = CopyNs > 0 ? WorkNs / CopyNs : 0;
}

// The whole yard drawn again from the kept layers, as after a pause or a new game.
void BM_FullRedrawToCopyRatio(benchmark::State& State) {
  auto Game = BusyGame();
  Game->RenderChanges();
  RatioToCopy(
      State, [&Game] { Game->Scr->Fill(0); }, // drawn on by other means: the next frame is drawn whole
      [&Game] {
        Game->RenderChanges();
        Game->Scr->PixelAt(0, 0); // finishes the painting
      });
}

// An ordinary frame: the robot steps and four effects show their next frame.
void BM_ChangedFrameToCopyRatio(benchmark::State& State) {
  auto Game = BusyGame();
  Game->GameGrid->Cells(10, 5).State = 0;
  Game->GameGrid->Cells(11, 5).State = 0;
  PlaceRobot(*Game, 10, 4);
  Game->RenderChanges();
  const std::array<std::pair<std::uint32_t, std::uint32_t>, 4> Effects{{{4, 7}, {9, 9}, {13, 11}, {17, 13}}};
  std::uint32_t Step = 0;
  RatioToCopy(
      State,
      [&] {
        PlaceRobot(*Game, 10 + Step % 2, 4);
        for (const auto& [X, Y] : Effects) {
          TGGCell& C = Game->GameGrid->Cells(X, Y);
          C.SpritesSet = &Game->SpritesContainer->Boom;
          C.SpriteIndex = 1 + Step % C.SpritesSet->SpritesCount();
        }
        ++Step;
      },
      [&Game] {
        benchmark::DoNotOptimize(Game->RenderChanges().size());
        Game->Scr->PixelAt(0, 0);
      });
}

// One tick of the busy yard, restored before each, with every timer due
// (the clock far on) or none (the same millisecond again).
void TickToCopyRatio(benchmark::State& State, std::uint32_t StepMs) {
  TManualClock Clock(100000);
  auto Game = BusyGame();
  Game->AITurn();
  Game->AITurn(); // settled in its millisecond
  std::vector<TGGCell> Saved;
  for (std::uint32_t Y = 1; Y <= YardRows; ++Y)
    for (std::uint32_t X = 1; X <= YardCols; ++X)
      Saved.push_back(Game->GameGrid->Cells(X, Y));
  const TTruck Truck = *Game->Truck;
  const std::uint32_t Jump = Game->Robot->LastJumpTime, Lives = Game->Lives;
  RatioToCopy(
      State,
      [&] {
        auto Cell = Saved.begin();
        for (std::uint32_t Y = 1; Y <= YardRows; ++Y)
          for (std::uint32_t X = 1; X <= YardCols; ++X)
            Game->GameGrid->Cells(X, Y) = *Cell++;
        *Game->Truck = Truck;
        Game->Robot->LastJumpTime = Jump;
        Game->Lives = Lives;
        Game->Stopped = false;
        Clock.Advance(StepMs);
      },
      [&Game] { Game->AITurn(); });
}

void BM_TickAllDueToCopyRatio(benchmark::State& State) { TickToCopyRatio(State, 10000); }
void BM_TickNoneDueToCopyRatio(benchmark::State& State) { TickToCopyRatio(State, 0); }

// A whole Render of the busy yard, as every pass drew before only changes were drawn.
void BM_RenderToCopyRatio(benchmark::State& State) {
  auto Game = BusyGame();
  RatioToCopy(
      State, [] {},
      [&Game] {
        Game->Render();
        Game->Scr->PixelAt(0, 0); // finishes the painting
      });
}
} // namespace

BENCHMARK(BM_RenderBusyYard)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyOneFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderToCopyRatio)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRedrawToCopyRatio)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChangedFrameToCopyRatio)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickAllDueToCopyRatio)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickNoneDueToCopyRatio)->Unit(benchmark::kMicrosecond);
