#pragma once

#include <cstdint>

// The program's single pseudo-random generator.

// Seeds the generator from the clock.
void Randomize();

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
