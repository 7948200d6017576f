#include "ui/command_line.h"

#include "platform/app_paths.h"
#include "platform/files.h"
#include "records/record_proofs.h"
#include "records/records_report.h"
#include "records/records_store.h"

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
enum class TOptionId { Record, Replay, Verify, Measure, Records, Help, Version };

struct TOption {
  TOptionId Id;
  std::string_view Long;
  std::string_view Short; // empty when there is none
  std::string_view Value; // what the option takes, empty for a switch
  std::string_view Text;
};

// Every option, in the order the usage lists them.
constexpr TOption Options[] = {
    {TOptionId::Record, "--record", "", "FILE", "play, and write the game to FILE as it goes"},
    {TOptionId::Replay, "--replay", "", "FILE", "play the recording in FILE back in the window"},
    {TOptionId::Verify, "--verify", "", "", "with --replay: replay with no window, at full speed"},
    {TOptionId::Measure, "--measure", "", "SECONDS", "play SECONDS long, print how fast the game ran, end"},
    {TOptionId::Records, "--records", "", "", "print the best escapes kept, for every generator, and end"},
    {TOptionId::Help, "--help", "-h", "", "print this help and end"},
    {TOptionId::Version, "--version", "-V", "", "print the version and end"},
};

constexpr int MaxMeasureSeconds = 86400;

const TOption* FindOption(std::string_view Name) {
  for (const TOption& Spec : Options)
    if (Name == Spec.Long || (!Spec.Short.empty() && Name == Spec.Short))
      return &Spec;
  return nullptr;
}

// An argument quoted for a message, control characters shown as '?' so that
// they cannot rewrite the player's terminal.
std::string Quoted(std::string_view Text) {
  std::string Out = "'";
  for (const char C : Text)
    Out += static_cast<unsigned char>(C) < 0x20 || C == 0x7f ? '?' : C;
  return Out + "'";
}

bool ReadSeconds(std::string_view Text, int& Seconds) {
  if (Text.empty() || Text.size() > 5 || Text.find_first_not_of("0123456789") != std::string_view::npos)
    return false;
  Seconds = std::stoi(std::string(Text));
  return Seconds >= 1 && Seconds <= MaxMeasureSeconds;
}

class TReader {
public:
  TCommandLine Read(int argc, const char* const* argv) {
    for (int I = 1; I < argc && Line.Fault.empty(); ++I)
      Take(argv, argc, I);
    if (Line.Fault.empty())
      Conclude();
    if (!Line.Fault.empty())
      Line.Action = TCommandAction::Refuse;
    return Line;
  }

private:
  void Fail(std::string Reason) {
    if (Line.Fault.empty())
      Line.Fault = std::move(Reason);
  }

  void Take(const char* const* argv, int argc, int& I) {
    std::string_view Arg = argv[I];
    if (Arg.size() < 2 || Arg[0] != '-')
      return Fail("unexpected argument " + Quoted(Arg));
    // "--record=FILE" gives the value in the same argument, also one that starts with '-'.
    std::string_view Value;
    const std::size_t Equals = Arg.find('=');
    const bool Inline = Arg.starts_with("--") && Equals != std::string_view::npos;
    if (Inline) {
      Value = Arg.substr(Equals + 1);
      Arg = Arg.substr(0, Equals);
    }
    const TOption* Spec = FindOption(Arg);
    if (Spec == nullptr)
      return Fail("unknown option " + Quoted(Arg));
    if (Spec->Value.empty()) {
      if (Inline)
        return Fail(std::string(Spec->Long) + " takes no value");
      return Apply(*Spec, {});
    }
    // A following option is never taken for the value: "--record --verify" names no file.
    if (!Inline && I + 1 < argc && !std::string_view(argv[I + 1]).starts_with("-"))
      Value = argv[++I];
    if (Value.empty())
      return Fail(std::string(Spec->Long) + " needs " + std::string(Spec->Value));
    if (Given[static_cast<int>(Spec->Id)])
      return Fail(std::string(Spec->Long) + " is given twice");
    Apply(*Spec, Value);
  }

  void Apply(const TOption& Spec, std::string_view Value) {
    Given[static_cast<int>(Spec.Id)] = true;
    switch (Spec.Id) {
    case TOptionId::Record:
      Line.Replay.RecordPath = Value;
      break;
    case TOptionId::Replay:
      Line.Replay.ReplayPath = Value;
      break;
    case TOptionId::Verify:
      Line.Replay.Verify = true;
      break;
    case TOptionId::Measure:
      if (!ReadSeconds(Value, Line.MeasureSeconds))
        Fail("--measure needs a whole number of seconds from 1 to " + std::to_string(MaxMeasureSeconds) + ", not " +
             Quoted(Value));
      break;
    case TOptionId::Records:
    case TOptionId::Help:
    case TOptionId::Version:
      break;
    }
  }

  // Help and version answer whatever else the line asks; the rest must fit together.
  void Conclude() {
    if (Given[static_cast<int>(TOptionId::Help)]) {
      Line.Action = TCommandAction::Help;
      return;
    }
    if (Given[static_cast<int>(TOptionId::Version)]) {
      Line.Action = TCommandAction::Version;
      return;
    }
    if (Given[static_cast<int>(TOptionId::Records)]) {
      Line.Action = TCommandAction::Records;
      return;
    }
    const TReplayOptions& R = Line.Replay;
    if (!R.RecordPath.empty() && !R.ReplayPath.empty())
      return Fail("--record and --replay cannot be used together");
    if (R.Verify && R.ReplayPath.empty())
      return Fail("--verify needs --replay FILE");
    if (R.Verify && Line.MeasureSeconds > 0)
      return Fail("--measure needs the window, which --verify does without");
  }

  TCommandLine Line;
  bool Given[7] = {};
};

bool SameFile(const fs::path& A, const fs::path& B) {
  struct stat InfoA {};
  struct stat InfoB {};
  if (stat(A.c_str(), &InfoA) == 0 && stat(B.c_str(), &InfoB) == 0)
    return InfoA.st_dev == InfoB.st_dev && InfoA.st_ino == InfoB.st_ino;
  // A file not made yet: the same path, links and ".." resolved, is the same file.
  std::error_code ErrorA, ErrorB;
  const fs::path CanonA = fs::weakly_canonical(A, ErrorA);
  const fs::path CanonB = fs::weakly_canonical(B, ErrorB);
  return !ErrorA && !ErrorB && CanonA == CanonB;
}

// Whether Path is Folder or lies somewhere inside it.
bool IsOrIsInside(const fs::path& Path, const fs::path& Folder) {
  std::error_code Error;
  const fs::path Absolute = fs::absolute(Path, Error);
  fs::path At = Error ? Path : fs::weakly_canonical(Absolute, Error);
  if (Error)
    return false;
  for (;;) {
    if (SameFile(At, Folder))
      return true;
    if (At == At.parent_path())
      return false;
    At = At.parent_path();
  }
}
} // namespace

namespace {
int PrintRecords() {
  const TAppEnvironment Env = CurrentAppEnvironment();
  TRecordsStore Store(RecordsFolder(Env.XdgDataHome, Env.Home));
  if (Store.Folder().empty()) {
    std::fputs("clankora: no folder for the records (neither XDG_DATA_HOME nor HOME is set)\n", stderr);
    return 1;
  }
  const TRecordsTable& Table = Store.Load();
  if (const std::string Notice = Store.TakeNotice(); !Notice.empty())
    std::fprintf(stderr, "%s\n", Notice.c_str());
  const std::string Report =
      RecordsReport(Table, Store.Folder(), [&Store](const TRecord& R) { return FileExists(Store.RecordingPath(R)); },
                    [&Store](const TRecord& R) { return KeptProofState(Store, R); });
  std::fputs(Report.c_str(), stdout);
  return 0;
}
} // namespace

TCommandLine ReadCommandLine(int argc, const char* const* argv) { return TReader().Read(argc, argv); }

std::string UsageText() {
  std::string Text = "Usage: clankora [--record FILE | --replay FILE [--verify]] [--measure SECONDS]\n"
                     "       clankora --records | --help | --version\n\n"
                     "Guide a robot through a yard of falling trash.\n\nOptions:\n";
  for (const TOption& Spec : Options) {
    std::string Names = Spec.Short.empty() ? "    " : std::string(Spec.Short) + ", ";
    Names += std::string(Spec.Long) + (Spec.Value.empty() ? "" : " " + std::string(Spec.Value));
    Text += "  " + Names + std::string(Names.size() < 24 ? 24 - Names.size() : 1, ' ') + std::string(Spec.Text) + "\n";
  }
  return Text + "\nFiles:\n"
                "  sprites/, sounds/       the pictures and sounds: beside the program, in\n"
                "                          ../share/clankora/ from it, or in clankora/ under\n"
                "                          $XDG_DATA_HOME and $XDG_DATA_DIRS\n"
                "  clankora.ini            the settings, beside the program when it keeps its\n"
                "                          pictures there; otherwise\n"
                "                          ~/.config/clankora/clankora.ini ($XDG_CONFIG_HOME)\n"
                "  records, *.rec          the best escapes and their recordings, in\n"
                "                          ~/.local/share/clankora/ ($XDG_DATA_HOME)\n";
}

std::string VersionText() { return std::string("clankora ") + CLANKORA_VERSION + "\n"; }

int AnswerWithoutPlaying(const TCommandLine& Line) {
  switch (Line.Action) {
  case TCommandAction::Play:
    return -1;
  case TCommandAction::Help:
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  case TCommandAction::Version:
    std::fputs(VersionText().c_str(), stdout);
    return 0;
  case TCommandAction::Records:
    return PrintRecords();
  case TCommandAction::Refuse:
    break;
  }
  std::fprintf(stderr, "clankora: %s\n%s", Line.Fault.c_str(), UsageText().c_str());
  return 2;
}

std::string RecordPathClash(const std::string& RecordPath, const TAppFiles& Files, const std::string& RecordsDir) {
  if (RecordPath.empty())
    return {};
  const std::string Named = "cannot record to " + Quoted(RecordPath) + ": ";
  if (SameFile(RecordPath, Files.IniPath))
    return Named + "that is the settings file " + Quoted(Files.IniPath);
  // The game's own folder may be the program's folder too: only the data in it is out of bounds.
  const fs::path Data = Files.Dir;
  if (SameFile(RecordPath, Data) || IsOrIsInside(RecordPath, Data / "sprites") ||
      IsOrIsInside(RecordPath, Data / "sounds"))
    return Named + "that is in the game's data folder " + Quoted(Files.Dir);
  // The records table and the recordings that prove its records.
  if (!RecordsDir.empty() && IsOrIsInside(RecordPath, RecordsDir))
    return Named + "that is in the records folder " + Quoted(RecordsDir);
  return {};
}

int RefuseToPlay(const std::string& Reason) {
  std::fprintf(stderr, "clankora: %s\n", Reason.c_str());
  return 2;
}
