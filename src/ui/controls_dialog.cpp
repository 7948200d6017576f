#include "ui/controls_dialog.h"

#include "engine/game.h"
#include "platform/keys.h"
#include "ui/key_bindings.h"
#include "ui/key_map.h"
#include "ui/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString WaitText = QStringLiteral("Press a key");

QString Quoted(TKeyId Key) { return QStringLiteral("\"%1\"").arg(QString::fromStdString(KeyCaption(Key))); }
} // namespace

TFrmControls::TFrmControls(TFrmMain& aMain, TGame& aGame, TKeyBindings& aKeys, TPadBindings& aPad)
    : QWidget(&aMain, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Main(aMain), Game(aGame), Keys(aKeys), Pad(aPad) {
  setWindowTitle(QStringLiteral("Controls"));
  // The game and the pads wait while keys are chosen.
  setWindowModality(Qt::ApplicationModal);
  auto* Column = new QVBoxLayout(this);

  KeyTable = new QTableWidget(ActionCount, KeysPerAction, this);
  KeyTable->setHorizontalHeaderLabels({QStringLiteral("Key"), QStringLiteral("Other key")});
  for (int Row = 0; Row < ActionCount; ++Row) {
    KeyTable->setVerticalHeaderItem(Row, new QTableWidgetItem(QString::fromLatin1(ActionCaption(TPlayAction(Row)))));
    for (int Slot = 0; Slot < KeysPerAction; ++Slot)
      KeyTable->setItem(Row, Slot, new QTableWidgetItem);
  }
  KeyTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  KeyTable->setSelectionMode(QAbstractItemView::SingleSelection);
  // Tab leaves the table for the pad's buttons; the arrows move within it.
  KeyTable->setTabKeyNavigation(false);
  KeyTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  KeyTable->setMinimumSize(320, KeyTable->verticalHeader()->length() + KeyTable->horizontalHeader()->height() + 4);
  KeyTable->setCurrentCell(0, 0);
  Column->addWidget(KeyTable);

  auto* PadBox = new QGroupBox(QStringLiteral("Gamepad buttons"), this);
  auto* PadForm = new QFormLayout(PadBox);
  for (int Button = 0; Button < PadButtonCount; ++Button) {
    auto* Choice = new QComboBox(PadBox);
    for (int I = 0; I < PadChoiceCount; ++I)
      Choice->addItem(QString::fromLatin1(PadChoiceCaption(I)));
    PadForm->addRow(QString::fromLatin1(PadButtonCaption(TPadButton(Button))), Choice);
    PadChoices[Button] = Choice;
  }
  Column->addWidget(PadBox);

  Note = new QLabel(this);
  Note->setWordWrap(true);
  Column->addWidget(Note);
  auto* Buttons = new QHBoxLayout;
  BtnDefaults = new QPushButton(QStringLiteral("Defaults"), this);
  BtnClose = new QPushButton(QStringLiteral("Close"), this);
  Buttons->addWidget(BtnDefaults);
  Buttons->addStretch();
  Buttons->addWidget(BtnClose);
  Column->addLayout(Buttons);

  Refresh();
  for (QWidget* Child : findChildren<QWidget*>())
    Child->installEventFilter(this);
  connect(KeyTable, &QTableWidget::cellClicked, this, &TFrmControls::StartWaiting);
  for (int Button = 0; Button < PadButtonCount; ++Button)
    connect(PadChoices[Button], &QComboBox::currentIndexChanged, this, [this, Button] { PadChoiceChange(Button); });
  connect(BtnDefaults, &QPushButton::clicked, this, &TFrmControls::RestoreDefaults);
  connect(BtnClose, &QPushButton::clicked, this, &QWidget::close);
}

void TFrmControls::ShowWithoutWaiting() {
  Note->clear();
  show();
  raise();
  activateWindow();
  KeyTable->setFocus();
}

void TFrmControls::Refresh() {
  for (int Row = 0; Row < ActionCount; ++Row)
    for (int Slot = 0; Slot < KeysPerAction; ++Slot) {
      const TKeyId Key = Keys.Key({TPlayAction(Row), Slot});
      KeyTable->item(Row, Slot)->setText(Key != 0 ? QString::fromStdString(KeyName(Key)) : QString());
    }
  if (WaitingRow)
    KeyTable->item(*WaitingRow, WaitingColumn)->setText(WaitText);
  for (int Button = 0; Button < PadButtonCount; ++Button) {
    const QSignalBlocker Quiet(PadChoices[Button]);
    PadChoices[Button]->setCurrentIndex(PadChoiceOf(Pad.Codes[Button]));
  }
}

void TFrmControls::StartWaiting(int Row, int Column) {
  WaitingRow = Row;
  WaitingColumn = Column;
  Note->setText(QStringLiteral("Press the new key for %1, or Escape to keep it.")
                    .arg(QString::fromLatin1(ActionCaption(TPlayAction(Row)))));
  Refresh();
}

// A keyboard repeats a held key every 30 to 50 ms; a hand presses it again far later.
constexpr unsigned long RepeatGapMs = 150;

bool TFrmControls::StartKeyRepeats(const QKeyEvent& Event) {
  if (StartKey == 0 || Event.key() != StartKey)
    return false;
  if (StartKeyHeld || (Event.timestamp() != 0 && Event.timestamp() - StartKeyLetGoAt < RepeatGapMs)) {
    StartKeyHeld = true;
    return true;
  }
  return false;
}

void TFrmControls::StartKeyLetGo(const QKeyEvent& Event) {
  if (Event.key() != StartKey || Event.isAutoRepeat())
    return;
  StartKeyHeld = false;
  StartKeyLetGoAt = Event.timestamp();
}

bool TFrmControls::TakeKey(const QKeyEvent& Event) {
  if (Event.isAutoRepeat() || StartKeyRepeats(Event))
    return true;
  StartKey = 0;
  if (Event.key() == Qt::Key_Escape) {
    WaitingRow.reset();
    Note->clear();
    Refresh();
    return true;
  }
  const TKeyId Key = KeyIdOf(Event);
  const TKeyCell Cell{TPlayAction(*WaitingRow), WaitingColumn};
  const TBindResult Result = Keys.Bind(Cell, Key);
  switch (Result.Refused) {
  case TKeyRefusal::None: break;
  case TKeyRefusal::WindowsOwn:
    Note->setText(Quoted(Key) + QStringLiteral(" stays with the window's own commands; choose another key."));
    return true;
  case TKeyRefusal::Unkept:
    Note->setText(Quoted(Key) + QStringLiteral(" cannot be kept as a key: choose another."));
    return true;
  }
  WaitingRow.reset();
  if (Result.MovedFrom && Result.MovedFrom->Action != Cell.Action)
    Note->setText(Quoted(Key) + QStringLiteral(" was taken from %1.")
                                    .arg(QString::fromLatin1(ActionCaption(Result.MovedFrom->Action))));
  else
    Note->clear();
  Refresh();
  return true;
}

void TFrmControls::ClearCell() {
  const int Row = KeyTable->currentRow();
  if (Row < 0)
    return;
  Keys.Clear({TPlayAction(Row), KeyTable->currentColumn()});
  Note->clear();
  Refresh();
}

void TFrmControls::RestoreDefaults() {
  Keys = TKeyBindings();
  Pad = TPadBindings();
  GamepadSetButtonKeys(Pad.Codes);
  WaitingRow.reset();
  Note->setText(QStringLiteral("Every key and button is back to the game's own."));
  Refresh();
}

void TFrmControls::PadChoiceChange(int Button) {
  Pad.Codes[Button] = PadChoiceCode(PadChoices[Button]->currentIndex());
  GamepadSetButtonKeys(Pad.Codes);
}

// A waiting cell takes any key; otherwise Enter and Delete act on the table's
// current cell, and Escape closes the dialog.
bool TFrmControls::FormKeyDown(QObject* Watched, const QKeyEvent& Event) {
  if (Waiting())
    return TakeKey(Event);
  const int Key = Event.key();
  if (Key == Qt::Key_Escape) {
    close();
    return true;
  }
  // The table's keys, also while the dialog itself has the keyboard (just shown).
  if (Watched != KeyTable && Watched != this)
    return false;
  if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
    StartWaiting(KeyTable->currentRow(), KeyTable->currentColumn());
    StartKey = Key;
    StartKeyHeld = true;
    return true;
  }
  if (Key == Qt::Key_Delete || Key == Qt::Key_Backspace) {
    ClearCell();
    return true;
  }
  return false;
}

bool TFrmControls::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() == QEvent::KeyRelease)
    StartKeyLetGo(*static_cast<QKeyEvent*>(Event));
  if (Event->type() == QEvent::KeyPress && FormKeyDown(Watched, *static_cast<QKeyEvent*>(Event)))
    return true;
  return QWidget::eventFilter(Watched, Event);
}

void TFrmControls::keyReleaseEvent(QKeyEvent* Event) {
  StartKeyLetGo(*Event);
  QWidget::keyReleaseEvent(Event);
}

void TFrmControls::keyPressEvent(QKeyEvent* Event) {
  if (!FormKeyDown(this, *Event))
    QWidget::keyPressEvent(Event);
}

void TFrmControls::closeEvent(QCloseEvent* Event) {
  FormClose();
  Event->accept();
}

void TFrmControls::FormClose() {
  if (WaitingRow) {
    WaitingRow.reset();
    Refresh();
  }
  // A game that has run goes on, from the main window's own Space handling.
  if (Game.Paused && Game.TickCount > 0)
    QCoreApplication::postEvent(&Main, MakeKeyPress(vkSpace));
}
