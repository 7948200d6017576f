#include "ui/replay_run.h"

#include "assets/sound.h"
#include "engine/game.h"
#include "platform/message_box.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "shared/app_title.h"
#include "ui/loop_pacer.h"
#include "ui/main_window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <chrono>
#include <thread>

namespace {
const QEvent::Type StepEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
// A longer gap between two readings is a pause of the original game, not worth waiting through.
constexpr std::uint32_t LongestWaitMs = 250;
// Behind by more than this, the replay stops trying to catch up.
constexpr double MostBehindMs = 50;
constexpr int FastFactor = 4;
// The longest rest between looks at the player's keys.
constexpr double LongestRestMs = 5;
// A replay that uses no event for this long waits for something the recording does not give.
constexpr int ProgressCheckMs = 1000;
constexpr int IdleChecksBeforeGivingUp = 3;
// How long a recorded event may wait in memory before it is on disk.
constexpr int RecordingWriteMs = 2000;

double SteadyMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
} // namespace

TRecordingWatch::TRecordingWatch(TFrmMain& aMain, TReplayRecorder& aRecorder) : Main(aMain), Recorder(aRecorder) {
  Recorder.SetStartSettings(static_cast<std::int32_t>(Main.Game->StartHardnessLevel),
                            Main.Game->TrashGeneratorAlgorythmIndex, Main.SoundOn());
  Main.WatchInput(this);
  QObject::connect(&WriteTimer, &QTimer::timeout, [this] { Recorder.WritePending(); });
  // The game may be inside a tick when the recording stops: the message waits for the window's next events.
  Recorder.Stopped = [this](const std::string& Reason) {
    QTimer::singleShot(0, &Main, [Reason] { ShowMessage({AppTitle, Reason, TMessageIcon::Error, false}); });
  };
}

TRecordingWatch::~TRecordingWatch() {
  Recorder.Stopped = nullptr;
  Main.EndWatch(this);
}

void TRecordingWatch::WriteTo(const std::string& Path) {
  Recorder.WriteTo(Path);
  WriteTimer.start(RecordingWriteMs);
}

bool TRecordingWatch::KeyDown(std::uint32_t Key) {
  Recorder.Key(Key);
  return true;
}

void TRecordingWatch::SettingChanged(TEventKind Kind, std::int32_t Value) { Recorder.Setting(Kind, Value); }

TReplayDriver::TReplayDriver(TFrmMain& aMain, TReplayPlayer& aPlayer, bool aPaced)
    : Main(aMain), Player(aPlayer), Paced(aPaced) {}

TReplayDriver::~TReplayDriver() {
  Player.Advanced = nullptr;
  Main.SetLoopRests(true);
  Main.removeEventFilter(this);
  Main.EndWatch(this, Next);
}

void TReplayDriver::Start() {
  Main.WatchInput(this);
  Main.SetLoopRests(false);
  Main.installEventFilter(this);
  connect(&Main, &TFrmMain::Closed, this, [this] { Ended = true; });
  Player.Advanced = [this] { Advanced(); };
  // What the settings dialog does to the game as the program starts.
  TGame& G = *Main.Game;
  G.TrashGeneratorAlgorythmIndex = Player.Header().Generator;
  // The recording holds the passes its loop ran: a game of older rules ran one every millisecond it could.
  G.SkipsQuietMs = RulesSkipQuietMs(Player.Header().RulesVersion);
  G.Init(Player.Header().StartLevel);
  SwitchSound(Player.Header().SoundOn);
  PacedReading = Player.LastReading();
  PaceTarget = SteadyMs();
  auto* Watchdog = new QTimer(this);
  connect(Watchdog, &QTimer::timeout, this, [this] { CheckProgress(); });
  Watchdog->start(ProgressCheckMs);
  Schedule();
}

void TReplayDriver::Feed(TInputWatch& aNext) {
  Next = &aNext;
  Main.WatchInput(this);
  Player.GoOnLive();
}

bool TReplayDriver::Complete() const { return Player.Finished(); }

bool TReplayDriver::KeyDown(std::uint32_t Key) {
  // Only the key being played back passes, once; the player's keys and the
  // window's own queued keys are the recording's to give.
  const bool Pass = Delivering;
  Delivering = false;
  return Pass && (Next == nullptr || Next->KeyDown(Key));
}

void TReplayDriver::SettingChanged(TEventKind Kind, std::int32_t Value) {
  if (Next != nullptr)
    Next->SettingChanged(Kind, Value);
}

void TReplayDriver::Advanced() {
  if (Paced || Player.DueInput() != nullptr || Player.Finished() || !Player.FaultText().empty())
    Schedule();
}

void TReplayDriver::Schedule() {
  if (StepPosted || Ended)
    return;
  StepPosted = true;
  QCoreApplication::postEvent(this, new QEvent(StepEvent));
}

bool TReplayDriver::event(QEvent* Event) {
  if (Event->type() != StepEvent)
    return QObject::event(Event);
  StepPosted = false;
  Step();
  return true;
}

void TReplayDriver::Step() {
  if (Ended)
    return;
  if (Paced)
    KeepPace();
  if (Ended)
    return;
  if (!Player.FaultText().empty() || Player.Finished()) {
    Stop();
    return;
  }
  // A running main loop takes the due keys in itself, right after this dispatch of events.
  if (Main.MainLoopRunning() || Player.DueInput() == nullptr)
    return;
  // Out of the loop the game takes each key as it comes, one dispatch of events each.
  const TReplayEvent Input = Player.TakeInput();
  ScheduleIfDue();
  Deliver(Input);
}

// Every key and setting up to the next clock reading (a key that reads the
// clock brings the next ones due behind its reading), until one pauses the
// game: the keys behind it are taken once the loop has ended.
void TReplayDriver::AtKeyIntake() {
  const TGame& G = *Main.Game;
  while (!Ended && !G.Paused && Player.DueInput() != nullptr)
    Deliver(Player.TakeInput());
  ScheduleIfDue();
}

void TReplayDriver::ScheduleIfDue() {
  if (Player.DueInput() != nullptr || Player.Finished())
    Schedule();
}

void TReplayDriver::Deliver(const TReplayEvent& Input) {
  TGame& G = *Main.Game;
  const auto Value = static_cast<std::int32_t>(static_cast<std::uint32_t>(Input.Value));
  switch (Input.Kind) {
  case TEventKind::Key:
    Delivering = true;
    Main.FormKeyDown(static_cast<std::uint32_t>(Input.Value));
    Delivering = false;
    break;
  case TEventKind::StartLevel: G.StartHardnessLevel = static_cast<std::uint32_t>(Value); break;
  case TEventKind::Generator: G.TrashGeneratorAlgorythmIndex = Value; break;
  case TEventKind::NewGame: G.Init(Value); break;
  case TEventKind::Sound: SwitchSound(Value != 0); break;
  default: return;
  }
  if (IsSetting(Input.Kind))
    SettingChanged(Input.Kind, Value);
}

void TReplayDriver::SwitchSound(bool On) {
  Main.SetSoundOn(On);
}

void TReplayDriver::KeepPace() {
  const std::uint32_t Reading = Player.LastReading();
  const std::uint32_t Gap = std::min(static_cast<std::uint32_t>(Reading - PacedReading), LongestWaitMs);
  PacedReading = Reading;
  PaceTarget += static_cast<double>(Gap) / (Fast ? FastFactor : 1);
  PaceTarget = std::max(PaceTarget, SteadyMs() - MostBehindMs);
  // Events are handled while waiting, so the window repaints and the player's
  // keys work; held, the replay sleeps until the key that lets it go.
  for (;;) {
    TLoopPacer::DispatchHandedOut(Held);
    const double Now = SteadyMs();
    if (Held)
      PaceTarget = Now;
    if (Ended || (!Held && Now >= PaceTarget))
      return;
    if (!Held)
      std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(std::min(PaceTarget - Now, LongestRestMs)));
  }
}

void TReplayDriver::CheckProgress() {
  if (Ended || Held || StepPosted || Player.Used() != UsedAtLastCheck) {
    UsedAtLastCheck = Player.Used();
    IdleChecks = 0;
    return;
  }
  if (++IdleChecks < IdleChecksBeforeGivingUp)
    return;
  Player.Abandon("the game waits for something it does not hold (the recording does not match this game)");
  Stop();
}

void TReplayDriver::Stop() {
  if (Ended)
    return;
  if (Next != nullptr)
    return StepAside();
  Ended = true;
  Main.close();
}

void TReplayDriver::StepAside() {
  Ended = true;
  if (!Player.FaultText().empty())
    std::fprintf(stderr, "%s\n", Player.FaultText().c_str());
  Main.removeEventFilter(this);
  Main.SetLoopRests(true);
  Main.EndWatch(this, Next);
  Next = nullptr;
}

bool TReplayDriver::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched != &Main || (Event->type() != QEvent::KeyPress && Event->type() != QEvent::KeyRelease))
    return QObject::eventFilter(Watched, Event);
  const auto* Key = static_cast<QKeyEvent*>(Event);
  const bool Press = Event->type() == QEvent::KeyPress;
  switch (Key->key()) {
  case Qt::Key_Escape:
    if (Press)
      Stop();
    return true;
  case Qt::Key_Pause:
  case Qt::Key_P:
    if (Press && !Key->isAutoRepeat())
      Held = !Held;
    return true;
  case Qt::Key_F:
    if (!Key->isAutoRepeat())
      Fast = Press;
    return true;
  default:
    // Neither the player's keys nor those the window queues for itself (a
    // resume after Pause): the recording holds the ones the game handled.
    return Press;
  }
}
