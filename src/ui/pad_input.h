#pragma once

#include "platform/pad_plug_watch.h"

#include <QObject>
#include <QTimer>

#include <memory>

class QWidget;

// The gamepads as a second keyboard of the main window: what they press is
// posted to the window as key presses, so it meets the same handling as the
// keyboard's, and like the keyboard's only while the window is the active
// one: what a pad presses meanwhile is dropped, never kept for later, so a
// game paused behind another window stays paused until the player is back.
//
// While a pad is plugged in, a timer looks at the pads, so a pad works on
// every screen and wakes a main loop that waits, and the main loop looks once
// a pass, so a game in play answers within the pass. Without a pad nothing
// wakes the game: a pad being plugged in shows as a new device file, and the
// pads' device files are watched (platform/pad_plug_watch.h), on a thread of
// their own that wakes the game only when a pad's file came or went. Where
// pads cannot be read at all, nothing happens and nothing is said.
class TPadInput : public QObject {
public:
  explicit TPadInput(QWidget& aWindow, const TPadPlaces& Places = {});
  ~TPadInput() override;

  // Hands the keys the pads gave since the last look to the window.
  void Poll();
  // The main loop's look, once a pass: only while a pad is there.
  void PollInPlay();
  // Something may have been plugged in: a look now, and a few more while the
  // system makes the new device ready.
  void LookForNewPads();
  // Whether the timer looks at the pads, and how often.
  bool Looking() const { return Timer.isActive(); }
  int LookInterval() const { return Timer.interval(); }

private:
  void PlanNextLook();

  QWidget& Window;
  QTimer Timer;
  int LooksAfterPlug = 0; // looks still to come for a device plugged in without a pad found
  // Last, so that it ends first: its thread hands its notices to this object.
  std::unique_ptr<TPadPlugWatch> PlugWatch;
};
