#include "support/wav_levels.h"
#include "support/sound_spectrum.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

TWavLevels ReadWavLevels(const std::string& Path) {
  TWavLevels L;
  SDL_AudioSpec Wav;
  Uint8* Buffer = nullptr;
  Uint32 Length = 0;
  if (SDL_LoadWAV(Path.c_str(), &Wav, &Buffer, &Length) == nullptr) {
    L.Error = SDL_GetError();
    return L;
  }
  L.Loaded = true;
  L.Format = Wav.format;
  L.Channels = Wav.channels;
  L.Frequency = Wav.freq;
  if (Wav.format == AUDIO_S16LSB && Wav.channels == 1 && Length >= 2) {
    std::vector<std::int16_t> Samples(Length / 2);
    std::memcpy(Samples.data(), Buffer, Samples.size() * 2);
    const auto Unit = [](std::int16_t S) { return S / 32768.0; };
    L.Seconds = double(Samples.size()) / Wav.freq;
    L.FirstSample = Unit(Samples.front());
    L.LastSample = Unit(Samples.back());
    for (const std::int16_t S : Samples) {
      L.Samples.push_back(Unit(S));
      L.Peak = std::max(L.Peak, std::abs(Unit(S)));
    }
    L.LoudRms = LoudestRms(L.Samples, Wav.freq, 0.05);
  }
  SDL_FreeWAV(Buffer);
  return L;
}
