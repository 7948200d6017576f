#include "ui/record_checker.h"

#include "records/records_store.h"

#include <QProcessEnvironment>

#include <algorithm>
#include <utility>


TRecordChecker::TRecordChecker(TRecordsStore& aStore, std::string aProgram)
    : Program(std::move(aProgram)), Store(aStore), Proofs(aStore.Folder() + "/proofs") {
  Limit.setSingleShot(true);
  connect(&Limit, &QTimer::timeout, this, [this] {
    if (Process != nullptr)
      Process->kill();
  });
}

TRecordChecker::~TRecordChecker() {
  if (Process == nullptr)
    return;
  Process->disconnect(this);
  Process->kill();
  Process->waitForFinished(2000);
  delete Process;
}

TProofState TRecordChecker::StateOf(const TRecord& Record) const {
  if (Process != nullptr && Checked.File == Record.File)
    return TProofState::Checking;
  if (std::any_of(Waiting.begin(), Waiting.end(), [&](const TRecord& R) { return R.File == Record.File; }))
    return TProofState::Checking;
  const auto Key = Keys.find(Record.File);
  return Key == Keys.end() ? TProofState::Unproven : Proofs.Verdict(Key->second);
}

void TRecordChecker::CheckTable() {
  Proofs.Load();
  Keys.clear();
  Waiting.clear();
  for (const TRecord& Record : Store.Table().All()) {
    std::vector<unsigned char> Recording;
    if (!ReadProvableRecording(Store, Record, Recording))
      continue;
    const std::string Key = ProofKey(Record, Recording);
    Keys[Record.File] = Key;
    const bool Running = Process != nullptr && Checked.File == Record.File;
    if (Proofs.Verdict(Key) == TProofState::Unproven && !Running)
      Waiting.push_back(Record);
  }
  StartNext();
  emit Changed();
}

void TRecordChecker::NoteGenuine(const TRecord& Record, const std::vector<unsigned char>& Recording) {
  const std::string Key = ProofKey(Record, Recording);
  Keys[Record.File] = Key;
  Proofs.Load();
  Proofs.Keep(Key, TProofState::Genuine, CurrentKeys());
}

std::vector<std::string> TRecordChecker::CurrentKeys() const {
  std::vector<std::string> Current;
  for (const TRecord& R : Store.Table().All())
    if (const auto Key = Keys.find(R.File); Key != Keys.end())
      Current.push_back(Key->second);
  return Current;
}

void TRecordChecker::StartNext() {
  if (Process != nullptr || Waiting.empty())
    return;
  Checked = Waiting.front();
  Waiting.pop_front();
  Process = new QProcess(this);
  QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
  Env.insert(ProofFiguresVariable, "1");
  Process->setProcessEnvironment(Env);
  Process->setProcessChannelMode(QProcess::SeparateChannels);
  connect(Process, &QProcess::finished, this, [this] { Finish(true); });
  connect(Process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError Error) {
    if (Error == QProcess::FailedToStart)
      Finish(false);
  });
  Limit.start(LimitMs);
  Process->start(QString::fromStdString(Program),
                 {"--replay", QString::fromStdString(Store.RecordingPath(Checked)), "--verify"});
}

void TRecordChecker::Finish(bool Ran) {
  Limit.stop();
  QProcess* Done = std::exchange(Process, nullptr);
  Done->deleteLater();
  const auto Key = Keys.find(Checked.File);
  // A check that could not run, crashed or was given up says nothing of the record: it stays unproven.
  if (Ran && Done->exitStatus() == QProcess::NormalExit && Key != Keys.end()) {
    const QStringList Lines = QString::fromLocal8Bit(Done->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    TReplayedFigures Figures;
    const bool Read = Done->exitCode() == 0 && Lines.size() == 2 &&
                      ReadFiguresLine(Lines[1].toStdString(), Figures);
    Figures.Outcome = Read ? Lines[0].toStdString() : std::string();
    const TProofState Verdict = Read && Bears(Figures, Checked) ? TProofState::Genuine : TProofState::Fails;
    Proofs.Load();
    Proofs.Keep(Key->second, Verdict, CurrentKeys());
  }
  if (!Ran)
    Waiting.clear(); // the program cannot be started: nothing more can be checked in this run
  StartNext();
  emit Changed();
}
