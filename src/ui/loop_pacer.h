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
  // Above 0, a rest for the yard lasts at least this long from the end of the
  // last one, so that the yard's changes are gathered into fewer wake-ups and
  // pictures; a key still wakes the loop at once. The clock stops at the
  // moment of the game's next pass until that pass has run
  // (StopOutsideClockAt), so the passes whose moments went by meanwhile run
  // one after another, each reading its own moment: the game decides exactly
  // as if each had run on time, however late the loop wakes or however long
  // a pass is held up. Only for a game on the steady clock.
  std::uint32_t GatherMs = 0;
  // A live game's: about 30 pictures a second, each change shown at most
  // 33 ms after its moment. Where the yard changes 50 to 80 times a second,
  // this halves the loop's wake-ups, and the X server's work with them.
  static constexpr std::uint32_t LiveGatherMs = 33;
  // Whether the clock stands at a moment gone by: the pass about to run, or
  // just run, is late. Keys wait, and nothing is drawn, until the loop has
  // caught up.
  bool Late() const;
  // Whether the loop gathers passes now: a replay's loop never rests.
  bool Gathers() const { return GatherMs > 0 && Rests; }
  // Before a pass: the clock goes no further than Due, the game's next moment.
  void BeforePass(std::optional<std::uint32_t> Due);
  // After a pass: whether it was late (see Late), noted for the next wait.
  bool PassWasLate();

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
  // an event arrives; with no Due, until an event arrives. While gathering,
  // returns at once when Due has gone by, and, once late passes have caught
  // up, so that the keys are taken and a pass shows all they did.
  void WaitUntil(std::optional<std::uint32_t> Due);
  // Dispatches window events, sleeping until one arrives: on the win and lose
  // screens nothing changes until the player presses a key.
  void WaitForEvent();
  // The loop has stopped: the clock goes back to the steady one.
  void EndRun();

  // What the loop has done, for the measuring mode.
  struct TStats {
    std::uint64_t Passes = 0;      // passes run
    std::uint64_t MsPlayed = 0;    // tick-counter milliseconds between passes of a running game
    std::uint64_t MsVisited = 0;   // of those, the ones in which a pass ran
    std::uint64_t Pictures = 0;    // passes that changed the picture on screen
    std::uint64_t Rests = 0;       // rests the loop woke from
    std::uint64_t LatePasses = 0;  // passes run after their moment, reading it
  };
  const TStats& Stats() const { return Counted; }
  // Counts a pass that ran at tick-counter time Now; Playing is false on the
  // win and lose screens, which have no milliseconds to visit.
  void CountPass(std::uint32_t Now, bool Playing, bool PictureChanged);
  // A new run of the loop starts: the time since the last pass was paused.
  void StartRun();

private:
  // Dispatches window events, sleeping until one arrives unless something woke the loop.
  void DispatchWaiting();
  // While gathering, the clock stops at Due; without one, it runs.
  void StopClockAt(std::optional<std::uint32_t> Due);
  void LetClockRun();

  QTimer NextMs;
  bool WokenBy = false;
  TStats Counted;
  std::uint32_t LastVisited = 0;
  bool HaveLast = false;
  std::optional<std::uint32_t> StoppedAt; // where the clock stops
  bool Behind = false;                    // the last pass was late
  bool FirstPass = false;                 // of this run of the loop: after a pause the clock moves on
  std::optional<std::uint32_t> LastRestEnd; // steady clock
};
