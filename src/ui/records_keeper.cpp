#include "ui/records_keeper.h"

#include "engine/game.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "replay/outcome.h"
#include "replay/recorder.h"
#include "ui/image_scr.h"
#include "ui/main_window.h"
#include "ui/record_proof.h"
#include "ui/records_screen.h"

#include <QCoreApplication>

#include <cstdio>
#include <ctime>

namespace {
// A win is seen this soon; while no game runs the watch sleeps, so a paused game wakes nothing.
constexpr int LookMs = 200;
} // namespace

std::string RecordNote(std::size_t Place) {
  if (Place == 1)
    return "New record!";
  static const char* const Ordinals[] = {"", "", "2nd", "3rd", "4th", "5th", "6th", "7th", "8th", "9th", "10th"};
  return std::string("Your ") + Ordinals[Place < 11 ? Place : 10] + " best escape";
}

TRecordsKeeper::TRecordsKeeper(TFrmMain& aMain, TReplayRecorder& aRecorder, TInputWatch* aNext,
                               const std::string& Folder)
    : Main(aMain), Recorder(aRecorder), Next(aNext), Records(Folder),
      Proofs(Records, QCoreApplication::applicationFilePath().toStdString()),
      Shown(new TRecordsScreen(aMain, Records)) {
  Prove = [this](const std::vector<std::uint8_t>& Recording) { return ReplayInside(Main, Recording, TReplayView::Hidden); };
  Now = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
  Main.WatchInput(this);
  connect(&Main, &TFrmMain::RecordsAsked, this, [this] {
    Shown->Open();
    Proofs.CheckTable();
  });
  Shown->ProofOf = [this](const TRecord& Record) { return Proofs.StateOf(Record); };
  connect(&Proofs, &TRecordChecker::Changed, Shown, [this] { Shown->update(); });
  Shown->Replay = [this](const TRecord& Record) { ReplayRecord(Record); };
  connect(&Watch, &QTimer::timeout, this, [this] { Look(); });
  Watch.start(LookMs);
}

TRecordsKeeper::~TRecordsKeeper() {
  Main.EndWatch(this, Next);
}

bool TRecordsKeeper::KeyDown(std::uint32_t Key) {
  // The records screen has the keyboard; a pad's presses wait for the game.
  if (Shown->IsOpen())
    return false;
  switch (Key) {
  case vkF5: NewGame(); break;
  case vkAdd:
  case vkSubtract:
  case vkF7: Counts = false; break;
  default: break;
  }
  // A key may start or resume the game: the watch looks again.
  if (!Watch.isActive())
    Watch.start(LookMs);
  return Next == nullptr || Next->KeyDown(Key);
}

void TRecordsKeeper::SettingChanged(TEventKind Kind, std::int32_t Value) {
  if (Kind == TEventKind::NewGame)
    NewGame();
  if (Next != nullptr)
    Next->SettingChanged(Kind, Value);
}

void TRecordsKeeper::NewGame() {
  Counts = true;
  Looked = false;
}

void TRecordsKeeper::Look() {
  const TGame& G = *Main.Game;
  if (G.Stopped && !Looked) {
    Looked = true;
    if (G.Lives == TGame::WonLives && Counts)
      KeepWin();
  }
  if (G.Paused || G.Stopped)
    Watch.stop();
}

void TRecordsKeeper::KeepWin() {
  TGame& G = *Main.Game;
  TRecord Record;
  Record.StartLevel = static_cast<std::int32_t>(G.StartHardnessLevel);
  Record.Generator = G.TrashGeneratorAlgorythmIndex;
  Record.Ticks = G.TickCount;
  Record.Lives = G.LivesAtEscape;
  Record.PlayedMs = G.PlayedMs;
  Record.Date = Now();
  Record.Rules = Recorder.Header().RulesVersion;
  Record.Outcome = OutcomeLine(G);
  Records.Load();
  if (const std::string Notice = Records.TakeNotice(); !Notice.empty())
    Tell(Notice);
  if (Records.Table().PlaceOf(Record) == 0)
    return;
  const std::vector<std::uint8_t> Recording = Recorder.SoFar();
  if (Recording.empty())
    return Tell("The escape is not kept as a record: the game stopped recording (" + Recorder.Fault() + ")");
  const TProof Proof = Prove(Recording);
  if (Proof.Line != Record.Outcome)
    return Tell("The escape is not kept as a record: its recording does not replay to \"" + Record.Outcome + "\" (" +
                (Proof.Fault.empty() ? "it gives \"" + Proof.Line + "\"" : Proof.Fault) + ")");
  const std::size_t Place = Records.Add(Record, Recording);
  if (Place == 0) {
    if (!Records.Fault().empty())
      Tell(Records.Fault());
    return;
  }
  for (const TRecord& Kept : Records.Table().All())
    if (Kept.File == Records.Table().Newest)
      Proofs.NoteGenuine(Kept, Recording);
  G.WinNote = RecordNote(Place);
  G.Render();
  Main.Screen().CopyFrom(*G.Scr);
}

void TRecordsKeeper::ReplayRecord(const TRecord& Record) {
  std::vector<unsigned char> Recording;
  const std::string Path = Records.RecordingPath(Record);
  if (ReadRegularFile(Path, MaxRecordedEventBytes * 2, Recording).Kind != TFileRead::Ok)
    return Tell("The record's recording \"" + Path + "\" cannot be read.");
  // Ended by the player's Escape or at its end, the replay says nothing; a recording the game cannot follow is told.
  const TProof Replayed = ReplayInside(Main, Recording, TReplayView::Shown);
  if (!Replayed.Fault.empty() && Replayed.Fault.find("stopped before its end") == std::string::npos)
    Tell(Replayed.Fault);
}

void TRecordsKeeper::Tell(const std::string& Text) const { std::fprintf(stderr, "%s\n", Text.c_str()); }
