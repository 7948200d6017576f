#pragma once

#include "ui/input_watch.h"

#include <QObject>
#include <QTimer>

#include <cstddef>
#include <cstdint>

class TFrmMain;
class TReplayPlayer;
class TReplayRecorder;

// Tells a recording every key the main window handles and every setting the
// dialog changes. Made once the windows have set the game up: that is the
// start the recording notes. Written to a file, has what the recording holds
// written every couple of seconds, and tells the player once, in a message,
// should it stop before the game ends.
class TRecordingWatch : public TInputWatch {
public:
  TRecordingWatch(TFrmMain& Main, TReplayRecorder& Recorder);
  ~TRecordingWatch() override;
  TRecordingWatch(const TRecordingWatch&) = delete;
  TRecordingWatch& operator=(const TRecordingWatch&) = delete;
  bool KeyDown(std::uint32_t Key) override;
  void SettingChanged(TEventKind Kind, std::int32_t Value) override;
  // Writes the recording to Path as the game goes, a block every couple of
  // seconds; a recording kept only in memory wakes nothing.
  void WriteTo(const std::string& Path);

private:
  TFrmMain& Main;
  TReplayRecorder& Recorder;
  QTimer WriteTimer;
};

// Plays a recording in the main window. The recorded keys and settings reach
// the game where the original took them in: while the game runs, all those
// recorded behind a clock reading at the main loop's next point of input;
// while it does not, one at each dispatch of events, as keys came to the
// window. So the game sees them where the original did.
// The player's own keys do nothing to the game: Escape ends the replay, Pause
// holds it, F held plays it four times as fast. Paced, it keeps the recorded
// clock's pace; unpaced (verifying) it runs as fast as it can.
class TReplayDriver : public QObject, public TInputWatch {
  Q_OBJECT
public:
  TReplayDriver(TFrmMain& Main, TReplayPlayer& Player, bool Paced);
  ~TReplayDriver() override;

  // Sets the game up with the recorded settings and starts handing out the recording.
  void Start();
  // Plays the recording as if the player typed it, after Start: every key and
  // setting handed to the window also reaches Next (the game's own recording),
  // and at the recording's end the driver steps aside and the game goes on as
  // the player's own, keys and all. For tests that need a game won under a
  // real display.
  void Feed(TInputWatch& Next);
  // The replay reached the recording's end with the game following it all the way.
  bool Complete() const;
  bool HeldByPlayer() const { return Held; }
  bool FastForward() const { return Fast; }

  bool KeyDown(std::uint32_t Key) override;
  void AtKeyIntake() override;
  void SettingChanged(TEventKind Kind, std::int32_t Value) override;

protected:
  bool event(QEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void Advanced();
  void Schedule();
  void Step();
  void ScheduleIfDue();
  void Deliver(const TReplayEvent& Input);
  void SwitchSound(bool On);
  void KeepPace();
  void CheckProgress();
  void Stop();
  void StepAside();

  TFrmMain& Main;
  TReplayPlayer& Player;
  TInputWatch* Next = nullptr; // feeding: the game's own recording
  bool Paced;
  bool StepPosted = false;
  bool Ended = false;
  bool Held = false;
  bool Fast = false;
  bool Delivering = false;
  std::uint32_t PacedReading = 0;
  double PaceTarget = 0; // steady-clock milliseconds at which the last reading is due
  std::size_t UsedAtLastCheck = 0;
  int IdleChecks = 0;
};
