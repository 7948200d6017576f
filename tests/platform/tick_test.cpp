#include <gtest/gtest.h>

#include "platform/tick.h"
#include "support/test_game.h"

TEST(TickCounter, FollowsTheInstalledClockAndWrapsAround) {
  {
    TManualClock Clock(0xFFFFFFF0u);
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    Clock.Advance(0x20);
    EXPECT_EQ(GetTickCount(), 0x10u);
    // A timer's due test on the difference stays right across the wrap.
    EXPECT_EQ(GetTickCount() - 0xFFFFFFF0u, 0x20u);
  }
  // With the manual clock gone the steady clock is back and does not run backwards.
  const std::uint32_t First = GetTickCount();
  const std::uint32_t Second = GetTickCount();
  EXPECT_LT(Second - First, 1000u);
}

TEST(TickCounter, AStoppedOutsideClockRunsUpToItsMomentAndNoFurtherUntilLetRun) {
  const std::uint32_t Steady = SteadyTickCount();
  // A moment gone by: the clock reads it, while key repeats keep the steady clock.
  StopOutsideClockAt(Steady - 5000);
  EXPECT_EQ(GetTickCount(), Steady - 5000);
  EXPECT_EQ(OutsideTickCount(), Steady - 5000);
  EXPECT_LT(SteadyTickCount() - Steady, 1000u);
  // A moment still to come: the clock runs as ever up to it.
  StopOutsideClockAt(Steady + 60000);
  EXPECT_LT(GetTickCount() - Steady, 1000u);
  StopOutsideClockAt(Steady - 5000);
  {
    // An installed source replaces it, as it replaces the steady clock.
    TManualClock Clock(77);
    EXPECT_EQ(GetTickCount(), 77u);
  }
  LetOutsideClockRun();
  EXPECT_LT(GetTickCount() - Steady, 1000u);
}
