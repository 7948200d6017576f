#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <thread>

struct pa_mainloop;
struct pa_context;
struct pa_stream;

// The output straight to the sound server (PulseAudio, or PipeWire in its
// place), fed from a thread of its own that sleeps until the server asks for
// more. SDL's way there asks for a buffer of one mixing block with the
// server adjusting its own latency to it, and both the server and SDL's
// thread then wake several hundred times a second while sound plays. Here
// the stream holds 40 ms and leaves the server its own pace: a little longer
// from a cue to the speaker, with far fewer wakeups on either side (see StreamMs).
//
// Between the cues of a busy game the stream would still be fed silence
// about 80 times a second: after 120 ms of silence it is paused (corked)
// instead, with what it holds kept, and goes on at the next cue, which is
// heard as soon as it would have been without the pause. Measured while
// playing, this takes the sound thread from about 80 wakeups a second of open
// output to about 70, the sound server with it.
class TPulseOutput {
public:
  // Fills Frames stereo frames; called on the output's thread. Returns
  // whether anything sounded in them.
  using TFill = bool (*)(std::int16_t* Out, std::size_t Frames);

  TPulseOutput() = default;
  ~TPulseOutput() { Close(); }
  TPulseOutput(const TPulseOutput&) = delete;
  TPulseOutput& operator=(const TPulseOutput&) = delete;

  // Connects to the server and starts the stream; false, with nothing left
  // open, when no server answers within a couple of seconds.
  bool Open(std::uint32_t Frequency, TFill Fill, const char* Name);
  // Ends the stream and the thread; the server forgets the game.
  void Close();
  // A sound has started: a paused stream goes on. From any thread.
  void SoundStarted();

private:
  bool Connect(std::uint32_t Frequency, const char* Name);
  void Run();
  static void OnWrite(pa_stream* Stream, std::size_t Bytes, void* Self);
  void Cork(bool Paused);

  pa_mainloop* Loop = nullptr;
  pa_context* Context = nullptr;
  pa_stream* Stream = nullptr;
  TFill Fill = nullptr;
  std::thread Thread;
  std::atomic<bool> Quit{false};
  // A sound started since the thread last looked, and whether it has paused
  // the stream: the thread pauses, then looks; a sound starts, then looks
  // whether to wake it. One of the two sees the other.
  std::atomic<bool> Started{false};
  std::atomic<bool> Corked{false};
  std::chrono::steady_clock::time_point SilentSince; // the output's thread only
};
