#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The game's own mixer: samples held whole in the output's format (16-bit
// stereo at the output's rate) and playbacks of them, each with a volume and
// a level for each speaker, added together block by block for whichever
// output asks (SDL's audio thread, or the sound server's stream).

// Bytes of one stereo frame of 16-bit samples, as every output takes them.
inline constexpr std::size_t MixFrameBytes = 2 * sizeof(std::int16_t);

// A sample as the output plays it: stereo frames, left then right.
struct TMixSample {
  std::vector<std::int16_t> Frames;
  std::size_t FrameCount() const { return Frames.size() / 2; }
};

// One playback: where it is in its sample and how loud it is on each side.
struct TMixVoice {
  const TMixSample* Sample = nullptr;
  std::size_t Position = 0; // frames played
  float Volume = 1.0f;
  float Left = 1.0f, Right = 1.0f; // the pan's level for each speaker
  bool Playing = false;
};

// Mixes every playing voice into Out (Frames stereo frames, overwritten), and
// stops the voices that reach their sample's end. Scratch is the sum's room,
// kept between calls so that mixing allocates nothing once it has run.
void MixVoices(std::vector<TMixVoice>& Voices, std::int16_t* Out, std::size_t Frames, std::vector<float>& Scratch);

// Decodes a WAV file held in memory into the output's format at Frequency;
// false when it holds no sound SDL can read.
bool DecodeWav(const std::vector<unsigned char>& Data, std::uint32_t Frequency, TMixSample& Sample);
