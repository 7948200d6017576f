#include "platform/random.h"

#include <chrono>
#include <random>

namespace {
TRandomSource* Source = nullptr;

std::mt19937& Generator() {
  static std::mt19937 Engine{5489u};
  return Engine;
}
} // namespace

void Randomize() {
  const auto Now = std::chrono::steady_clock::now().time_since_epoch().count();
  const auto Wall = std::chrono::system_clock::now().time_since_epoch().count();
  std::seed_seq Seed{static_cast<std::uint32_t>(Now), static_cast<std::uint32_t>(Now >> 32),
                     static_cast<std::uint32_t>(Wall), static_cast<std::uint32_t>(Wall >> 32)};
  Generator().seed(Seed);
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
