#include "ui/record_proof.h"

#include "engine/game.h"
#include "platform/gamepad.h"
#include "platform/message_box_qt.h"
#include "platform/random.h"
#include "replay/outcome.h"
#include "replay/player.h"
#include "ui/key_map.h"
#include "ui/main_window.h"
#include "ui/replay_run.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

#include <cstdlib>
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

// Holds back the keys meant for the player's windows while the proof runs,
// and hands them over, in order, once it is done.
class TInputHold : public QObject {
public:
  explicit TInputHold(QWidget& aSpared) : Spared(aSpared) { QCoreApplication::instance()->installEventFilter(this); }
  ~TInputHold() override {
    QCoreApplication::instance()->removeEventFilter(this);
    for (auto& [Target, Event] : Held)
      if (Target != nullptr)
        QCoreApplication::postEvent(Target, Event.release());
  }
  TInputHold(const TInputHold&) = delete;
  TInputHold& operator=(const TInputHold&) = delete;

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    auto* Widget = qobject_cast<QWidget*>(Watched);
    if (Widget == nullptr || !IsInput(Event->type()) || Widget == &Spared || Spared.isAncestorOf(Widget))
      return false;
    Held.emplace_back(Widget, std::unique_ptr<QEvent>(Event->clone()));
    return true;
  }

private:
  QWidget& Spared;
  std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> Held;
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

TProof Follow(TFrmMain& Hidden, TReplayPlayer& Player) {
  TReplayDriver Driver(Hidden, Player, false);
  QEventLoop Loop;
  QObject::connect(&Hidden, &TFrmMain::Closed, &Loop, &QEventLoop::quit, Qt::QueuedConnection);
  Driver.Start();
  Loop.exec();
  if (!Player.FaultText().empty())
    return {{}, Player.FaultText()};
  if (!Driver.Complete() || Player.EndsEarly())
    return {{}, ReplayFault(ProofName, "the replay stopped before its end")};
  return {OutcomeLine(*Hidden.Game), {}};
}
} // namespace

TProof ReplayWithoutWindow(TFrmMain& Main, const std::vector<std::uint8_t>& Recording) {
  TRecording Decoded;
  try {
    Decoded = DecodeRecording(Recording, ProofName);
  } catch (const EReplayError& Error) {
    return {{}, Error.what()};
  }
  TScratchFolder Scratch;
  if (Scratch.Path.empty())
    return {{}, "No folder for the replay's settings can be made."};
  const std::string Draws = RandomState();
  TProof Proof;
  {
    TReplayPlayer Player(std::move(Decoded), ProofName);
    Randomize(); // the program's first seed, as it starts
    TFrmMain Hidden(TAppFiles{Main.AppPath, Scratch.Path + "/replay.ini", {}});
    const TInputHold Hold(Hidden);
    Proof = Hidden.Game ? Follow(Hidden, Player) : TProof{{}, "The game's pictures cannot be loaded."};
  }
  SetRandomState(Draws);
  SetMessageOwnerWindow(&Main);
  UseKeyBindings(&Main.Keys);
  GamepadSetButtonKeys(Main.PadKeys.Codes);
  return Proof;
}
