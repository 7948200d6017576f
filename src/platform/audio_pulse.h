#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>

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
//
// The server is never waited for by the caller: the sound thread connects,
// opens the stream within a time limit, plays, and ends the stream when it is
// let go; the calls below only ask and return. A server that goes away (it
// ended, or was restarted) or does not answer in time ends the output on its
// own, the game is told, and the next Want opens it anew: at most one opening
// at a time, and none for a moment after one has failed, so that a game whose
// server is gone does not knock at its door at every cue.
//
// The calls come from one thread at a time (the audio layer makes them under
// its lock); the game's callbacks run on the sound thread.
class TPulseOutput {
public:
  // Fills Frames stereo frames. Returns whether anything sounded in them.
  using TFill = bool (*)(std::int16_t* Out, std::size_t Frames);
  // The output has ended without being let go: the server went away or did
  // not answer within the time limit.
  using TEnded = void (*)();

  // An opening not done by then (the server connected and the stream ready)
  // is given up.
  static constexpr std::chrono::milliseconds OpenLimit{1000};
  // After an opening has failed, no other starts for this long.
  static constexpr std::chrono::milliseconds RetryAfter{500};

  TPulseOutput() = default;
  ~TPulseOutput() { Finish(std::chrono::seconds(1)); }
  TPulseOutput(const TPulseOutput&) = delete;
  TPulseOutput& operator=(const TPulseOutput&) = delete;

  // Asks for the output: open already, or the sound thread starts opening it.
  // False when it cannot be asked for now: an opening failed less than
  // RetryAfter ago, or no thread could be started.
  bool Want(std::uint32_t Frequency, TFill Fill, TEnded Ended, const char* Name);
  // Whether a server took the connection of the opening asked for. The
  // answer comes before the server has said a word, so this waits only for
  // the sound thread to try, at most Limit (no answer counts as no server).
  bool ServerThere(std::chrono::milliseconds Limit);
  // Lets the output go; the sound thread ends the stream, then itself.
  void Close();
  // Whether the sound thread runs: the output is open, opening, or closing.
  bool Running() const;
  // A sound has started: a paused stream goes on.
  void SoundStarted();
  // Lets the output go and waits at most Limit for the sound thread to end.
  // One that has not ended by then is left to end on its own, and calls
  // nothing of the game's from then on.
  void Finish(std::chrono::milliseconds Limit);

  // For tests: the openings from the next one on are given up after Limit
  // instead of OpenLimit.
  void SetOpenLimit(std::chrono::milliseconds aLimit) { Limit = aLimit; }

private:
  struct TSession;
  std::shared_ptr<TSession> Session;
  std::thread Thread;
  std::chrono::milliseconds Limit = OpenLimit;
};
