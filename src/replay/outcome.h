#pragma once

#include <cstdint>
#include <string>

class TGame;

// A fingerprint of the yard: every cell's contents, frame and timers, and the robot.
std::uint64_t YardHash(const TGame& Game);

// One line that tells how a game ended, the same for the recording run and
// its replay: "won", "lost" or "quit", the ticks, the lives (a won game's as
// the robot escaped), the level and the yard's fingerprint. Lines printed
// before a won game's told its lives said "65535 lives" for every win.
std::string OutcomeLine(const TGame& Game);
