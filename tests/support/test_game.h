#pragma once

#include <gtest/gtest.h>

#include "engine/game.h"
#include "platform/random.h"
#include "platform/tick.h"
#include "shared/sound_cues.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

// A clock the test advances by hand.
class TManualClock : public TTickSource {
public:
  explicit TManualClock(std::uint32_t Start = 1000);
  ~TManualClock() override;
  std::uint32_t Now() override { return Time; }
  void Set(std::uint32_t T) { Time = T; }
  void Advance(std::uint32_t Ms) { Time += Ms; }

private:
  std::uint32_t Time;
  TTickSource* Previous;
};

// Draws decided by the test. Each scripted draw names the range the rule must
// ask for; a draw from another range, or one beyond the script, fails the test.
class TScriptedRandom : public TRandomSource {
public:
  TScriptedRandom();
  ~TScriptedRandom() override;
  // Expect a draw of Random(N) and answer Value.
  TScriptedRandom& Then(std::uint32_t N, std::uint32_t Value);
  // Answer every draw of Random(N) with Value until the script says otherwise.
  void Default(std::uint32_t Value) { Fallback = Value; HasFallback = true; }
  std::uint32_t Draw(std::uint32_t N) override;
  std::size_t Remaining() const { return Script.size(); }
  const std::vector<std::uint32_t>& Asked() const { return Ranges; }

private:
  struct TDraw {
    std::uint32_t N, Value;
  };
  std::deque<TDraw> Script;
  std::vector<std::uint32_t> Ranges;
  std::uint32_t Fallback = 0;
  bool HasFallback = false;
  TRandomSource* Previous;
};

// splitmix64: small, fast and the same everywhere, so a seed replays its run.
class TSplitMix {
public:
  explicit TSplitMix(std::uint64_t Seed) : State(Seed) {}
  std::uint64_t Next() {
    std::uint64_t Z = (State += 0x9E3779B97F4A7C15ull);
    Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
    Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
    return Z ^ (Z >> 31);
  }
  std::uint32_t Below(std::uint32_t N) { return static_cast<std::uint32_t>(Next() % N); }

private:
  std::uint64_t State;
};

// The game's draws, from a seeded generator.
class TSeededRandom : public TRandomSource {
public:
  explicit TSeededRandom(std::uint64_t Seed) : Rng(Seed), Previous(SetRandomSource(this)) {}
  ~TSeededRandom() override { SetRandomSource(Previous); }
  TSeededRandom(const TSeededRandom&) = delete;
  TSeededRandom& operator=(const TSeededRandom&) = delete;
  std::uint32_t Draw(std::uint32_t N) override {
    ++Count;
    return Rng.Below(N);
  }
  std::uint64_t Draws() const { return Count; } // how many the rules asked for

private:
  TSplitMix Rng;
  std::uint64_t Count = 0;
  TRandomSource* Previous;
};

struct TCueCall {
  TSoundCue Cue;
  std::int32_t X;
  friend bool operator==(const TCueCall&, const TCueCall&) = default;
};

// Records every sound cue, in order.
class TCueRecorder : public TSoundCueSink {
public:
  TCueRecorder();
  ~TCueRecorder() override;
  void Cue(TSoundCue Cue, std::int32_t X) override { Calls.push_back({Cue, X}); }
  std::vector<TCueCall> Calls;

private:
  TSoundCueSink* Previous;
};

const char* CueName(TSoundCue Cue);
std::ostream& operator<<(std::ostream& Out, const TCueCall& Call);

// A folder of test pictures made once per test program, with a trailing '/'.
const std::string& SharedSpritesFixture();

// A game on the test pictures, with a manual clock, scripted draws (by
// default every draw answers 0) and recorded cues.
class TGameTest : public ::testing::Test {
protected:
  TGameTest();
  TManualClock Clock;
  TScriptedRandom Draws;
  TCueRecorder Cues;
  std::unique_ptr<TGame> Game;
  TGGCell& Cell(std::uint32_t X, std::uint32_t Y) { return Game->GameGrid->Cells(X, Y); }
};
