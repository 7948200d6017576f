#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

// The gamepads as a second keyboard of the main window: what they press is
// posted to the window as key presses, so it meets the same handling as the
// keyboard's. They are looked at from a timer, so a pad works on every screen
// and wakes a main loop that waits, and once a pass of the main loop, so a
// game in play answers within the pass. With no pad, or where pads cannot be
// read at all, nothing happens and nothing is said.
class TPadInput : public QObject {
public:
  explicit TPadInput(QWidget& aWindow);
  ~TPadInput() override;

  // Hands the keys the pads gave since the last look to the window.
  void Poll();
  // The main loop's look, once a pass: only while a pad is there (the timer
  // notices one being plugged in).
  void PollInPlay();

private:
  QWidget& Window;
  QTimer Timer;
};
