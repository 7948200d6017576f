#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

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
// folders that hold them are watched (where the system cannot watch them,
// Qt looks at them once a second instead). Where pads cannot be read at all,
// nothing happens and nothing is said.
class TPadInput : public QObject {
public:
  // The folders where a new pad shows up.
  static QStringList DevicePlaces();

  explicit TPadInput(QWidget& aWindow, const QStringList& PlugPlaces = DevicePlaces());
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
  void WatchPlaces();
  void PlanNextLook();

  QWidget& Window;
  QTimer Timer;
  QFileSystemWatcher PlugWatch;
  QStringList Places;
  int LooksAfterPlug = 0; // looks still to come for a device plugged in without a pad found
};
