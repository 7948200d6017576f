#include "ui/record_proof.h"

#include "engine/game.h"
#include "platform/random.h"
#include "replay/outcome.h"
#include "replay/player.h"
#include "shared/app_title.h"
#include "ui/borrowed_state.h"
#include "ui/main_window.h"
#include "ui/program.h"
#include "ui/replay_run.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>

#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

namespace {
const std::string ProofName = "the record's recording";

bool IsInput(QEvent::Type Type) {
  switch (Type) {
  case QEvent::KeyPress:
  case QEvent::KeyRelease:
  case QEvent::ShortcutOverride:
    return true;
  default:
    return false;
  }
}

// Keeps the keys meant for the player's windows from them while a replay
// runs inside the game: they are the replay's (Escape ends it), and a key
// handed over afterwards would act on a game the player no longer sees.
class TInputHold : public QObject {
public:
  explicit TInputHold(QWidget& aSpared) : Spared(aSpared) { QCoreApplication::instance()->installEventFilter(this); }
  ~TInputHold() override { QCoreApplication::instance()->removeEventFilter(this); }
  TInputHold(const TInputHold&) = delete;
  TInputHold& operator=(const TInputHold&) = delete;

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    auto* Widget = qobject_cast<QWidget*>(Watched);
    return Widget != nullptr && IsInput(Event->type()) && Widget != &Spared && !Spared.isAncestorOf(Widget);
  }

private:
  QWidget& Spared;
};

// A folder for the hidden window's settings, removed with it.
class TScratchFolder {
public:
  TScratchFolder() {
    std::error_code Error;
    std::string Pattern = (std::filesystem::temp_directory_path(Error) / "clankora-proof-XXXXXX").string();
    if (!Error && mkdtemp(Pattern.data()) != nullptr)
      Path = Pattern;
  }
  ~TScratchFolder() {
    std::error_code Ignored;
    if (!Path.empty())
      std::filesystem::remove_all(Path, Ignored);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  std::string Path;
};

// The replay's window opens as large as the player's, where the player's is.
void WriteView(const TFrmMain& Main, const std::string& IniPath) {
  std::ofstream(IniPath) << "[" << AppTitle << "]\nZoom=" << Main.Zoom() << "\nTop=" << Main.y()
                         << "\nLeft=" << Main.x() << "\nFullScreen=" << (Main.FullScreenShown() ? 1 : 0) << "\n";
}

TProof Follow(TFrmMain& Main, TFrmMain& Replayed, TReplayPlayer& Player, TReplayView View) {
  TReplayDriver Driver(Replayed, Player, View == TReplayView::Shown);
  QEventLoop Loop;
  QObject::connect(&Replayed, &TFrmMain::Closed, &Loop, &QEventLoop::quit, Qt::QueuedConnection);
  Driver.Start();
  if (View == TReplayView::Shown) {
    Replayed.show();
    Replayed.activateWindow();
    Main.hide();
  }
  Loop.exec();
  if (View == TReplayView::Shown) {
    Main.show();
    Main.activateWindow();
  }
  if (!Player.FaultText().empty())
    return {{}, Player.FaultText()};
  if (!Driver.Complete() || Player.EndsEarly())
    return {{}, ReplayFault(ProofName, "the replay stopped before its end")};
  return {OutcomeLine(*Replayed.Game), {}};
}
} // namespace

TReplayedFigures FiguresOf(const TGame& G) {
  return {OutcomeLine(G), G.TickCount, G.LivesAtEscape, G.PlayedMs, static_cast<std::int32_t>(G.StartHardnessLevel),
          G.TrashGeneratorAlgorythmIndex};
}

TProof ReplayInside(TFrmMain& Main, const std::vector<std::uint8_t>& Recording, TReplayView View) {
  TRecording Decoded;
  try {
    Decoded = DecodeRecording(Recording, ProofName);
  } catch (const EReplayError& Error) {
    return {{}, Error.what()};
  }
  TScratchFolder Scratch;
  if (Scratch.Path.empty())
    return {{}, "No folder for the replay's settings can be made."};
  // Made first, given back last: everything the replay's window changes.
  const TBorrowedState Borrowed;
  const std::string IniPath = Scratch.Path + "/replay.ini";
  if (View == TReplayView::Shown)
    WriteView(Main, IniPath);
  TReplayPlayer Player(std::move(Decoded), ProofName);
  Randomize(); // the program's first seed, as it starts
  // As "--replay" makes it: no sound module, no settings dialog.
  TProgram Replayed;
  AssembleProgram(Replayed, TAppFiles{Main.DataDir(), IniPath, {}}, {.Sound = false, .Settings = false});
  if (!Replayed.Main->Game)
    return {{}, "The game's pictures cannot be loaded."};
  const TInputHold Hold(*Replayed.Main);
  return Follow(Main, *Replayed.Main, Player, View);
}
