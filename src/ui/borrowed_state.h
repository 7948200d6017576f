#pragma once

#include "platform/gamepad.h"

#include <cstdint>
#include <optional>
#include <string>

class QWidget;
class TKeyBindings;
class TRandomSource;
class TSeedSource;
class TSoundCueSink;
class TTickSource;

// Everything program-wide that a game run beside the player's (a replay
// inside the running game) changes and must give back: the random
// generator's state and its sources, the clock's source and where the outside
// clock stands stopped, the sound cues' sink, the message boxes' owner, and
// the keys and pad buttons in use. Taken whole when made, given back whole
// when destroyed, so that nothing can be forgotten.
//
// While it stands the cues are silent: the borrowed game is not the player's,
// and its sounds are none of the player's business.
class TBorrowedState {
public:
  TBorrowedState();
  ~TBorrowedState();
  TBorrowedState(const TBorrowedState&) = delete;
  TBorrowedState& operator=(const TBorrowedState&) = delete;

  // What was in force, as it will be given back; for tests to compare with.
  struct TTaken {
    std::string RandomState;
    TRandomSource* Draws = nullptr;
    TSeedSource* Seeds = nullptr;
    TTickSource* Ticks = nullptr;
    std::optional<std::uint32_t> ClockStop;
    TSoundCueSink* Cues = nullptr;
    QWidget* MessageOwner = nullptr;
    const TKeyBindings* Keys = nullptr;
    TPadButtonKeys PadButtons{};
    friend bool operator==(const TTaken&, const TTaken&) = default;
  };
  // The program-wide state as it is now.
  static TTaken Now();

private:
  TTaken Taken;
};
