#include "ui/pad_input.h"

#include "platform/gamepad.h"
#include "ui/key_map.h"
#include "ui/key_repeat.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

namespace {
// Often enough that a press is felt at once.
constexpr int PadLookMs = 10;
// After a device was plugged in, the system takes a moment to make it
// readable: the pads are looked at this many times, this far apart.
constexpr int AfterPlugLookMs = 250;
constexpr int PlugLooks = 8;
} // namespace

TPadInput::TPadInput(QWidget& aWindow, const TPadPlaces& Places) : Window(aWindow) {
  if (!GamepadInit())
    return;
  GamepadSetRepeat(SystemKeyRepeat());
  connect(&Timer, &QTimer::timeout, this, &TPadInput::Poll);
  // The notice comes on the watch's thread; the look is the main loop's.
  PlugWatch = std::make_unique<TPadPlugWatch>(
      [this] { QMetaObject::invokeMethod(this, &TPadInput::LookForNewPads, Qt::QueuedConnection); }, Places);
  PlanNextLook();
}

TPadInput::~TPadInput() {
  PlugWatch.reset();
  GamepadFree();
}

void TPadInput::LookForNewPads() {
  LooksAfterPlug = PlugLooks;
  Poll();
}

void TPadInput::PlanNextLook() {
  int Interval = 0;
  if (GamepadCount() > 0)
    Interval = PadLookMs;
  else if (LooksAfterPlug > 0)
    Interval = AfterPlugLookMs;
  if (Interval == 0)
    Timer.stop();
  else if (!Timer.isActive() || Timer.interval() != Interval)
    Timer.start(Interval);
}

void TPadInput::PollInPlay() {
  if (GamepadCount() > 0)
    Poll();
}

void TPadInput::Poll() {
  const std::vector<std::uint32_t> Keys = GamepadPoll();
  LooksAfterPlug = GamepadCount() > 0 ? 0 : std::max(LooksAfterPlug - 1, 0);
  PlanNextLook();
  // Only the window the player is at takes the pads' keys, as it alone takes
  // the keyboard's; a message box waits for its answer, and the game behind
  // it must not start.
  if (!Window.isActiveWindow() || QApplication::activeModalWidget() != nullptr)
    return;
  for (std::uint32_t Key : Keys)
    QCoreApplication::postEvent(&Window, MakeKeyPress(Key));
}
