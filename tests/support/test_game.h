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
