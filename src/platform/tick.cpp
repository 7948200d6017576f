#include "platform/tick.h"

#include <chrono>

#include <optional>

namespace {
TTickSource* Source = nullptr;
std::optional<std::uint32_t> Held;
} // namespace

std::uint32_t GetTickCount() {
  if (Source != nullptr)
    return Source->Now();
  return OutsideTickCount();
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

std::uint32_t OutsideTickCount() { return Held ? *Held : SteadyTickCount(); }

void HoldOutsideClock(std::uint32_t Reading) { Held = Reading; }

void ReleaseOutsideClock() { Held.reset(); }
