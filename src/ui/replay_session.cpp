#include "ui/replay_session.h"

#include "engine/game.h"
#include "platform/app_paths.h"
#include "platform/message_box.h"
#include "replay/outcome.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "shared/app_title.h"
#include "ui/main_window.h"
#include "ui/record_checker.h"
#include "ui/record_proof.h"
#include "ui/records_keeper.h"
#include "ui/replay_run.h"

#include <QtGlobal>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace {
// Verifying shows no window: what would be a message box goes to standard error.
class TErrorStream : public TMessageSink {
public:
  void Show(const TMessage& Message) override {
    std::string Text = Message.Text;
    for (std::size_t At; (At = Text.find("\r\n")) != std::string::npos;)
      Text.replace(At, 2, "\n");
    std::fprintf(stderr, "%s\n", Text.c_str());
  }
};

// Whether the recording can be written there when the game ends, checked
// without leaving anything behind should the game not start.
bool MayRecordTo(const std::string& Path) {
  struct stat Info {};
  if (stat(Path.c_str(), &Info) == 0)
    return S_ISREG(Info.st_mode) && access(Path.c_str(), W_OK) == 0;
  if (errno != ENOENT)
    return false;
  const std::filesystem::path Folder = std::filesystem::path(Path).parent_path();
  return access(Folder.empty() ? "." : Folder.c_str(), W_OK | X_OK) == 0;
}

void PrintOutcome(const TFrmMain& Main, const char* Note = "") {
  std::printf("%s%s\n", OutcomeLine(*Main.Game).c_str(), Note);
  std::fflush(stdout);
}

// Verifying shows nothing: the window system's remarks on zoom and full screen are no fault of the recording.
void QuietWindowSystem(QtMsgType Type, const QMessageLogContext&, const QString& Text) {
  if (Type != QtWarningMsg && Type != QtInfoMsg && Type != QtDebugMsg)
    std::fprintf(stderr, "%s\n", Text.toLocal8Bit().constData());
}
} // namespace

TReplaySession::TReplaySession(const TReplayOptions& Asked) : Options(Asked) {
  if (Verifying()) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(QuietWindowSystem);
    ErrorSink = std::make_unique<TErrorStream>();
    SetMessageSink(ErrorSink.get());
  }
  if (Replaying()) {
    try {
      Player = std::make_unique<TReplayPlayer>(ReadRecording(Options.ReplayPath), Options.ReplayPath);
    } catch (const EReplayError& Error) {
      LoadFault = Error.what();
    }
    // Where the replayed window stood, and its sound switch, are no setting of
    // the player's: they go to a folder of the replay's own.
    std::error_code Error;
    std::string Pattern = (std::filesystem::temp_directory_path(Error) / "clankora-replay-XXXXXX").string();
    if (!Error && mkdtemp(Pattern.data()) != nullptr)
      ScratchDir = Pattern;
    else if (LoadFault.empty())
      LoadFault = "Cannot replay \"" + Options.ReplayPath + "\": no folder for its settings can be made.";
    return;
  }
  // A recording that could not be written would lose the whole game: try now.
  if (!Options.RecordPath.empty() && !MayRecordTo(Options.RecordPath)) {
    LoadFault = "Cannot record to \"" + Options.RecordPath + "\": the file cannot be written.";
    return;
  }
  // A fed game's recorder takes the fed clock and seeds as the game reads them.
  if (Feeding()) {
    try {
      Player = std::make_unique<TReplayPlayer>(ReadRecording(Options.FeedPath), Options.FeedPath);
    } catch (const EReplayError& Error) {
      LoadFault = Error.what();
      return;
    }
  }
  Recorder = std::make_unique<TReplayRecorder>();
}

TReplaySession::~TReplaySession() {
  // Each restores the clock and seeds it replaced: a fed game's recorder stands on its player.
  Driver.reset();
  Keeper.reset();
  RecordWatch.reset();
  Recorder.reset();
  Player.reset();
  if (ErrorSink)
    SetMessageSink(nullptr);
  if (!ScratchDir.empty()) {
    std::error_code Ignored;
    std::filesystem::remove_all(ScratchDir, Ignored);
  }
}

void TReplaySession::Tell(const std::string& Text) const {
  ShowMessage({AppTitle, Text, TMessageIcon::Error, false});
}

bool TReplaySession::Refused() {
  if (LoadFault.empty())
    return false;
  Tell(LoadFault);
  return true;
}

TAppFiles TReplaySession::Files(const TAppFiles& Program) const {
  if (!Replaying())
    return Program;
  return {Program.Dir, ScratchDir + "/replay.ini"};
}

void TReplaySession::Begin(TFrmMain& Main) {
  if (!Main.Game)
    return;
  if (Player) {
    Driver = std::make_unique<TReplayDriver>(Main, *Player, !Verifying() && !Feeding());
    Driver->Start(); // the recorded settings first: the game's own recording starts with them
  } else {
    // Only a game played live reads the steady clock the loop gathers by.
    Main.GatherPasses(TLoopPacer::LiveGatherMs);
  }
  if (Recorder) {
    RecordWatch = std::make_unique<TRecordingWatch>(Main, *Recorder);
    if (!Options.RecordPath.empty())
      RecordWatch->WriteTo(Options.RecordPath);
    else
      Recorder->Stopped = nullptr; // only the records need it, and they say so themselves
    const TAppEnvironment Env = CurrentAppEnvironment();
    if (const std::string Folder = RecordsFolder(Env.XdgDataHome, Env.Home); !Folder.empty())
      Keeper = std::make_unique<TRecordsKeeper>(Main, *Recorder, RecordWatch.get(), Folder);
    if (Driver)
      Driver->Feed(Keeper ? static_cast<TInputWatch&>(*Keeper) : *RecordWatch);
  }
}

int TReplaySession::End(TFrmMain& Main, int Result) {
  // A fed game's driver stands in front of the recording's watches.
  if (Feeding())
    Driver.reset();
  const int Code = Conclude(Main, Result);
  // Nothing watches the window any more: it is released before this session.
  Driver.reset();
  Keeper.reset();
  RecordWatch.reset();
  return Code;
}

int TReplaySession::Conclude(TFrmMain& Main, int Result) {
  if (!Main.Game)
    return Result;
  if (Recorder) {
    Keeper.reset();
    RecordWatch.reset();
    Recorder->Finish();
    if (Options.RecordPath.empty())
      return Result;
    PrintOutcome(Main);
    if (Recorder->Fault().empty())
      return Result;
    std::fprintf(stderr, "%s\n", Recorder->Fault().c_str());
    return Result != 0 ? Result : 1;
  }
  if (!Driver)
    return Result;
  if (!Player->FaultText().empty()) {
    Tell(Player->FaultText());
    return Result != 0 ? Result : 1;
  }
  if (Driver->Complete() && Player->EndsEarly()) {
    Tell("The recording \"" + Options.ReplayPath + "\" ends early (it was cut short): the replay stopped at its end.");
    PrintOutcome(Main, " (cut short)");
    return Verifying() && Result == 0 ? 1 : Result;
  }
  if (Driver->Complete()) {
    PrintOutcome(Main);
    // The records keeper asks for the game's own figures, to compare with what a record claims.
    if (Verifying() && qEnvironmentVariable(ProofFiguresVariable) == "1")
      std::printf("%s\n", FiguresLine(FiguresOf(*Main.Game)).c_str());
    return Result;
  }
  if (Verifying()) {
    Tell(ReplayFault(Options.ReplayPath, "the replay stopped before its end"));
    return Result != 0 ? Result : 1;
  }
  return Result; // the player ended the replay early
}
