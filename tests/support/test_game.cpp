#include <gtest/gtest.h>

#include "support/test_game.h"
#include "support/test_pictures.h"

#include <ostream>

TManualClock::TManualClock(std::uint32_t Start) : Time(Start), Previous(SetTickSource(this)) {}
TManualClock::~TManualClock() { SetTickSource(Previous); }

TScriptedRandom::TScriptedRandom() : Previous(SetRandomSource(this)) {}
TScriptedRandom::~TScriptedRandom() { SetRandomSource(Previous); }

TScriptedRandom& TScriptedRandom::Then(std::uint32_t N, std::uint32_t Value) {
  Script.push_back({N, Value});
  return *this;
}

std::uint32_t TScriptedRandom::Draw(std::uint32_t N) {
  Ranges.push_back(N);
  if (Script.empty()) {
    if (!HasFallback)
      ADD_FAILURE() << "an unexpected draw of Random(" << N << ")";
    return Fallback < N ? Fallback : 0;
  }
  const TDraw Next = Script.front();
  Script.pop_front();
  EXPECT_EQ(Next.N, N) << "the rules asked for a draw from another range";
  return Next.Value;
}

TCueRecorder::TCueRecorder() : Previous(SetSoundCueSink(this)) {}
TCueRecorder::~TCueRecorder() { SetSoundCueSink(Previous); }

const char* CueName(TSoundCue Cue) {
  switch (Cue) {
  case TSoundCue::Boom: return "Boom";
  case TSoundCue::Fart: return "Fart";
  case TSoundCue::GetBomb: return "GetBomb";
  case TSoundCue::Glassbreak: return "Glassbreak";
  case TSoundCue::Ouch: return "Ouch";
  case TSoundCue::Pick: return "Pick";
  case TSoundCue::Placed: return "Placed";
  case TSoundCue::Spring: return "Spring";
  case TSoundCue::Move: return "Move";
  }
  return "?";
}

std::ostream& operator<<(std::ostream& Out, const TCueCall& Call) {
  return Out << CueName(Call.Cue) << "(" << Call.X << ")";
}

const std::string& SharedSpritesFixture() {
  static TTempDir Dir;
  static const std::string Sprites = [] {
    const std::string Path = Dir.Path() + "/sprites/";
    WriteSpritesFixture(Path);
    return Path;
  }();
  return Sprites;
}

TGameTest::TGameTest() {
  Draws.Default(0);
  Game = std::make_unique<TGame>(SharedSpritesFixture());
}
