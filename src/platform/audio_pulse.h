#pragma once

#include <atomic>
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
class TPulseOutput {
public:
  // Fills Frames stereo frames; called on the output's thread.
  using TFill = void (*)(std::int16_t* Out, std::size_t Frames);

  TPulseOutput() = default;
  ~TPulseOutput() { Close(); }
  TPulseOutput(const TPulseOutput&) = delete;
  TPulseOutput& operator=(const TPulseOutput&) = delete;

  // Connects to the server and starts the stream; false, with nothing left
  // open, when no server answers within a couple of seconds.
  bool Open(std::uint32_t Frequency, TFill Fill, const char* Name);
  // Ends the stream and the thread; the server forgets the game.
  void Close();

private:
  bool Connect(std::uint32_t Frequency, const char* Name);
  void Run();
  static void OnWrite(pa_stream* Stream, std::size_t Bytes, void* Self);

  pa_mainloop* Loop = nullptr;
  pa_context* Context = nullptr;
  pa_stream* Stream = nullptr;
  TFill Fill = nullptr;
  std::thread Thread;
  std::atomic<bool> Quit{false};
};
