#include "platform/random.h"

#include <chrono>
#include <random>
#include <sstream>

namespace {
TRandomSource* Source = nullptr;
TSeedSource* Seeds = nullptr;

std::mt19937& Generator() {
  static std::mt19937 Engine{5489u};
  return Engine;
}
} // namespace

void Randomize() {
  const auto Now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const auto Wall = static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  // One 64-bit number, so that a recording can keep it: two runs started in
  // the same nanosecond of the wall clock still differ by their steady clocks.
  const std::uint64_t FromClock = Wall ^ (Now << 32 | Now >> 32);
  RandomizeWith(Seeds != nullptr ? Seeds->Seed(FromClock) : FromClock);
}

void RandomizeWith(std::uint64_t Seed) {
  std::seed_seq Sequence{static_cast<std::uint32_t>(Seed), static_cast<std::uint32_t>(Seed >> 32)};
  Generator().seed(Sequence);
}

std::string RandomState() {
  std::ostringstream Out;
  Out << Generator();
  return Out.str();
}

void SetRandomState(const std::string& State) {
  std::istringstream In(State);
  In >> Generator();
}

std::uint32_t Random(std::uint32_t N) {
  if (N == 0)
    return 0;
  if (Source != nullptr)
    return Source->Draw(N);
  std::uniform_int_distribution<std::uint32_t> Dist(0, N - 1);
  return Dist(Generator());
}

TRandomSource* SetRandomSource(TRandomSource* NewSource) {
  TRandomSource* Old = Source;
  Source = NewSource;
  return Old;
}

TSeedSource* SetSeedSource(TSeedSource* NewSource) {
  TSeedSource* Old = Seeds;
  Seeds = NewSource;
  return Old;
}

TRandomSource* RandomSourceInUse() { return Source; }
TSeedSource* SeedSourceInUse() { return Seeds; }
