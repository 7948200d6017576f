#include "assets/sound.h"
#include "platform/random.h"
#include "ui/app_icon.h"
#include "ui/app_info.h"
#include "ui/command_line.h"
#include "ui/main_window.h"
#include "ui/measure.h"
#include "ui/replay_options.h"
#include "ui/settings_dialog.h"
#include "ui/termination.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
  // Help, the version and a line that cannot be followed end here: no window, no settings.
  const TCommandLine Line = ReadCommandLine(argc, argv);
  if (const int Answered = AnswerWithoutPlaying(Line); Answered >= 0)
    return Answered;
  const TAppFiles Files = ProgramFiles();
  if (const std::string Clash = RecordPathClash(Line.Replay.RecordPath, Files); !Clash.empty())
    return RefuseToPlay(Clash);
  TReplaySession Replay(Line.Replay); // before the first seed: a recording keeps it, a replay gives it
  Randomize();
  QApplication App(argc, argv);
  // The title "Tinvell: 01h" names the settings section and the messages; the
  // desktop knows the program by its file name.
  SetAppIdentity();
  // The settings dialog may still be open when the main window closes: the program ends all the same.
  QApplication::setQuitOnLastWindowClosed(false);

  if (Replay.Refused())
    return 1;
  auto Main = std::make_unique<TFrmMain>(Replay.Files(Files));
  // Without its pictures there is nothing to play, and nothing to hear: one message is enough.
  const bool Silent = Replay.Verifying() || !Main->Game;
  auto DM = Silent ? nullptr : std::make_unique<TDM>(Main->IniF.get(), Main->AppPath + "/sounds/");
  Main->DM = DM.get();
  std::unique_ptr<TFrmSettings> Settings;
  if (Main->Game && !Replay.Replaying()) {
    Settings = std::make_unique<TFrmSettings>(*Main, *Main->Game, Main->IniF.get(), DM.get());
    Main->Settings = Settings.get();
  }

  const auto EndRun = [&] { ReleaseProgram(Main, DM, Settings); };

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
