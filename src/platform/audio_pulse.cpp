#include "platform/audio_pulse.h"
#include "platform/audio_mix.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>

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
// The opening's loop turns this often at least, to see whether it is past its time limit.
constexpr int ConnectStepMs = 50;

// One turn of the loop, waiting at most TimeoutMs for something to happen.
bool Turn(pa_mainloop* Loop, int TimeoutMs) {
  return pa_mainloop_prepare(Loop, TimeoutMs * 1000) >= 0 && pa_mainloop_poll(Loop) >= 0 &&
         pa_mainloop_dispatch(Loop) >= 0;
}
} // namespace

// What the sound thread and the game share. The thread holds it too, so that
// a thread left to end on its own (see Finish) still has it.
struct TPulseOutput::TSession {
  enum class TEnd { Ready, Failed, Released, Lost };

  // Set before the thread starts, and not changed while it runs.
  std::uint32_t Frequency = 0;
  std::string Name;
  std::chrono::milliseconds Limit{0};

  std::mutex Lock;
  std::condition_variable Changed;
  // Under Lock. The game's callbacks are called only with Lock held, and are
  // null once the game has let go of a thread it did not wait for.
  TFill Fill = nullptr;
  TEnded Ended = nullptr;
  bool Running = false;
  std::optional<bool> Reached; // whether a server took the connection
  std::optional<std::chrono::steady_clock::time_point> FailedAt;
  pa_mainloop* Loop = nullptr; // while it exists, to wake the thread
  // Written under Lock, read by the thread as it turns.
  std::atomic<bool> Wanted{false};
  // A sound started since the thread last looked, and whether it has paused
  // the stream: the thread pauses, then looks; a sound starts, then looks
  // whether to wake it. One of the two sees the other.
  std::atomic<bool> Started{false};
  std::atomic<bool> Corked{false};

  // The thread's own.
  pa_mainloop* OwnLoop = nullptr;
  pa_context* Context = nullptr;
  pa_stream* Stream = nullptr;
  std::chrono::steady_clock::time_point SilentSince;

  static void Run(std::shared_ptr<TSession> Self);
  TEnd Open();
  TEnd Play();
  void Disconnect();
  void Cork(bool Paused);
  static void OnWrite(pa_stream* Stream, std::size_t Bytes, void* Self);

  // Turns the loop until Ready holds; Failed when the server refuses, or
  // on time out; Released when the output is let go meanwhile.
  template <class TReady, class TBad>
  TEnd TurnUntil(std::chrono::steady_clock::time_point Deadline, TReady Ready, TBad Bad) {
    for (;;) {
      if (!Wanted.load())
        return TEnd::Released;
      if (Ready())
        return TEnd::Ready;
      if (Bad() || std::chrono::steady_clock::now() > Deadline || !Turn(OwnLoop, ConnectStepMs))
        return TEnd::Failed;
    }
  }
};

void TPulseOutput::TSession::Run(std::shared_ptr<TSession> Self) {
#if defined(__linux__)
  pthread_setname_np(pthread_self(), "clankora-sound");
#endif
  TSession& S = *Self;
  for (;;) {
    TEnd End = S.Open();
    if (End == TEnd::Ready)
      End = S.Play();
    S.Disconnect();
    const std::lock_guard Hold(S.Lock);
    if (End == TEnd::Failed || End == TEnd::Lost) {
      // Not let go, yet gone: the game drops what waits for it, and the next
      // Want opens it anew.
      if (End == TEnd::Failed)
        S.FailedAt = std::chrono::steady_clock::now();
      S.Wanted.store(false);
      if (S.Ended != nullptr)
        S.Ended();
    }
    // Let go, then asked for again before the thread ended: it opens anew.
    if (!S.Wanted.load()) {
      S.Running = false;
      S.Changed.notify_all();
      return;
    }
  }
}

TPulseOutput::TSession::TEnd TPulseOutput::TSession::Open() {
  const auto Deadline = std::chrono::steady_clock::now() + Limit;
  OwnLoop = pa_mainloop_new();
  {
    const std::lock_guard Hold(Lock);
    Loop = OwnLoop;
  }
  Context = OwnLoop != nullptr ? pa_context_new(pa_mainloop_get_api(OwnLoop), Name.c_str()) : nullptr;
  // No server is started for the game: without one, SDL's drivers take over.
  // Connecting only starts: a server's socket takes it, or none is there.
  const bool Connecting =
      Context != nullptr && pa_context_connect(Context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
  {
    const std::lock_guard Hold(Lock);
    Reached = Connecting;
    Changed.notify_all();
  }
  if (!Connecting)
    return TEnd::Failed;
  pa_context* C = Context;
  TEnd End = TurnUntil(
      Deadline, [C] { return pa_context_get_state(C) == PA_CONTEXT_READY; },
      [C] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(C)); });
  if (End != TEnd::Ready)
    return End;

  const pa_sample_spec Format{PA_SAMPLE_S16NE, Frequency, 2};
  if (pa_sample_spec_valid(&Format) == 0)
    return TEnd::Failed;
  Corked.store(false);
  Started.store(false);
  SilentSince = std::chrono::steady_clock::now();
  Stream = pa_stream_new(Context, "Sounds", &Format, nullptr);
  if (Stream == nullptr)
    return TEnd::Failed;
  pa_stream_set_write_callback(Stream, OnWrite, this);
  pa_buffer_attr Buffer;
  Buffer.maxlength = static_cast<std::uint32_t>(-1);
  Buffer.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(StreamMs * PA_USEC_PER_MSEC, &Format));
  Buffer.prebuf = static_cast<std::uint32_t>(-1);
  Buffer.minreq = static_cast<std::uint32_t>(-1);
  Buffer.fragsize = static_cast<std::uint32_t>(-1);
  if (pa_stream_connect_playback(Stream, nullptr, &Buffer, PA_STREAM_NOFLAGS, nullptr, nullptr) < 0)
    return TEnd::Failed;
  pa_stream* St = Stream;
  return TurnUntil(
      Deadline, [St] { return pa_stream_get_state(St) == PA_STREAM_READY; },
      [St] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(St)); });
}

TPulseOutput::TSession::TEnd TPulseOutput::TSession::Play() {
  for (;;) {
    if (!Wanted.load())
      return TEnd::Released;
    // The server ended, was restarted, or dropped the stream.
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(Context)) || !PA_STREAM_IS_GOOD(pa_stream_get_state(Stream)) ||
        pa_mainloop_iterate(OwnLoop, 1, nullptr) < 0)
      return TEnd::Lost;
    if (Started.exchange(false) && Corked.load())
      Cork(false);
  }
}

void TPulseOutput::TSession::Disconnect() {
  {
    const std::lock_guard Hold(Lock);
    Loop = nullptr;
  }
  // Nothing here waits for the server: what is still to be said to it is
  // dropped with the connection.
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
  if (OwnLoop != nullptr) {
    pa_mainloop_free(OwnLoop);
    OwnLoop = nullptr;
  }
}

void TPulseOutput::TSession::Cork(bool Paused) {
  if (pa_operation* Done = pa_stream_cork(Stream, Paused ? 1 : 0, nullptr, nullptr))
    pa_operation_unref(Done);
  Corked.store(Paused);
  SilentSince = std::chrono::steady_clock::now();
}

void TPulseOutput::TSession::OnWrite(pa_stream* Stream, std::size_t Bytes, void* Self) {
  TSession& S = *static_cast<TSession*>(Self);
  void* Room = nullptr;
  std::size_t Given = Bytes;
  if (pa_stream_begin_write(Stream, &Room, &Given) < 0 || Room == nullptr)
    return;
  const std::size_t Frames = std::min(Given, Bytes) / MixFrameBytes;
  bool Sounded = false;
  {
    const std::lock_guard Hold(S.Lock);
    if (S.Fill != nullptr)
      Sounded = S.Fill(static_cast<std::int16_t*>(Room), Frames);
    else
      std::memset(Room, 0, Frames * MixFrameBytes);
  }
  pa_stream_write(Stream, Room, Frames * MixFrameBytes, nullptr, 0, PA_SEEK_RELATIVE);
  const auto Now = std::chrono::steady_clock::now();
  if (Sounded)
    S.SilentSince = Now;
  else if (!S.Corked.load() && Now - S.SilentSince >= CorkAfter)
    S.Cork(true); // a sound that starts from here on finds the stream paused and wakes it
}

bool TPulseOutput::Want(std::uint32_t Frequency, TFill Fill, TEnded Ended, const char* Name) {
  if (!Session)
    Session = std::make_shared<TSession>();
  TSession& S = *Session;
  {
    const std::lock_guard Hold(S.Lock);
    S.Fill = Fill;
    S.Ended = Ended;
    if (S.Running) {
      S.Wanted.store(true);
      return true;
    }
    if (S.FailedAt && std::chrono::steady_clock::now() - *S.FailedAt < RetryAfter)
      return false;
    S.Frequency = Frequency;
    S.Name = Name;
    S.Limit = Limit;
    S.Reached.reset();
    S.Wanted.store(true);
    S.Running = true;
  }
  // The thread of the last opening has ended, or is at its very end.
  if (Thread.joinable())
    Thread.join();
  try {
    Thread = std::thread(TSession::Run, Session);
  } catch (const std::system_error&) {
    const std::lock_guard Hold(S.Lock);
    S.Wanted.store(false);
    S.Running = false;
    return false;
  }
  return true;
}

bool TPulseOutput::ServerThere(std::chrono::milliseconds Wait) {
  if (!Session)
    return false;
  TSession& S = *Session;
  std::unique_lock Hold(S.Lock);
  S.Changed.wait_for(Hold, Wait, [&S] { return S.Reached.has_value() || !S.Running; });
  return S.Reached.value_or(false);
}

void TPulseOutput::Close() {
  if (!Session)
    return;
  const std::lock_guard Hold(Session->Lock);
  Session->Wanted.store(false);
  if (Session->Loop != nullptr)
    pa_mainloop_wakeup(Session->Loop);
}

bool TPulseOutput::Running() const {
  if (!Session)
    return false;
  const std::lock_guard Hold(Session->Lock);
  return Session->Running;
}

void TPulseOutput::SoundStarted() {
  if (!Session)
    return;
  Session->Started.store(true);
  if (Session->Corked.load()) {
    const std::lock_guard Hold(Session->Lock);
    if (Session->Loop != nullptr)
      pa_mainloop_wakeup(Session->Loop);
  }
}

void TPulseOutput::Finish(std::chrono::milliseconds Wait) {
  if (!Session)
    return;
  TSession& S = *Session;
  bool Ended = true;
  {
    std::unique_lock Hold(S.Lock);
    S.Wanted.store(false);
    if (S.Loop != nullptr)
      pa_mainloop_wakeup(S.Loop);
    Ended = S.Changed.wait_for(Hold, Wait, [&S] { return !S.Running; });
    if (!Ended) {
      S.Fill = nullptr;
      S.Ended = nullptr;
    }
  }
  if (Thread.joinable()) {
    if (Ended)
      Thread.join();
    else
      Thread.detach();
  }
  Session.reset();
}
