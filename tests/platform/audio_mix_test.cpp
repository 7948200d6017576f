#include <gtest/gtest.h>

#include "platform/audio_mix.h"

#include <vector>

namespace {
// A stereo sample of Frames frames, every one at Left and Right.
TMixSample Steady(std::size_t Frames, std::int16_t Left, std::int16_t Right) {
  TMixSample Sample;
  for (std::size_t I = 0; I < Frames; ++I)
    Sample.Frames.insert(Sample.Frames.end(), {Left, Right});
  return Sample;
}

TMixVoice Playing(const TMixSample& Sample, float Volume = 1.0f, float Left = 1.0f, float Right = 1.0f) {
  TMixVoice Voice;
  Voice.Sample = &Sample;
  Voice.Volume = Volume;
  Voice.Left = Left;
  Voice.Right = Right;
  Voice.Playing = true;
  return Voice;
}
} // namespace

// Voices add up with their volume and each speaker's level; a sum beyond
// 16 bits is held at the loudest level instead of wrapping round; a voice
// that reaches its sample's end stops there, leaving silence, and is done.
TEST(AudioMix, AddsVoicesClampsTheSumAndStopsAVoiceAtItsEnd) {
  const TMixSample Loud = Steady(8, 30000, -30000);
  const TMixSample Short = Steady(3, 1000, 1000);
  std::vector<TMixVoice> Voices{Playing(Loud), Playing(Loud), Playing(Short, 0.5f, 1.0f, 0.25f)};
  Voices[1].Playing = false; // handed out, not started: silent
  std::vector<float> Room;
  std::int16_t Out[2 * 6];
  MixVoices(Voices, Out, 6, Room);
  EXPECT_EQ(Out[0], 30500);
  EXPECT_EQ(Out[1], -29875);
  EXPECT_EQ(Out[2 * 3], 30000) << "the short voice has ended";
  EXPECT_FALSE(Voices[2].Playing);
  EXPECT_TRUE(Voices[0].Playing);
  EXPECT_EQ(Voices[0].Position, 6u);

  Voices[1].Playing = true;
  MixVoices(Voices, Out, 6, Room);
  EXPECT_EQ(Out[0], 32767) << "two loud voices are held at the top";
  EXPECT_EQ(Out[1], -32768);
  EXPECT_EQ(Out[2 * 1], 32767) << "the first voice's last frame";
  EXPECT_EQ(Out[2 * 1 + 1], -32768);
  EXPECT_EQ(Out[2 * 2], 30000) << "only the second voice is left";
  EXPECT_EQ(Out[2 * 5], 30000);
  EXPECT_FALSE(Voices[0].Playing);
}
