#pragma once

#include <cstdint>
#include <string>

class TGame;

// A fingerprint of the yard: every cell's contents, frame and timers, and the robot.
std::uint64_t YardHash(const TGame& Game);

// One line that tells how a game ended, the same for the recording run and
// its replay: "won", "lost" or "quit", the ticks, lives and level, the yard's fingerprint.
std::string OutcomeLine(const TGame& Game);
