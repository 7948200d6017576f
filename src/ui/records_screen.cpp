#include "ui/records_screen.h"

#include "engine/game.h"
#include "platform/files.h"
#include "records/records_report.h"
#include "records/records_store.h"
#include "ui/image_scr.h"
#include "ui/main_window.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int PictureWidth = 640, PictureHeight = 480;
constexpr std::int32_t Generators = 3, Levels = 10;
constexpr int FirstRowY = 120, RowHeight = 28;
const QColor Yellow(255, 255, 0);
} // namespace

TRecordsScreen::TRecordsScreen(TFrmMain& aMain, TRecordsStore& aStore)
    : QWidget(&aMain.Screen()), Main(aMain), Store(aStore) {
  setFocusPolicy(Qt::StrongFocus);
  hide();
}

void TRecordsScreen::Open() {
  Store.Load();
  // Told once, where the player is looking, and on the standard error for the full story.
  if (const std::string Full = Store.TakeNotice(&Told); !Full.empty())
    std::fprintf(stderr, "%s\n", Full.c_str());
  Shown = std::clamp(Main.Game->TrashGeneratorAlgorythmIndex, 0, Generators - 1);
  Row = std::clamp(static_cast<std::int32_t>(Main.Game->StartHardnessLevel), 1, Levels) - 1;
  setGeometry(parentWidget()->rect());
  show();
  raise();
  setFocus();
  Main.installEventFilter(this);
}

void TRecordsScreen::Leave() {
  Main.removeEventFilter(this);
  hide();
  Main.setFocus();
  // A game left running by F3 stands paused.
  if (!Main.InfoScreenDisplayed())
    Main.ShowPausedState();
}

bool TRecordsScreen::BestOf(std::int32_t Level, TRecord& Best) const {
  const std::vector<TRecord> Pair = Store.Table().Pair(Level, Shown);
  if (Pair.empty())
    return false;
  Best = Pair.front();
  return true;
}

const TRecord* TRecordsScreen::Replayable(std::int32_t Level, TRecord& Best) const {
  if (!BestOf(Level, Best) || !ReplayableRules(Best.Rules) || !FileExists(Store.RecordingPath(Best)))
    return nullptr;
  return &Best;
}

std::vector<std::string> TRecordsScreen::Lines() const {
  std::vector<std::string> Out;
  for (std::int32_t Level = 1; Level <= Levels; ++Level) {
    char Line[96];
    TRecord Best;
    if (!BestOf(Level, Best)) {
      std::snprintf(Line, sizeof Line, "Level %2d   -", Level);
      Out.emplace_back(Line);
      continue;
    }
    std::snprintf(Line, sizeof Line, "Level %2d   %s   %u %s   %s", Level, PlayTimeText(Best.PlayedMs).c_str(),
                  Best.Lives, Best.Lives == 1 ? "life" : "lives", RecordDate(Best.Date).c_str());
    const TProofState Proof = ProofOf ? ProofOf(Best) : TProofState::Unproven;
    Out.push_back(Line +
                  RecordMarks(Best, Best.File == Store.Table().Newest, FileExists(Store.RecordingPath(Best)), Proof));
  }
  return Out;
}

void TRecordsScreen::paintEvent(QPaintEvent*) {
  QPainter P(this);
  P.scale(static_cast<double>(width()) / PictureWidth, static_cast<double>(height()) / PictureHeight);
  P.fillRect(QRect(0, 0, PictureWidth, PictureHeight), QColor(0, 0, 0, 200));
  QFont Face = P.font();
  Face.setBold(true);
  Face.setPixelSize(24);
  P.setFont(Face);
  P.setPen(Yellow);
  P.drawText(QRect(0, 24, PictureWidth, 36), Qt::AlignHCenter, "Best escapes");
  Face.setPixelSize(18);
  P.setFont(Face);
  P.drawText(QRect(0, 64, PictureWidth, 28), Qt::AlignHCenter,
             QString("< %1 >").arg(QString::fromLatin1(GeneratorName(Shown))));
  Face.setBold(false);
  Face.setPixelSize(15);
  P.setFont(Face);
  const std::vector<std::string> Rows = Lines();
  for (int I = 0; I < Levels; ++I) {
    const QRect Line(40, FirstRowY + I * RowHeight, PictureWidth - 80, RowHeight);
    if (I == Row)
      P.fillRect(Line, QColor(255, 255, 0, 60));
    P.setPen(I == Row ? Yellow : QColor(230, 230, 230));
    P.drawText(Line.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(Rows[I]));
  }
  if (!Told.empty()) {
    Face.setPixelSize(12);
    P.setFont(Face);
    P.setPen(QColor(255, 140, 120));
    P.drawText(QRect(24, FirstRowY + Levels * RowHeight - 2, PictureWidth - 48, 32),
               Qt::AlignCenter | Qt::TextWordWrap, QString::fromStdString(Told));
    Face.setPixelSize(15);
    P.setFont(Face);
  }
  P.setPen(QColor(200, 200, 200));
  P.drawText(QRect(0, PictureHeight - 50, PictureWidth, 24), Qt::AlignHCenter,
             "Left/Right: generator   Up/Down: level   Enter: replay   Escape or F3: back");
}

void TRecordsScreen::keyPressEvent(QKeyEvent* Event) {
  switch (Event->key()) {
  case Qt::Key_Left: Shown = (Shown + Generators - 1) % Generators; break;
  case Qt::Key_Right: Shown = (Shown + 1) % Generators; break;
  case Qt::Key_Up: Row = std::max(Row - 1, 0); break;
  case Qt::Key_Down: Row = std::min(Row + 1, Levels - 1); break;
  case Qt::Key_Return:
  case Qt::Key_Enter: {
    TRecord Best;
    if (const TRecord* Record = Replayable(Row + 1, Best); Record != nullptr && Replay)
      Replay(*Record);
    setFocus();
    break;
  }
  case Qt::Key_Escape:
  case Qt::Key_F3: Leave(); return;
  default: break;
  }
  update();
}

bool TRecordsScreen::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched != &Main || Event->type() != QEvent::KeyPress)
    return QWidget::eventFilter(Watched, Event);
  keyPressEvent(static_cast<QKeyEvent*>(Event));
  return true;
}
