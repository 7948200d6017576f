#pragma once

#include "ui/program_files.h"

#include <memory>
#include <string>

class TFrmMain;
class TReplayDriver;
class TReplayPlayer;
class TReplayRecorder;
class TRecordingWatch;
class TRecordsKeeper;
class TMessageSink;

// What the command line asks of a recording or a replay (see ui/command_line.h).
struct TReplayOptions {
  std::string RecordPath;
  std::string ReplayPath;
  bool Verify = false;
  // A recording whose keys the game plays as if the player typed them, its
  // clock and seeds too, then goes on as the player's own game: a won game
  // this way is a record like any other. For tests that need a game won under
  // a real display; set by the environment (see main), never on the command line.
  std::string FeedPath;
};

// A recording or a replay for the length of the program. Made first thing in
// main, before the random generator's first seed: a recording keeps that seed,
// a replay gives it back. A game that is not a replay is always recorded, in
// memory (and to the file "--record" names): a won game's recording is the
// proof its record keeps. A replay reads its file here and, verifying, asks
// for no display and sends messages to standard error.
class TReplaySession {
public:
  explicit TReplaySession(const TReplayOptions& Asked);
  ~TReplaySession();
  TReplaySession(const TReplaySession&) = delete;
  TReplaySession& operator=(const TReplaySession&) = delete;

  bool Replaying() const { return !Options.ReplayPath.empty(); }
  bool Feeding() const { return !Replaying() && !Options.FeedPath.empty(); }
  bool Verifying() const { return Replaying() && Options.Verify; }
  // A replay or recording that cannot start: says what is wrong with the file
  // (a message box, or standard error when verifying) and gives true.
  bool Refused();
  // The program's files; a replay keeps the player's settings file out of its way.
  TAppFiles Files(const TAppFiles& Program) const;
  // Once the windows have set the game up: a recording notes the start, a replay starts.
  void Begin(TFrmMain& Main);
  // After the window closed: writes the recording and prints the outcome line;
  // a replay prints it when it reached its end, or says what went wrong.
  // Gives the program's exit code.
  int End(TFrmMain& Main, int Result);

private:
  void Tell(const std::string& Text) const;
  int Conclude(TFrmMain& Main, int Result);

  TReplayOptions Options;
  std::string LoadFault;
  std::string ScratchDir;
  std::unique_ptr<TMessageSink> ErrorSink;
  std::unique_ptr<TReplayRecorder> Recorder;
  std::unique_ptr<TRecordingWatch> RecordWatch;
  std::unique_ptr<TRecordsKeeper> Keeper;
  std::unique_ptr<TReplayPlayer> Player;
  std::unique_ptr<TReplayDriver> Driver;
};
