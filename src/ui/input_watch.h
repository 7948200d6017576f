#pragma once

#include "replay/recording.h"

#include <cstdint>

// Sees what the player does to the game through the windows: a recording
// notes it, a replay lets through only what it plays back.
class TInputWatch {
public:
  virtual ~TInputWatch() = default;
  // A key reached the main window's handler; false: the handler leaves it alone.
  virtual bool KeyDown(std::uint32_t Key) = 0;
  // The main loop takes in keys at this point of its pass: a replay hands
  // out the recorded keys and settings that came here.
  virtual void AtKeyIntake() {}
  // The settings dialog changed what the game plays with (StartLevel, Generator, NewGame, Sound).
  virtual void SettingChanged(TEventKind Kind, std::int32_t Value) = 0;
};
