#pragma once

#include "engine/game.h"

// Reaches the game's private rules so that tests can drive them one by one.
struct TGameProbe {
  static void CopyCell(TGame& G, TGGCell& Source, TGGCell& Target) { G.CopyCell(Source, Target); }
  static void ClearCell(TGame& G, TGGCell& Cell) { G.ClearCell(Cell); }
  static void BlastCell(TGame& G, std::int32_t X, std::int32_t Y) { G.BlastCell(X, Y); }
  static void ExplodeBomb(TGame& G, std::int32_t X, std::int32_t Y) { G.ExplodeBomb(X, Y); }
  static std::uint32_t FindColumnTop(const TGame& G, std::uint32_t X) { return G.FindColumnTop(X); }
  static void GenerateTrashItem(TGame& G, TGGCell& Cell) { G.GenerateTrashItem(Cell); }
  static void DropTrashSmart(TGame& G, std::uint32_t Luck) { G.DropTrashSmart(Luck); }
  static void DropTrashRandom(TGame& G) { G.DropTrashRandom(); }
  static void DropTrash(TGame& G) { G.DropTrash(); }
};
