#include "ui/loop_pacer.h"

#include "platform/tick.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace {
using TSteady = std::chrono::steady_clock;

// A timer counts whole milliseconds from when it starts, and wakes a little
// late. Started early in a millisecond, one of 1 ms ends early in the next;
// started this close to the end, it could end in the one after: the rest is slept.
constexpr auto ShortRest = std::chrono::microseconds(600);

// When the steady clock, which the tick counter reads, enters its next millisecond.
TSteady::time_point NextMsStart() {
  using namespace std::chrono;
  const auto Now = TSteady::now();
  return TSteady::time_point(floor<milliseconds>(Now.time_since_epoch()) + milliseconds(1));
}
} // namespace

TLoopPacer::TLoopPacer() {
  NextMs.setSingleShot(true);
  NextMs.setTimerType(Qt::PreciseTimer);
#if defined(__linux__)
  // The system may let a sleep run on by 50 microseconds to gather wake-ups;
  // that lateness adds up over a loop that sleeps a thousand times a second,
  // and a millisecond goes unvisited. One microsecond is enough.
  prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
#endif
}

void TLoopPacer::Dispatch() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TLoopPacer::DispatchHandedOut(bool UntilOne) {
  QCoreApplication::processEvents(UntilOne ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
}

void TLoopPacer::DispatchWaiting() {
  // The events already there first: the dispatcher would sleep with them waiting.
  WokenBy = false;
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(WokenBy ? QEventLoop::AllEvents : QEventLoop::WaitForMoreEvents);
}

void TLoopPacer::WaitForNextMs(std::uint32_t Now) {
  if (GetTickCount() != Now)
    return;
  if (!Rests) {
    // Where the loop would rest, keys may arrive: a replay hands out the recorded ones here.
    Dispatch();
    return;
  }
  const TSteady::time_point Next = NextMsStart();
  if (Next - TSteady::now() <= ShortRest) {
    std::this_thread::sleep_until(Next);
    Dispatch();
    return;
  }
  NextMs.start(std::chrono::milliseconds(1));
  DispatchWaiting();
  NextMs.stop();
}

void TLoopPacer::WaitUntil(std::optional<std::uint32_t> Due) {
  // A moment gone by has its pass now; once late passes have caught up, the
  // keys that waited are taken and a pass at the present shows it all.
  StopClockAt(Due);
  const bool CaughtUp = std::exchange(Behind, false) && !Late();
  // The reading comes first, resting or not, so that a replay takes the same readings as the game it replays.
  const std::uint32_t Now = GetTickCount();
  const auto Left = Due ? static_cast<std::int32_t>(*Due - Now) : 1;
  if (!Rests || Left <= 0 || CaughtUp) {
    Dispatch();
    return;
  }
  std::int32_t Rest = Left;
  if (GatherMs > 0 && LastRestEnd)
    Rest = std::max(Rest, static_cast<std::int32_t>(*LastRestEnd + GatherMs - SteadyTickCount()));
  if (Due)
    NextMs.start(std::chrono::milliseconds(Rest));
  DispatchWaiting();
  NextMs.stop();
  ++Counted.Rests;
  if (GatherMs > 0)
    LastRestEnd = SteadyTickCount();
}

void TLoopPacer::WaitForEvent() {
  // A game that ended in a late pass shows its end before the loop waits.
  LetClockRun();
  if (std::exchange(Behind, false)) {
    Dispatch();
    return;
  }
  Rests ? DispatchWaiting() : Dispatch();
}

bool TLoopPacer::Late() const {
  return StoppedAt && static_cast<std::int32_t>(SteadyTickCount() - *StoppedAt) > 0;
}

void TLoopPacer::BeforePass(std::optional<std::uint32_t> Due) {
  // The first pass after a pause reads the present: the paused time is no moment of the game's.
  if (std::exchange(FirstPass, false))
    LetClockRun();
  else
    StopClockAt(Due);
}

bool TLoopPacer::PassWasLate() {
  Behind = Late();
  if (Behind)
    ++Counted.LatePasses;
  return Behind;
}

void TLoopPacer::StopClockAt(std::optional<std::uint32_t> Due) {
  if (!Gathers() || !Due)
    return LetClockRun();
  StopOutsideClockAt(*Due);
  StoppedAt = Due;
}

void TLoopPacer::LetClockRun() {
  if (StoppedAt)
    LetOutsideClockRun();
  StoppedAt.reset();
}

void TLoopPacer::StartRun() {
  HaveLast = false;
  LastRestEnd.reset();
  Behind = false;
  FirstPass = true;
  LetClockRun();
}

void TLoopPacer::EndRun() {
  Behind = false;
  LetClockRun();
}

void TLoopPacer::CountPass(std::uint32_t Now, bool Playing, bool PictureChanged) {
  ++Counted.Passes;
  if (PictureChanged)
    ++Counted.Pictures;
  if (!Playing) {
    HaveLast = false;
    return;
  }
  if (HaveLast && Now != LastVisited) {
    Counted.MsPlayed += static_cast<std::uint32_t>(Now - LastVisited);
    ++Counted.MsVisited;
  }
  LastVisited = Now;
  HaveLast = true;
}
