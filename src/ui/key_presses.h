#pragma once

#include <map>
#include <utility>

class QKeyEvent;

// What a key press is to a window that has the keyboard.
enum class TKeyPress {
  Fresh,  // the key went down now
  Repeat, // the keyboard repeats a key that went down while the window had the keyboard
  Stray,  // the keyboard repeats a key held since before: not meant for this window
};

// The keys a window has seen go down since it got the keyboard. A key held
// as the window is shown or takes the keyboard goes on arriving as the
// keyboard repeats it; under X each repeat comes as a release and a press of
// the same moment, and the press is not always marked as a repeat. Such
// presses, and the releases of keys never seen pressed, are not the player's
// doing in this window.
class TKeyPresses {
public:
  // The window got the keyboard: whatever is held now was pressed elsewhere.
  void Forget() { Keys.clear(); }
  TKeyPress Pressed(const QKeyEvent& Event);
  // False for the release of a key never seen pressed.
  bool Released(const QKeyEvent& Event);

private:
  struct TState {
    bool Seen = false;            // pressed since the window got the keyboard
    unsigned long ReleasedAt = 0; // the window system's time of its last release
  };
  // By the keyboard's own number for the key where the window system gives
  // one (the key pressed is the same whatever Shift does to its name), else by Qt's.
  using TId = std::pair<unsigned, int>;
  static TId IdOf(const QKeyEvent& Event);
  std::map<TId, TState> Keys;
};
