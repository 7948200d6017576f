#include "ui/pad_input.h"

#include "platform/gamepad.h"
#include "ui/key_map.h"
#include "ui/key_repeat.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {
// Often enough that a press is felt at once; without a pad, only often
// enough to notice one being plugged in.
constexpr int PadLookMs = 10;
constexpr int PlugLookMs = 250;
} // namespace

TPadInput::TPadInput(QWidget& aWindow) : Window(aWindow) {
  if (!GamepadInit())
    return;
  GamepadSetRepeat(SystemKeyRepeat());
  connect(&Timer, &QTimer::timeout, this, &TPadInput::Poll);
  Timer.start(GamepadCount() > 0 ? PadLookMs : PlugLookMs);
}

TPadInput::~TPadInput() { GamepadFree(); }

void TPadInput::PollInPlay() {
  if (GamepadCount() > 0)
    Poll();
}

void TPadInput::Poll() {
  const std::vector<std::uint32_t> Keys = GamepadPoll();
  const int Interval = GamepadCount() > 0 ? PadLookMs : PlugLookMs;
  if (Timer.isActive() && Timer.interval() != Interval)
    Timer.setInterval(Interval);
  // A message box waits for its answer: the game behind it must not start.
  if (QApplication::activeModalWidget() != nullptr)
    return;
  for (std::uint32_t Key : Keys)
    QCoreApplication::postEvent(&Window, MakeKeyPress(Key));
}
