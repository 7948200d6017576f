#pragma once

#include "ui/program_files.h"
#include "ui/replay_session.h"

#include <string>

// Everything the program is asked on its command line, read in one place
// before anything else happens: no window, no settings, no data folder.
enum class TCommandAction { Play, Help, Version, Records, Refuse };

struct TCommandLine {
  TCommandAction Action = TCommandAction::Play;
  TReplayOptions Replay;
  int MeasureSeconds = 0; // "--measure SECONDS"; 0 when not asked
  std::string Fault;      // why the line was refused, one line
};

TCommandLine ReadCommandLine(int argc, const char* const* argv);

// What "--help" prints: every option and the files the game uses.
std::string UsageText();
// What "--version" prints: "clankora" and the version.
std::string VersionText();

// Answers a line that asks for no game: help, version and the records on
// standard output (exit code 0; 1 when the records file cannot be read), a refused line with its reason and the usage on standard
// error (exit code 2). Gives -1 for a line that asks to play.
int AnswerWithoutPlaying(const TCommandLine& Line);

// Why "--record PATH" must not be used with these files, or empty when it
// may: the recording would overwrite the settings file (also through a link
// or under another name for the same file), or land in the game's data folder
// or in the records folder (the table, and the recordings behind its records).
std::string RecordPathClash(const std::string& RecordPath, const TAppFiles& Files, const std::string& RecordsDir);

// Says why the game does not start (standard error) and gives exit code 2.
int RefuseToPlay(const std::string& Reason);
