#pragma once

#include <cstdint>

// What the main window asks of the dialogs the program made beside it: the
// settings (F7) and the controls (F6). A replay has none: it takes its
// settings from its recording.
class TWindowDialogs {
public:
  virtual ~TWindowDialogs() = default;
  // Each opens its dialog without waiting for it to close.
  virtual void ShowSettings() = 0;
  virtual void ShowControls() = 0;
  // The level a new game (F5) starts at, as the settings hold it.
  virtual std::int32_t StartLevel() const = 0;
};
