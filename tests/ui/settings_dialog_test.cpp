#include "ui/ui_fixture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QFocusEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "ui/dialog_face.h"

namespace {
class SettingsDialogTest : public TProgramTest {
protected:
  void OpenDialog() {
    Main->show();
    Main->FormKeyDown(vkF7);
  }
  void PressInDialog(QWidget* Target, Qt::Key Key) { QTest::keyClick(Target, Key); }
};
} // namespace

TEST_F(SettingsDialogTest, IsLaidOutAsDesigned) {
  Start();
  EXPECT_EQ(Settings->windowTitle().toStdString(), "Settings");
  EXPECT_EQ(Settings->size(), QSize(229, 200));
  EXPECT_FALSE(Settings->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(Settings->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_EQ(Settings->Label1->text().toStdString(), "Start level");
  EXPECT_EQ(Settings->Label1->geometry(), QRect(24, 24, 49, 13));
  EXPECT_EQ(QFontInfo(Settings->font()).family().toStdString(), "Tahoma");
  EXPECT_EQ(Settings->RGTrashGeneratorAlgorythm->geometry(), QRect(24, 56, 177, 89));
  EXPECT_EQ(Settings->RGTrashGeneratorAlgorythm->title().toStdString(), "Trash Generator Algorythm:");
  EXPECT_EQ(Settings->SEStartLevel->geometry(), QRect(79, 21, 121, 22));
  EXPECT_EQ(Settings->SEStartLevel->minimum(), 1);
  EXPECT_EQ(Settings->SEStartLevel->maximum(), 10);
  EXPECT_EQ(Settings->CBUseSound->geometry(), QRect(24, 160, 97, 17));
  EXPECT_EQ(Settings->CBUseSound->text().toStdString(), "Use Sound");
  EXPECT_EQ(Settings->BitBtn1->geometry(), QRect(125, 156, 75, 25));
  EXPECT_EQ(Settings->BitBtn1->text().toStdString(), "OK");
  const auto Items = Settings->RGTrashGeneratorAlgorythm->findChildren<QRadioButton*>();
  ASSERT_EQ(Items.size(), 3);
  EXPECT_EQ(Items[0]->text().toStdString(), "Robot can escape");
  EXPECT_EQ(Items[1]->text().toStdString(), "Normal");
  EXPECT_EQ(Items[2]->text().toStdString(), "Random");
  EXPECT_FALSE(Settings->isVisible()) << "made hidden";
}

// Every caption shows whole, and the level's caption ends before its field.
TEST_F(SettingsDialogTest, CaptionsShowWhole) {
  Start();
  const auto Fits = [](const QWidget& Control, const QString& Caption, int Room) {
    return QFontMetrics(Control.font()).horizontalAdvance(Caption) <= Room;
  };
  EXPECT_TRUE(Fits(*Settings->Label1, Settings->Label1->text(), Settings->Label1->width()));
  EXPECT_LT(Settings->Label1->geometry().right(), Settings->SEStartLevel->x());
  EXPECT_TRUE(Fits(*Settings->RGTrashGeneratorAlgorythm, Settings->RGTrashGeneratorAlgorythm->title(),
                   Settings->RGTrashGeneratorAlgorythm->width() - 16));
  for (const QRadioButton* Item : Settings->RGTrashGeneratorAlgorythm->findChildren<QRadioButton*>())
    EXPECT_LE(Item->sizeHint().width(), Settings->RGTrashGeneratorAlgorythm->contentsRect().width())
        << Item->text().toStdString();
  EXPECT_LE(Settings->CBUseSound->sizeHint().width(), Settings->CBUseSound->width());
}

// A face wider than Tahoma's: the caption grows into the room it has, then
// gets smaller, and never runs past that room.
TEST(DialogFace, ACaptionTooWideForItsRoomGetsASmallerFace) {
  for (const int Room : {60, 53, 40}) {
    SCOPED_TRACE(Room);
    QLabel Label(QStringLiteral("Start level"));
    Label.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    Label.setGeometry(24, 24, 49, 13);
    const int Wide = QFontMetrics(Label.font()).horizontalAdvance(Label.text());
    ASSERT_GT(Wide, 49) << "the test needs a face wider than the label";
    FitCaption(Label, Room);
    const int Now = QFontMetrics(Label.font()).horizontalAdvance(Label.text());
    EXPECT_LE(Now, Label.width());
    EXPECT_LE(Label.width(), Room);
    EXPECT_EQ(QFontInfo(Label.font()).pixelSize() < 11, Wide > Room) << "a smaller face only when needed";
  }
}

TEST_F(SettingsDialogTest, NoSettingsFileGivesTheFirstAlgorithmAndLevelFive) {
  Start();
  EXPECT_EQ(Settings->AlgorithmIndex(), 0);
  EXPECT_EQ(Game().TrashGeneratorAlgorythmIndex, 0);
  EXPECT_EQ(Settings->LevelValue(), 5);
  EXPECT_EQ(Game().HardnessLevel, 5u);
  EXPECT_EQ(Game().StartHardnessLevel, 5u);
}

TEST_F(SettingsDialogTest, StoredValuesAreBroughtIntoRange) {
  struct TCase {
    const char* Ini;
    std::int32_t Field, Item, GameAlgorithm, SavedAlgorithm;
    std::uint32_t Level;
  };
  const TCase Cases[] = {
      {"StartLevel=0\nTrashGeneratorAlgorythmIndex=1\n", 1, 1, 1, 1, 1},
      {"StartLevel=99\nTrashGeneratorAlgorythmIndex=7\n", 10, 2, 2, 2, 10},
      {"StartLevel=0x3\nTrashGeneratorAlgorythmIndex=-3\n", 3, -1, 1, -1, 3},
      {"StartLevel=many\nTrashGeneratorAlgorythmIndex=two\n", 5, 0, 0, 0, 5},
  };
  for (const TCase& C : Cases) {
    WriteIni(C.Ini);
    Start();
    EXPECT_EQ(Settings->LevelValue(), C.Field) << C.Ini;
    EXPECT_EQ(Settings->AlgorithmIndex(), C.Item) << C.Ini;
    EXPECT_EQ(Game().TrashGeneratorAlgorythmIndex, C.GameAlgorithm) << C.Ini;
    EXPECT_EQ(Game().HardnessLevel, C.Level) << C.Ini;
    End();
    EXPECT_EQ(Stored("TrashGeneratorAlgorythmIndex", -99), C.SavedAlgorithm) << C.Ini;
    EXPECT_EQ(Stored("StartLevel", -99), C.Field) << C.Ini;
  }
}

TEST_F(SettingsDialogTest, ALevelChosenOnTheStartScreenStartsANewGameWhenClosed) {
  Start();
  OpenDialog();
  EXPECT_TRUE(Settings->isVisible());
  Settings->SEStartLevel->setValue(8);
  EXPECT_EQ(Game().StartHardnessLevel, 8u) << "reaches the game at once";
  EXPECT_EQ(Game().HardnessLevel, 5u) << "but not the level being played";
  PressInDialog(Settings->BitBtn1, Qt::Key_Escape);
  EXPECT_FALSE(Settings->isVisible());
  EXPECT_EQ(Game().HardnessLevel, 8u);
  EXPECT_TRUE(Game().Paused);
  EXPECT_TRUE(Main->InfoScreenDisplayed());
}

TEST_F(SettingsDialogTest, ClosingWithEnterDuringPlayResumesTheGame) {
  Start();
  Main->show();
  PlayBriefly();
  Game().Paused = false; // playing
  Main->FormKeyDown(vkF7);
  EXPECT_TRUE(Game().Paused);
  PressInDialog(Settings->SEStartLevel, Qt::Key_Return);
  EXPECT_FALSE(Settings->isVisible());
  Post(vkPause); // lets the resumed loop end after one pass
  Dispatch();
  EXPECT_EQ(Game().TickCount, 2u);
  EXPECT_TRUE(Game().Paused);
}

TEST_F(SettingsDialogTest, ClosingAfterTheGameWasResumedFromTheMainWindowDoesNothing) {
  Start();
  Main->show();
  PlayBriefly();
  Main->FormKeyDown(vkF7);
  Game().Paused = false; // Space in the main window resumed it while the dialog was open
  Settings->close();
  EXPECT_FALSE(Game().Paused);
  Game().Paused = true;
  Dispatch();
  EXPECT_EQ(Game().TickCount, 1u) << "no Space was queued";
}

TEST_F(SettingsDialogTest, ChoicesReachTheGameAndTheSoundSwitchAtOnce) {
  Start();
  OpenDialog();
  Settings->SelectAlgorithm(2);
  EXPECT_EQ(Game().TrashGeneratorAlgorythmIndex, 2);
  Settings->CBUseSound->setChecked(true);
  EXPECT_TRUE(DM->UseSound);
  Settings->CBUseSound->setChecked(false);
  EXPECT_FALSE(DM->UseSound);
  Settings->close();
  End();
  EXPECT_EQ(Stored("SoundOn", -1), 0);
  EXPECT_EQ(Stored("TrashGeneratorAlgorythmIndex", -1), 2);
}

TEST_F(SettingsDialogTest, ShowingTheDialogRefreshesTheBoxFromTheSoundSwitch) {
  Start();
  DM->UseSound = true;
  OpenDialog();
  EXPECT_TRUE(Settings->CBUseSound->isChecked());
  Settings->close();
  DM->UseSound = false;
  OpenDialog();
  EXPECT_FALSE(Settings->CBUseSound->isChecked());
}

// The player types into the level field, then leaves it with Tab.
TEST_F(SettingsDialogTest, ATypedLevelCountsAtOnceAndIsBroughtIntoRangeOnLeaving) {
  Start();
  OpenDialog();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Settings.get()));
  QSpinBox* Field = Settings->SEStartLevel;
  struct TCase {
    const char* Typed;
    const char* Shown;           // the field's text while the focus is still in it
    std::int32_t WhileTyping;    // the game's start level by then
    std::int32_t AfterLeaving;
  };
  const TCase Cases[] = {
      {"12", "12", 12, 10},
      {"0", "0", 0, 1},
      {"", "", 1, 1},
      {"9", "9", 9, 9},
      {"4x", "4", 4, 4},                          // a letter is refused as it is typed
      {"99999999999", "999999999", 999999999, 10}, // so is a digit past the largest number
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Typed);
    Field->setFocus();
    ASSERT_TRUE(Field->hasFocus());
    QTest::keyClick(Field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Field, Qt::Key_Backspace);
    QTest::keyClicks(Field, QString::fromLatin1(C.Typed));
    EXPECT_EQ(Field->text().toStdString(), C.Shown);
    EXPECT_EQ(static_cast<std::int32_t>(Game().StartHardnessLevel), C.WhileTyping);
    QTest::keyClick(Field, Qt::Key_Tab);
    ASSERT_FALSE(Field->hasFocus());
    EXPECT_EQ(Field->text().toStdString(), std::to_string(C.AfterLeaving));
    EXPECT_EQ(Settings->LevelValue(), C.AfterLeaving);
    EXPECT_EQ(Game().StartHardnessLevel, static_cast<std::uint32_t>(C.AfterLeaving));
  }
}

TEST_F(SettingsDialogTest, ALevelTypedAboveTenAndConfirmedWithEnterStartsTheGameAtTen) {
  Start();
  OpenDialog();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Settings.get()));
  Settings->SEStartLevel->setFocus();
  QTest::keyClick(Settings->SEStartLevel, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(Settings->SEStartLevel, QStringLiteral("12"));
  QTest::keyClick(Settings->SEStartLevel, Qt::Key_Return);
  EXPECT_FALSE(Settings->isVisible());
  EXPECT_EQ(Game().HardnessLevel, 10u);
  EXPECT_EQ(Game().StartHardnessLevel, 10u);
  EXPECT_EQ(Settings->LevelValue(), 10);
}
