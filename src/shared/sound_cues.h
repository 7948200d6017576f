#pragma once

#include <cstdint>

// The nine sound cues of the game. Each gets the yard column where the event
// happens, which sets where the sound stands between the speakers. A column
// outside 1..20 (a step tried at the yard's edge) is passed on as it is.
void PlayBoomSound(std::int32_t X);
void PlayFartSound(std::int32_t X);
void PlayGetBombSound(std::int32_t X);
void PlayGlassbreakSound(std::int32_t X);
void PlayOuchSound(std::int32_t X);
void PlayPickSound(std::int32_t X);
void PlayPlacedSound(std::int32_t X);
void PlaySpringSound(std::int32_t X);
void PlayMoveSound(std::int32_t X);

enum class TSoundCue { Boom, Fart, GetBomb, Glassbreak, Ouch, Pick, Placed, Spring, Move };

// Whatever plays the cues: the sound module in the game, a recorder in tests.
// With none installed the cues are silent.
class TSoundCueSink {
public:
  virtual ~TSoundCueSink() = default;
  virtual void Cue(TSoundCue Cue, std::int32_t X) = 0;
};

// Installs the sink and returns the one it replaces; nullptr silences the cues.
TSoundCueSink* SetSoundCueSink(TSoundCueSink* Sink);
TSoundCueSink* SoundCueSinkInUse();
