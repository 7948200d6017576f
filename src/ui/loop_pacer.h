#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <optional>

// The main loop's pace. Every decision of the game compares readings of the
// 1 ms tick counter, so once a pass has changed nothing, further passes in the
// same millisecond decide nothing: the loop then sleeps until the next
// millisecond, or until a window event (a key) wakes it at once.
class TLoopPacer : public QObject {
  Q_OBJECT
public:
  TLoopPacer();

  // False: the loop never rests. A replay keeps the pace of its recording by
  // itself, and a verifying one runs as fast as it can.
  bool Rests = true;

  // Dispatches the window events that have come, without waiting for more.
  // Events posted before the handler that runs the loop began (a pad's keys,
  // a key queued behind the one being handled) are delivered too: the event
  // dispatcher would hold them back until that handler returned.
  static void Dispatch();
  // Dispatches the window events the dispatcher hands out now (posted events
  // wait for the handler that runs this to return), or with UntilOne sleeps
  // until one arrives: a wait of its own outside the loop, as a replay keeping
  // its recording's pace.
  static void DispatchHandedOut(bool UntilOne);
  // Something came that the loop must see now (a key): the wait under way, if
  // any, ends once the events are dispatched.
  void Wake() { WokenBy = true; }

  // Dispatches window events, sleeping until the tick counter moves past Now
  // or an event arrives, whichever comes first. Returns at once when the
  // counter has already moved on.
  void WaitForNextMs(std::uint32_t Now);
  // Dispatches window events, sleeping until the tick counter reaches Due or
  // an event arrives; with no Due, until an event arrives.
  void WaitUntil(std::optional<std::uint32_t> Due);
  // Dispatches window events, sleeping until one arrives: on the win and lose
  // screens nothing changes until the player presses a key.
  void WaitForEvent();

  // What the loop has done, for the measuring mode.
  struct TStats {
    std::uint64_t Passes = 0;      // passes run
    std::uint64_t MsPlayed = 0;    // tick-counter milliseconds between passes of a running game
    std::uint64_t MsVisited = 0;   // of those, the ones in which a pass ran
    std::uint64_t Pictures = 0;    // passes that changed the picture on screen
  };
  const TStats& Stats() const { return Counted; }
  // Counts a pass that ran at tick-counter time Now; Playing is false on the
  // win and lose screens, which have no milliseconds to visit.
  void CountPass(std::uint32_t Now, bool Playing, bool PictureChanged);
  // A new run of the loop starts: the time since the last pass was paused.
  void StartRun() { HaveLast = false; }

private:
  // Dispatches window events, sleeping until one arrives unless something woke the loop.
  void DispatchWaiting();

  QTimer NextMs;
  bool WokenBy = false;
  TStats Counted;
  std::uint32_t LastVisited = 0;
  bool HaveLast = false;
};
