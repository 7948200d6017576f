#pragma once

#include "platform/random.h"

#include <cstdint>

// Seeds that are the same in every run, so that each test plays the same game:
// First, then one more for each seed asked for, while the object lives.
class TFixedSeeds : public TSeedSource {
public:
  explicit TFixedSeeds(std::uint64_t aFirst = 0x5EED0000u) : First(aFirst), Previous(SetSeedSource(this)) {}
  ~TFixedSeeds() override { SetSeedSource(Previous); }
  std::uint64_t Seed(std::uint64_t) override { return First + Given++; }

private:
  std::uint64_t First;
  std::uint64_t Given = 0;
  TSeedSource* Previous;
};
