#pragma once

#include "support/test_messages.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Writes a mono 16-bit WAV at 44.1 kHz that holds one steady level for Ms
// milliseconds: played back, its level in each speaker is easy to read off.
void WriteSteadyWav(const std::string& Path, std::int16_t Level, std::uint32_t Ms);

// One frame of the mixed stereo output.
struct TStereo {
  std::int32_t Left, Right;
  friend bool operator==(const TStereo&, const TStereo&) = default;
};
std::ostream& operator<<(std::ostream& Out, const TStereo& Frame);

// A stretch of sound between silences in the output.
struct TSoundHeard {
  std::size_t First, Count; // frames
  TStereo Level;            // the frame heard most often in it
};

// The audio device's output written to a file by SDL's "disk" driver in real
// time, read back as it grows. Choosing it here means the next audio set-up
// in this process writes to File.
class TDiskOutput {
public:
  explicit TDiskOutput(std::string aFile);

  std::vector<TStereo> Frames() const;
  // Every stretch of sound that has ended, with at least a little silence after it.
  std::vector<TSoundHeard> FinishedSounds() const;
  // Waits until Count finished sounds are in the file; false after Timeout.
  bool WaitForSounds(std::size_t Count, std::chrono::milliseconds Timeout = std::chrono::seconds(5)) const;
  // Waits until the file holds at least Count frames more than now.
  bool WaitForMoreFrames(std::size_t Count, std::chrono::milliseconds Timeout = std::chrono::seconds(5)) const;

private:
  std::string File;
};

// Polls Condition every few milliseconds until it holds or Timeout passes.
bool WaitUntil(const std::function<bool()>& Condition, std::chrono::milliseconds Timeout);

// Chooses the audio driver of the next audio set-up in this process.
void ChooseAudioDriver(const std::string& Driver);

