#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TFrmMain;

// What replaying a recording inside the running game gave: the outcome line
// it ended with, or why it could not be followed to its end.
struct TProof {
  std::string Line;
  std::string Fault;
};

// Replays the recording as "--verify" does, in a window of its own that is
// never shown, while the player's window waits: its keys are held back and
// handed to it afterwards, and the random generator, the key bindings, the
// pads and the message boxes' owner are as they were. Nothing of the
// player's settings is read or written.
TProof ReplayWithoutWindow(TFrmMain& Main, const std::vector<std::uint8_t>& Recording);
