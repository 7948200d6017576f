#include "ui/settings_dialog.h"

#include "assets/sound.h"
#include "engine/game.h"
#include "platform/ini_file.h"
#include "platform/keys.h"
#include "platform/message_box.h"
#include "ui/app_info.h"
#include "ui/dialog_face.h"
#include "ui/key_map.h"
#include "ui/main_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr std::int32_t MinLevel = 1;
constexpr std::int32_t MaxLevel = 10;
constexpr std::int32_t DesignedAlgorithm = 1;
constexpr std::int32_t DesignedLevel = 5;

// The level field takes any number as it is typed, in range or not, and
// leaves bringing it into range to the moment the player leaves the field.
// It refuses only what can never be a level: signs, letters, and a digit that
// would make the number too long to read.
class TLevelSpinEdit : public QSpinBox {
public:
  using QSpinBox::QSpinBox;

protected:
  QValidator::State validate(QString& Text, int&) const override {
    if (Text.isEmpty())
      return QValidator::Intermediate;
    for (const QChar Ch : Text)
      if (Ch < u'0' || Ch > u'9')
        return QValidator::Invalid;
    std::int32_t Value = 0;
    if (!ParseIniInteger(Text.toStdString(), Value))
      return QValidator::Invalid;
    return Value >= minimum() && Value <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
  }
};
} // namespace

TFrmSettings::TFrmSettings(TFrmMain& aMain, TGame& aGame, TIniFile* aIniF, TDM* aDM)
    : QWidget(&aMain, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      Main(aMain), Game(aGame), IniF(aIniF), DM(aDM) {
  setWindowTitle(QStringLiteral("Settings"));
  setFixedSize(229, 200);
  ProvideTahoma();
  setFont(QFont(QStringLiteral("Tahoma"), 8));

  SEStartLevel = new TLevelSpinEdit(this);
  SEStartLevel->setGeometry(79, 21, 121, 22);

  Label1 = new QLabel(QStringLiteral("Start level"), this);
  Label1->setGeometry(24, 24, 49, 13);
  // A wider face than Tahoma's stays clear of the level field, with its caption whole.
  FitCaption(*Label1, SEStartLevel->x() - Label1->x() - 2);
  SEStartLevel->setRange(MinLevel, MaxLevel);
  SEStartLevel->setSingleStep(1);
  SEStartLevel->setValue(DesignedLevel);
  // A typed level outside 1..10 becomes the nearest one when the field loses the focus.
  SEStartLevel->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);

  RGTrashGeneratorAlgorythm = new QGroupBox(QStringLiteral("Trash Generator Algorythm:"), this);
  RGTrashGeneratorAlgorythm->setGeometry(24, 56, 177, 89);
  auto* Column = new QVBoxLayout(RGTrashGeneratorAlgorythm);
  Items = new QButtonGroup(this);
  const char* Captions[] = {"Robot can escape", "Normal", "Random"};
  for (int I = 0; I < 3; ++I) {
    auto* Item = new QRadioButton(QString::fromLatin1(Captions[I]), RGTrashGeneratorAlgorythm);
    Column->addWidget(Item);
    Items->addButton(Item, I);
  }
  Items->button(DesignedAlgorithm)->setChecked(true);

  CBUseSound = new QCheckBox(QStringLiteral("Use Sound"), this);
  CBUseSound->setGeometry(24, 160, 97, 17);

  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  BitBtn1->setGeometry(125, 156, 75, 25);

  setTabOrder(SEStartLevel, Items->button(0));
  setTabOrder(Items->button(0), CBUseSound);
  setTabOrder(CBUseSound, BitBtn1);

  // The dialog sees every key before its controls do.
  for (QWidget* Child : findChildren<QWidget*>())
    Child->installEventFilter(this);

  connect(Items, &QButtonGroup::idToggled, this, [this](int, bool Checked) {
    if (Checked)
      RGTrashGeneratorAlgorythmClick();
  });
  // Every change of the field's text counts, set by the program or typed, in range or not:
  // the spin box reports the first kind, its editor the second.
  LevelText = SEStartLevel->findChild<QLineEdit*>();
  connect(SEStartLevel, &QSpinBox::textChanged, this, [this] { SEStartLevelChange(); });
  connect(LevelText, &QLineEdit::textChanged, this, [this] { SEStartLevelChange(); });
  connect(CBUseSound, &QCheckBox::toggled, this, [this] { CBUseSoundClick(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

  FormCreate();
}

TFrmSettings::~TFrmSettings() { FormDestroy(); }

void TFrmSettings::FormCreate() {
  const std::int32_t Stored = IniF != nullptr ? IniF->ReadInteger(AppTitle, "TrashGeneratorAlgorythmIndex", 0) : 0;
  SelectAlgorithm(std::min(Stored, 2));
  const std::int32_t Level = IniF != nullptr ? IniF->ReadInteger(AppTitle, "StartLevel", DesignedLevel) : DesignedLevel;
  SEStartLevel->setValue(std::clamp(Level, MinLevel, MaxLevel));
  Game.Init(LevelValue());
}

void TFrmSettings::SelectAlgorithm(std::int32_t Index) {
  if (Index >= 0 && Index <= 2) {
    Items->button(Index)->setChecked(true);
    return;
  }
  // No item selected: the game keeps the algorithm it has.
  Items->setExclusive(false);
  for (QAbstractButton* Item : Items->buttons())
    Item->setChecked(false);
  Items->setExclusive(true);
}

std::int32_t TFrmSettings::AlgorithmIndex() const { return Items->checkedId(); }

std::int32_t TFrmSettings::LevelValue() const {
  std::int32_t Value = 0;
  if (!ParseIniInteger(SEStartLevel->cleanText().toStdString(), Value))
    return MinLevel;
  return Value;
}

void TFrmSettings::RGTrashGeneratorAlgorythmClick() {
  Game.TrashGeneratorAlgorythmIndex = AlgorithmIndex();
  Tell(TEventKind::Generator, Game.TrashGeneratorAlgorythmIndex);
}

void TFrmSettings::SEStartLevelChange() {
  // The field and its editor both report one typed digit: a recording keeps one change.
  const auto Level = static_cast<std::uint32_t>(LevelValue());
  if (Level == Game.StartHardnessLevel)
    return;
  Game.StartHardnessLevel = Level;
  Tell(TEventKind::StartLevel, LevelValue());
}

void TFrmSettings::Tell(TEventKind Kind, std::int32_t Value) {
  Main.NoteSetting(Kind, Value);
}

void TFrmSettings::CBUseSoundClick() {
  if (DM != nullptr)
    DM->UseSound = CBUseSound->isChecked();
  Tell(TEventKind::Sound, CBUseSound->isChecked() ? 1 : 0);
}

void TFrmSettings::BitBtn1Click() { close(); }

void TFrmSettings::ShowWithoutWaiting() {
  if (!Placed) {
    // The first time it stands in the middle of the main window; later where the player left it.
    const QRect Frame = Main.frameGeometry();
    move(Frame.center() - QPoint(width() / 2, height() / 2));
    Placed = true;
  }
  show();
  raise();
  activateWindow();
}

void TFrmSettings::showEvent(QShowEvent* Event) {
  QWidget::showEvent(Event);
  FormShow();
}

void TFrmSettings::FormShow() {
  if (DM != nullptr)
    CBUseSound->setChecked(DM->UseSound);
}

void TFrmSettings::BringLevelIntoRange() {
  const std::int32_t Level = std::clamp(LevelValue(), MinLevel, MaxLevel);
  const QString Text = QString::number(Level);
  const bool Changes = LevelText->text() != Text;
  SEStartLevel->setValue(Level);
  LevelText->setText(Text);
  // The spin box may rewrite its text without a word; the game hears of it all the same.
  if (Changes)
    SEStartLevelChange();
}

bool TFrmSettings::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() == QEvent::FocusOut && (Watched == SEStartLevel || Watched == LevelText))
    BringLevelIntoRange();
  if (Event->type() == QEvent::KeyPress && FormKeyDown(DialogKeyCode(*static_cast<QKeyEvent*>(Event))))
    return true;
  return QWidget::eventFilter(Watched, Event);
}

void TFrmSettings::keyPressEvent(QKeyEvent* Event) {
  if (!FormKeyDown(DialogKeyCode(*Event)))
    QWidget::keyPressEvent(Event);
}

bool TFrmSettings::FormKeyDown(std::uint32_t Key) {
  if (Key != vkReturn && Key != vkEscape)
    return false;
  close();
  return true;
}

void TFrmSettings::closeEvent(QCloseEvent* Event) {
  FormClose();
  Event->accept();
}

void TFrmSettings::FormClose() {
  // The field loses the focus as the dialog closes: a typed level counts in range.
  BringLevelIntoRange();
  // A game resumed from the main window while the dialog was open goes on as it is.
  if (!Game.Paused)
    return;
  if (Game.TickCount > 0) {
    QCoreApplication::postEvent(&Main, MakeKeyPress(vkSpace));
    return;
  }
  Tell(TEventKind::NewGame, LevelValue());
  Game.Init(LevelValue());
}

void TFrmSettings::FormDestroy() {
  if (IniF == nullptr)
    return;
  try {
    IniF->WriteInteger(AppTitle, "TrashGeneratorAlgorythmIndex", AlgorithmIndex());
    IniF->WriteInteger(AppTitle, "StartLevel", LevelValue());
  } catch (const EIniWriteError& Error) {
    ShowMessage({AppTitle, Error.what(), TMessageIcon::Error, false});
  }
}
