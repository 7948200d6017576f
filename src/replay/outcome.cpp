#include "replay/outcome.h"

#include "engine/game.h"

#include <cstdio>

namespace {
class TFnv {
public:
  void Add(std::uint64_t V) {
    for (int I = 0; I < 8; ++I) {
      Hash ^= (V >> (I * 8)) & 0xFF;
      Hash *= 0x100000001B3ull;
    }
  }
  std::uint64_t Hash = 0xCBF29CE484222325ull;
};
} // namespace

std::uint64_t YardHash(const TGame& Game) {
  TFnv H;
  const TGameGrid& G = *Game.GameGrid;
  for (std::uint32_t Y = 1; Y <= G.RowsCount; ++Y) {
    for (std::uint32_t X = 1; X <= G.ColsCount; ++X) {
      const TGGCell& C = G.Cells(X, Y);
      H.Add(C.State);
      H.Add(C.SpritesSet != nullptr ? C.SpriteIndex : 0);
      H.Add(C.PreviousProcessedTime);
      H.Add(C.PreviousSpriteTime);
      H.Add(C.TicksToProcess);
      H.Add(C.TicksToSprite);
      H.Add(static_cast<std::uint64_t>(C.EmptyAfterSprites) | C.Holded << 1 | C.PastedByRobot << 2 |
            C.PlacedSounded << 3);
    }
  }
  H.Add(Game.Robot->X);
  H.Add(Game.Robot->Y);
  H.Add(Game.Robot->BombCount);
  H.Add(Game.Robot->Luck);
  H.Add(Game.Truck->PreviousPartTime);
  return H.Hash;
}

std::string OutcomeLine(const TGame& Game) {
  const bool Won = Game.Stopped && Game.Lives == TGame::WonLives;
  const char* How = Won ? "won" : Game.Stopped ? "lost" : "quit";
  // A won game's Lives only marks the win: the robot escaped with LivesAtEscape.
  const std::uint32_t Lives = Won ? Game.LivesAtEscape : Game.Lives;
  char Line[160];
  std::snprintf(Line, sizeof Line, "%s, %u ticks, %u lives, level %u, yard %016llx", How, Game.TickCount, Lives,
                Game.HardnessLevel, static_cast<unsigned long long>(YardHash(Game)));
  return Line;
}
