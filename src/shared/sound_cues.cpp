#include "shared/sound_cues.h"

namespace {
TSoundCueSink* CueSink = nullptr;

void Send(TSoundCue Cue, std::int32_t X) {
  if (CueSink != nullptr)
    CueSink->Cue(Cue, X);
}
} // namespace

TSoundCueSink* SetSoundCueSink(TSoundCueSink* Sink) {
  TSoundCueSink* Old = CueSink;
  CueSink = Sink;
  return Old;
}

TSoundCueSink* SoundCueSinkInUse() { return CueSink; }

void PlayBoomSound(std::int32_t X) { Send(TSoundCue::Boom, X); }
void PlayFartSound(std::int32_t X) { Send(TSoundCue::Fart, X); }
void PlayGetBombSound(std::int32_t X) { Send(TSoundCue::GetBomb, X); }
void PlayGlassbreakSound(std::int32_t X) { Send(TSoundCue::Glassbreak, X); }
void PlayOuchSound(std::int32_t X) { Send(TSoundCue::Ouch, X); }
void PlayPickSound(std::int32_t X) { Send(TSoundCue::Pick, X); }
void PlayPlacedSound(std::int32_t X) { Send(TSoundCue::Placed, X); }
void PlaySpringSound(std::int32_t X) { Send(TSoundCue::Spring, X); }
void PlayMoveSound(std::int32_t X) { Send(TSoundCue::Move, X); }
