#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What a test needs to know about a sound file, decoded by SDL as the game's
// audio layer decodes it.
struct TWavLevels {
  bool Loaded = false;
  std::string Error;
  std::uint16_t Format = 0; // SDL audio format, e.g. AUDIO_S16LSB
  int Channels = 0;
  int Frequency = 0;
  double Seconds = 0;
  double FirstSample = 0, LastSample = 0; // -1 to +1
  double Peak = 0;                        // 0 to 1
  double LoudRms = 0;                     // RMS of the loudest 50 ms, 0 to 1
  std::vector<double> Samples;            // -1 to +1
};

// Only 16-bit mono files get levels; other formats just report what they are.
TWavLevels ReadWavLevels(const std::string& Path);
