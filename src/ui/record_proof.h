#pragma once

#include "records/record_proofs.h"

#include <cstdint>
#include <string>
#include <vector>

class TFrmMain;
class TGame;

// The figures of a game that has ended, as a record claims them.
TReplayedFigures FiguresOf(const TGame& Game);

// What replaying a recording inside the running game gave: the outcome line
// it ended with, or why it could not be followed to its end.
struct TProof {
  std::string Line;
  std::string Fault;
};

// Replays a recording inside the running game, in a main window of its own,
// made as the program makes one for "--replay", while the player's window
// waits (the keys meant for it do nothing meanwhile). What it changes of the
// program's state is given back whole afterwards (TBorrowedState). Nothing of
// the player's settings is read or written, and the replay is silent.
//
// Hidden: as "--verify" does, never shown, as fast as it goes.
// Shown: as "--replay" does, in place of the player's window and at the
// recording's pace (Pause holds, F speeds up, Escape ends it).
enum class TReplayView { Hidden, Shown };
TProof ReplayInside(TFrmMain& Main, const std::vector<std::uint8_t>& Recording, TReplayView View);
