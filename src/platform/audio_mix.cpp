#include "platform/audio_mix.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

void MixVoices(std::vector<TMixVoice>& Voices, std::int16_t* Out, std::size_t Frames, std::vector<float>& Scratch) {
  Scratch.assign(Frames * 2, 0.0f);
  for (TMixVoice& Voice : Voices) {
    if (!Voice.Playing || Voice.Sample == nullptr)
      continue;
    const std::size_t Left = Voice.Sample->FrameCount() - std::min(Voice.Position, Voice.Sample->FrameCount());
    const std::size_t Count = std::min(Frames, Left);
    const std::int16_t* From = Voice.Sample->Frames.data() + Voice.Position * 2;
    const float GainLeft = Voice.Volume * Voice.Left;
    const float GainRight = Voice.Volume * Voice.Right;
    for (std::size_t I = 0; I < Count; ++I) {
      Scratch[2 * I] += static_cast<float>(From[2 * I]) * GainLeft;
      Scratch[2 * I + 1] += static_cast<float>(From[2 * I + 1]) * GainRight;
    }
    Voice.Position += Count;
    if (Voice.Position >= Voice.Sample->FrameCount())
      Voice.Playing = false;
  }
  for (std::size_t I = 0; I < Frames * 2; ++I)
    Out[I] = static_cast<std::int16_t>(std::lround(std::clamp(Scratch[I], -32768.0f, 32767.0f)));
}

bool DecodeWav(const std::vector<unsigned char>& Data, std::uint32_t Frequency, TMixSample& Sample) {
  if (Data.size() > static_cast<std::size_t>(INT_MAX) || Frequency > static_cast<std::uint32_t>(INT_MAX))
    return false;
  SDL_RWops* Stream = SDL_RWFromConstMem(Data.data(), static_cast<int>(Data.size()));
  if (Stream == nullptr)
    return false;
  SDL_AudioSpec Recorded{};
  Uint8* Wave = nullptr;
  Uint32 Bytes = 0;
  if (SDL_LoadWAV_RW(Stream, 1, &Recorded, &Wave, &Bytes) == nullptr)
    return false;
  const std::unique_ptr<Uint8, void (*)(Uint8*)> Held(Wave, SDL_FreeWAV);
  SDL_AudioCVT Convert{};
  if (SDL_BuildAudioCVT(&Convert, Recorded.format, Recorded.channels, Recorded.freq, AUDIO_S16SYS, 2,
                        static_cast<int>(Frequency)) < 0 ||
      Bytes == 0 || Bytes > static_cast<Uint32>(INT_MAX / std::max(Convert.len_mult, 1)))
    return false;
  std::vector<Uint8> Room(static_cast<std::size_t>(Bytes) * static_cast<std::size_t>(std::max(Convert.len_mult, 1)));
  std::memcpy(Room.data(), Wave, Bytes);
  Convert.buf = Room.data();
  Convert.len = static_cast<int>(Bytes);
  if (Convert.needed != 0 && SDL_ConvertAudio(&Convert) != 0)
    return false;
  const std::size_t Converted = Convert.needed != 0 ? static_cast<std::size_t>(Convert.len_cvt) : Bytes;
  Sample.Frames.resize(Converted / MixFrameBytes * 2);
  if (Sample.Frames.empty())
    return false;
  std::memcpy(Sample.Frames.data(), Room.data(), Sample.Frames.size() * sizeof(std::int16_t));
  return true;
}
