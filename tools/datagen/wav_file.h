#pragma once

#include <string>
#include <vector>

// The game's sound format: mono, 16-bit PCM, 44 100 samples per second.
constexpr int SampleRate = 44100;

// Writes Samples (each from -1 to +1) as a WAV file; throws std::runtime_error.
void WriteWav(const std::string& Path, const std::vector<double>& Samples);
