#pragma once

#include <cstdint>
#include <optional>

// Milliseconds from a steady clock, as an unsigned 32-bit count that wraps
// around after about 49.7 days. Every timer of the game compares differences
// of these readings, so the wrap-around changes nothing.
// A recording keeps every reading and a replay gives them back in the same
// order: only what the game does (its rules, and the loop that runs them)
// reads this clock. Timing of anything else, such as a held key's or pad's
// repeat, reads SteadyTickCount.
std::uint32_t GetTickCount();

// The steady clock itself, whatever source is installed: for what is no
// decision of the game, such as a held key's or pad's repeat.
std::uint32_t SteadyTickCount();

// The clock beneath the installed sources, which they read when they pass
// readings on: the steady clock, except that the main loop may stop it at the
// moment of the game's next pass until that pass has run. A pass whose moment
// went by while the loop slept, or was held up, then reads its own moment, as
// if it had run on time.
std::uint32_t OutsideTickCount();
void StopOutsideClockAt(std::uint32_t Latest);
void LetOutsideClockRun();

// Where the readings come from. Tests install a clock they advance by hand.
class TTickSource {
public:
  virtual ~TTickSource() = default;
  virtual std::uint32_t Now() = 0;
};

// Installs the source and returns the one it replaces; nullptr restores the steady clock.
TTickSource* SetTickSource(TTickSource* Source);
TTickSource* TickSourceInUse();
// Where the outside clock is stopped, if it is.
std::optional<std::uint32_t> OutsideClockStop();
void SetOutsideClockStop(std::optional<std::uint32_t> Stop);
