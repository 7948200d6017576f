#include "platform/tick.h"

#include <chrono>
#include <optional>

namespace {
TTickSource* Source = nullptr;
std::optional<std::uint32_t> StopAt;
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

std::uint32_t OutsideTickCount() {
  const std::uint32_t Now = SteadyTickCount();
  return StopAt && static_cast<std::int32_t>(Now - *StopAt) > 0 ? *StopAt : Now;
}

void StopOutsideClockAt(std::uint32_t Latest) { StopAt = Latest; }

TTickSource* TickSourceInUse() { return Source; }
std::optional<std::uint32_t> OutsideClockStop() { return StopAt; }
void SetOutsideClockStop(std::optional<std::uint32_t> Stop) { StopAt = Stop; }

void LetOutsideClockRun() { StopAt.reset(); }
