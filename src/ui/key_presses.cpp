#include "ui/key_presses.h"

#include <QKeyEvent>

TKeyPresses::TId TKeyPresses::IdOf(const QKeyEvent& Event) {
  const unsigned Scan = Event.nativeScanCode();
  return {Scan, Scan != 0 ? 0 : Event.key()};
}

TKeyPress TKeyPresses::Pressed(const QKeyEvent& Event) {
  TState& Key = Keys[IdOf(Event)];
  const bool Repeated = Event.isAutoRepeat() || (Event.timestamp() != 0 && Event.timestamp() == Key.ReleasedAt);
  if (!Repeated) {
    Key.Seen = true;
    return TKeyPress::Fresh;
  }
  return Key.Seen ? TKeyPress::Repeat : TKeyPress::Stray;
}

bool TKeyPresses::Released(const QKeyEvent& Event) {
  TState& Key = Keys[IdOf(Event)];
  Key.ReleasedAt = Event.timestamp();
  return Key.Seen;
}
