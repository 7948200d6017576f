#pragma once

#include <cstdint>
#include <string>

// The program's single pseudo-random generator.

// Seeds the generator from the clock, through the seed source when one is installed.
void Randomize();
// Seeds the generator with the given seed: the same seed gives the same draws.
void RandomizeWith(std::uint64_t Seed);

// The generator's whole state, and putting it back: a replay run inside the
// game to prove a recording draws from the generator, and the game's own
// draws afterwards must be those it would have had.
std::string RandomState();
void SetRandomState(const std::string& State);

// A uniform integer from 0 to N - 1; 0 when N is 0.
std::uint32_t Random(std::uint32_t N);

// Where the draws come from. Tests install a scripted source to decide every
// draw and to check the range each rule asks for.
class TRandomSource {
public:
  virtual ~TRandomSource() = default;
  virtual std::uint32_t Draw(std::uint32_t N) = 0;
};

// Installs the source and returns the one it replaces; nullptr restores the generator.
TRandomSource* SetRandomSource(TRandomSource* Source);
TRandomSource* RandomSourceInUse();

// Where Randomize gets its seeds. A recording keeps the seeds the clock gave,
// a replay hands back the recorded ones.
class TSeedSource {
public:
  virtual ~TSeedSource() = default;
  // The seed to use; FromClock is the one the clock offers.
  virtual std::uint64_t Seed(std::uint64_t FromClock) = 0;
};

// Installs the source and returns the one it replaces; nullptr seeds from the clock alone.
TSeedSource* SetSeedSource(TSeedSource* Source);
TSeedSource* SeedSourceInUse();
