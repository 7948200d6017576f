#include "platform/tick.h"

#include <chrono>

namespace {
TTickSource* Source = nullptr;
}

std::uint32_t GetTickCount() {
  if (Source != nullptr)
    return Source->Now();
  return SteadyTickCount();
}

std::uint32_t SteadyTickCount() {
  using namespace std::chrono;
  const auto Ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(Ms));
}

TTickSource* SetTickSource(TTickSource* NewSource) {
  TTickSource* Old = Source;
  Source = NewSource;
  return Old;
}
