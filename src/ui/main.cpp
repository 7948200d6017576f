#include "platform/app_paths.h"
#include "platform/random.h"
#include "records/records_store.h"
#include "ui/app_icon.h"
#include "ui/app_info.h"
#include "ui/command_line.h"
#include "ui/main_window.h"
#include "ui/program.h"
#include "ui/measure.h"
#include "ui/replay_session.h"
#include "ui/termination.h"

#include <QApplication>

#include <cstdlib>
#include <memory>

int main(int argc, char** argv) {
  // Help, the version and a line that cannot be followed end here: no window, no settings.
  const TCommandLine Line = ReadCommandLine(argc, argv);
  if (const int Answered = AnswerWithoutPlaying(Line); Answered >= 0)
    return Answered;
  const TAppFiles Files = ProgramFiles();
  // The end-to-end tests win a game under a real display by feeding it a won game's recording.
  TReplayOptions Asked = Line.Replay;
  if (const char* Feed = std::getenv("CLANKORA_FEED_RECORDING"); Feed != nullptr && *Feed != 0)
    Asked.FeedPath = Feed;
  const TAppEnvironment Env = CurrentAppEnvironment();
  if (const std::string Clash =
          RecordPathClash(Line.Replay.RecordPath, Files, RecordsFolder(Env.XdgDataHome, Env.Home));
      !Clash.empty())
    return RefuseToPlay(Clash);
  TReplaySession Replay(Asked); // before the first seed: a recording keeps it, a replay gives it
  Randomize();
  // Pictures go to the X server through its socket. Through shared memory, Qt
  // waits for the server before it paints again where it has just sent a
  // picture: one more wake-up of the game and of its X thread for many of the
  // pictures, where the game sends only the few cells that changed.
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
    qputenv("QT_XCB_NO_MITSHM", "1");
  QApplication App(argc, argv);
  // The title "Tinvell: 01h" names the settings section and the messages; the
  // desktop knows the program by its file name.
  SetAppIdentity();
  // The settings dialog may still be open when the main window closes: the program ends all the same.
  QApplication::setQuitOnLastWindowClosed(false);

  if (Replay.Refused())
    return 1;
  TProgram Program;
  // A replayed or fed game has no settings dialog: its settings are the recording's.
  AssembleProgram(Program, Replay.Files(Files),
                  {.Sound = !Replay.Verifying(), .Settings = !Replay.Replaying() && !Replay.Feeding()});
  const std::unique_ptr<TFrmMain>& Main = Program.Main;
  const auto EndRun = [&] { ReleaseProgram(Program); };

  // Damaged or missing game files end the program as a failure.
  int Result = Main->Game && !Main->EndRequested() ? 0 : 1;
  if (!Main->EndRequested()) {
    QObject::connect(Main.get(), &TFrmMain::Closed, &App, &QCoreApplication::quit, Qt::QueuedConnection);
    CloseOnTerminationSignals([&Main] { Main->close(); });
    MeasureWhenAsked(Line.MeasureSeconds, *Main);
    Replay.Begin(*Main);
    if (!Replay.Verifying())
      Main->show();
    SaveOnSuddenExit([&] {
      Replay.End(*Main, 1);
      EndRun();
    });
    Result = Replay.End(*Main, QApplication::exec());
    SaveOnSuddenExit(nullptr);
  }
  EndRun();
  return Result;
}
