// How keys reach the game: from the keyboard, the pads (posted as key presses)
// and the window itself, they wait in one queue until the game takes them in.
#include "ui/main_window.h"

#include "engine/game.h"
#include "platform/keys.h"
#include "ui/input_watch.h"
#include "ui/key_map.h"

#include <QKeyEvent>

bool TFrmMain::event(QEvent* Event) {
  if (Event->type() == QEvent::WindowActivate || Event->type() == QEvent::FocusIn)
    KeyPresses.Forget();
  return QWidget::event(Event);
}

// A key held as the window opened, or in a dialog that has gone, repeats into
// the window: only keys pressed here act, and the game ends only on an Escape
// pressed for it, never on one held or repeated.
void TFrmMain::keyPressEvent(QKeyEvent* Event) {
  const TKeyPress Press = KeyPresses.Pressed(*Event);
  if (Press == TKeyPress::Stray)
    return;
  const std::uint32_t Code = GameKeyCode(*Event);
  if (Code == vkEscape && Press != TKeyPress::Fresh)
    return;
  // In full screen Escape takes the player back to the window, not out of the game.
  if (Code == vkEscape && FullScreenOn && Game) {
    LeaveFullScreen();
    return;
  }
  if (Code == 0) {
    QWidget::keyPressEvent(Event);
    return;
  }
  KeyArrived(Code);
}

void TFrmMain::keyReleaseEvent(QKeyEvent* Event) {
  if (KeyPresses.Released(*Event))
    QWidget::keyReleaseEvent(Event);
}

void TFrmMain::KeyArrived(std::uint32_t Key) {
  WaitingKeys.push_back(Key);
  if (MainLoopRunning())
    Pacer.Wake();
  else
    TakeWaitingKeys();
}

// Once a key has paused the game its loop ends, and the keys behind that one
// are taken by the handling that started the loop, as it goes on: loops never
// pile up one inside another however often Pause and Space come together.
void TFrmMain::TakeInKeys() {
  if (InputWatch != nullptr)
    InputWatch->AtKeyIntake();
  while (!WaitingKeys.empty() && !Game->Paused)
    TakeKey(NextWaitingKey());
}

// One key at a time off the front: a Space that starts the main loop leaves
// the keys behind it to the loop, in their order.
void TFrmMain::TakeWaitingKeys() {
  while (!WaitingKeys.empty())
    TakeKey(NextWaitingKey());
}

std::uint32_t TFrmMain::NextWaitingKey() {
  const std::uint32_t Key = WaitingKeys.front();
  WaitingKeys.pop_front();
  return Key;
}

void TFrmMain::TakeKey(std::uint32_t Key) {
  if (Key != kcLeftWindow) {
    FormKeyDown(Key);
    return;
  }
  // Only a running game pauses: pressing Pause on a paused one would resume it.
  if (Game && !Game->Paused)
    FormKeyDown(vkPause);
}
