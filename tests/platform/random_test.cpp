#include <gtest/gtest.h>

#include "platform/random.h"
#include "support/test_game.h"

#include <set>

TEST(RandomDraws, StayInsideTheirRangeAndCoverIt) {
  Randomize();
  std::set<std::uint32_t> Seen;
  for (int I = 0; I < 2000; ++I) {
    const std::uint32_t R = Random(8);
    ASSERT_LT(R, 8u);
    Seen.insert(R);
  }
  EXPECT_EQ(Seen.size(), 8u);
  EXPECT_EQ(Random(1), 0u);
  EXPECT_EQ(Random(0), 0u);
}

TEST(RandomDraws, ComeFromTheScriptWhileOneIsInstalled) {
  {
    TScriptedRandom Script;
    Script.Then(15, 14).Then(12, 3);
    EXPECT_EQ(Random(15), 14u);
    EXPECT_EQ(Random(12), 3u);
    EXPECT_EQ(Script.Remaining(), 0u);
  }
  EXPECT_LT(Random(100), 100u);
}
