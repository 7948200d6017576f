#include "ui/pad_input.h"

#include "platform/gamepad.h"
#include "ui/key_map.h"
#include "ui/key_repeat.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>

namespace {
// Often enough that a press is felt at once.
constexpr int PadLookMs = 10;
// After a device was plugged in, the system takes a moment to make it
// readable: the pads are looked at this many times, this far apart.
constexpr int PlugLookMs = 250;
constexpr int PlugLooks = 8;
} // namespace

QStringList TPadInput::DevicePlaces() {
  // The folder itself may come only with the first input device.
  return {QStringLiteral("/dev/input"), QStringLiteral("/dev")};
}

TPadInput::TPadInput(QWidget& aWindow, const QStringList& PlugPlaces) : Window(aWindow), Places(PlugPlaces) {
  if (!GamepadInit())
    return;
  GamepadSetRepeat(SystemKeyRepeat());
  connect(&Timer, &QTimer::timeout, this, &TPadInput::Poll);
  connect(&PlugWatch, &QFileSystemWatcher::directoryChanged, this, &TPadInput::LookForNewPads);
  WatchPlaces();
  PlanNextLook();
}

TPadInput::~TPadInput() { GamepadFree(); }

void TPadInput::WatchPlaces() {
  for (const QString& Place : Places)
    if (!PlugWatch.directories().contains(Place) && QFileInfo(Place).isDir())
      PlugWatch.addPath(Place);
}

void TPadInput::LookForNewPads() {
  WatchPlaces();
  LooksAfterPlug = PlugLooks;
  Poll();
}

void TPadInput::PlanNextLook() {
  int Interval = 0;
  if (GamepadCount() > 0)
    Interval = PadLookMs;
  else if (LooksAfterPlug > 0)
    Interval = PlugLookMs;
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
