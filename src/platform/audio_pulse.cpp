#include "platform/audio_pulse.h"
#include "platform/audio_mix.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>

#if defined(__linux__)
#include <pthread.h>
#endif

namespace {
// What the stream holds ahead of the speaker; the server keeps about 15 ms
// more of its own, so a cue is heard about 55 ms after it is mixed (through
// SDL, which has the server fit its latency to one 23 ms block and mixes a
// block ahead: 38 to 61 ms). Measured on a PulseAudio server while sound
// plays: at 40 ms the server wakes about 250 times a second and the game's
// sound thread about 80 (through SDL about 450 and 280); at 35 ms about 300,
// and at 30 ms the server's own buffer shrinks to nothing and it wakes about 340.
constexpr std::uint64_t StreamMs = 40;
// Silent this long, the stream pauses: between the cues of a busy yard, the
// server and the game's sound thread then sleep.
constexpr auto CorkAfter = std::chrono::milliseconds(120);
// A server that has not answered by then is taken as absent.
constexpr auto ConnectTimeout = std::chrono::seconds(2);
constexpr int ConnectStepMs = 50;

// One turn of the loop, waiting at most TimeoutMs for something to happen.
bool Turn(pa_mainloop* Loop, int TimeoutMs) {
  return pa_mainloop_prepare(Loop, TimeoutMs * 1000) >= 0 && pa_mainloop_poll(Loop) >= 0 &&
         pa_mainloop_dispatch(Loop) >= 0;
}

// Turns the loop until Ready holds; false when Failed does first, or on time out.
template <class TReady, class TFailed> bool TurnUntil(pa_mainloop* Loop, TReady Ready, TFailed Failed) {
  const auto Deadline = std::chrono::steady_clock::now() + ConnectTimeout;
  while (!Ready()) {
    if (Failed() || std::chrono::steady_clock::now() > Deadline || !Turn(Loop, ConnectStepMs))
      return false;
  }
  return true;
}
} // namespace

bool TPulseOutput::Open(std::uint32_t Frequency, TFill aFill, const char* Name) {
  Close();
  Fill = aFill;
  if (Connect(Frequency, Name)) {
    Thread = std::thread([this] { Run(); });
    return true;
  }
  Close();
  return false;
}

bool TPulseOutput::Connect(std::uint32_t Frequency, const char* Name) {
  Loop = pa_mainloop_new();
  if (Loop == nullptr)
    return false;
  Context = pa_context_new(pa_mainloop_get_api(Loop), Name);
  // No server is started for the game: without one, SDL's drivers take over.
  if (Context == nullptr || pa_context_connect(Context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
    return false;
  pa_context* C = Context;
  if (!TurnUntil(
          Loop, [C] { return pa_context_get_state(C) == PA_CONTEXT_READY; },
          [C] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(C)); }))
    return false;

  const pa_sample_spec Format{PA_SAMPLE_S16NE, Frequency, 2};
  if (pa_sample_spec_valid(&Format) == 0)
    return false;
  Corked.store(false);
  SilentSince = std::chrono::steady_clock::now();
  Stream = pa_stream_new(Context, "Sounds", &Format, nullptr);
  if (Stream == nullptr)
    return false;
  pa_stream_set_write_callback(Stream, OnWrite, this);
  pa_buffer_attr Buffer;
  Buffer.maxlength = static_cast<std::uint32_t>(-1);
  Buffer.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(StreamMs * PA_USEC_PER_MSEC, &Format));
  Buffer.prebuf = static_cast<std::uint32_t>(-1);
  Buffer.minreq = static_cast<std::uint32_t>(-1);
  Buffer.fragsize = static_cast<std::uint32_t>(-1);
  if (pa_stream_connect_playback(Stream, nullptr, &Buffer, PA_STREAM_NOFLAGS, nullptr, nullptr) < 0)
    return false;
  pa_stream* S = Stream;
  return TurnUntil(
      Loop, [S] { return pa_stream_get_state(S) == PA_STREAM_READY; },
      [S] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(S)); });
}

void TPulseOutput::Run() {
#if defined(__linux__)
  pthread_setname_np(pthread_self(), "clankora-sound");
#endif
  // A stream the server dropped (it ended, say) leaves the game silent until the output opens again.
  while (!Quit.load() && PA_STREAM_IS_GOOD(pa_stream_get_state(Stream))) {
    if (pa_mainloop_iterate(Loop, 1, nullptr) < 0)
      break;
    if (Started.exchange(false) && Corked.load())
      Cork(false);
  }
}

void TPulseOutput::SoundStarted() {
  Started.store(true);
  if (Corked.load() && Loop != nullptr)
    pa_mainloop_wakeup(Loop);
}

void TPulseOutput::Cork(bool Paused) {
  if (pa_operation* Done = pa_stream_cork(Stream, Paused ? 1 : 0, nullptr, nullptr))
    pa_operation_unref(Done);
  Corked.store(Paused);
  SilentSince = std::chrono::steady_clock::now();
}

void TPulseOutput::OnWrite(pa_stream* Stream, std::size_t Bytes, void* Self) {
  TPulseOutput& Output = *static_cast<TPulseOutput*>(Self);
  const TFill Fill = Output.Fill;
  void* Room = nullptr;
  std::size_t Given = Bytes;
  if (pa_stream_begin_write(Stream, &Room, &Given) < 0 || Room == nullptr)
    return;
  const std::size_t Frames = std::min(Given, Bytes) / MixFrameBytes;
  const bool Sounded = Fill(static_cast<std::int16_t*>(Room), Frames);
  pa_stream_write(Stream, Room, Frames * MixFrameBytes, nullptr, 0, PA_SEEK_RELATIVE);
  const auto Now = std::chrono::steady_clock::now();
  if (Sounded)
    Output.SilentSince = Now;
  else if (!Output.Corked.load() && Now - Output.SilentSince >= CorkAfter)
    Output.Cork(true); // a sound that starts from here on finds the stream paused and wakes it
}

void TPulseOutput::Close() {
  if (Thread.joinable()) {
    Quit.store(true);
    pa_mainloop_wakeup(Loop);
    Thread.join();
    Quit.store(false);
  }
  // The loop's thread has ended: what it ran is ours to end.
  if (Stream != nullptr) {
    pa_stream_set_write_callback(Stream, nullptr, nullptr);
    pa_stream_disconnect(Stream);
    pa_stream_unref(Stream);
    Stream = nullptr;
  }
  if (Context != nullptr) {
    pa_context_disconnect(Context);
    pa_context_unref(Context);
    Context = nullptr;
  }
  if (Loop != nullptr) {
    pa_mainloop_free(Loop);
    Loop = nullptr;
  }
}
