#include "ui/ui_fixture.h"

#include <QGuiApplication>
#include "support/test_audio.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>

#include <filesystem>

namespace {
class MainWindowTest : public TProgramTest {
protected:
  MainWindowTest() {
    Start();
    Main->show();
  }
  const std::uint32_t StartScreen = Bgr(FixtureColour("1st_screen.png"));
  const std::uint32_t HelpScreen = Bgr(FixtureColour("help_screen.png"));
  const std::uint32_t AboutScreen = Bgr(FixtureColour("about_screen.png"));
  const std::uint32_t Back = Bgr(FixtureColour("back.png"));
};
} // namespace

TEST_F(MainWindowTest, OpensOnTheStartScreenWithTheGameWaiting) {
  EXPECT_EQ(Main->windowTitle().toStdString(), "Clankora!");
  EXPECT_EQ(Main->size(), QSize(640, 480));
  EXPECT_EQ(Main->ImageScr->geometry(), QRect(0, 0, 640, 480));
  EXPECT_EQ(ShownPixel(*Main, 320, 240), StartScreen);
  EXPECT_TRUE(Main->InfoScreenDisplayed());
  EXPECT_EQ(Main->ScreenIndex(), 0);
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Game().TickCount, 0u);
  EXPECT_TRUE(Messages.Shown.empty());
}

TEST_F(MainWindowTest, SpaceRunsTheLoopUntilAKeyPausesIt) {
  PlayBriefly();
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Game().TickCount, 1u) << "one pass, then the queued Pause stopped it";
  EXPECT_FALSE(Main->InfoScreenDisplayed());
  EXPECT_TRUE(ShowsPausedText());
  EXPECT_EQ(ShownPixel(*Main, 5, 5), Back);

  // Pause again resumes through a queued Space; a later Pause stops it once more.
  Press(vkPause);
  EXPECT_TRUE(Game().Paused) << "the resume waits for the queued Space";
  Post(vkPause);
  Dispatch();
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Game().TickCount, 2u);
}

TEST_F(MainWindowTest, PauseDoesNothingOnAnInformationScreen) {
  for (std::uint32_t Screen : {vkF1, vkF2}) {
    Press(Screen);
    Press(vkPause);
    Dispatch();
    EXPECT_TRUE(Game().Paused);
    EXPECT_EQ(Game().TickCount, 0u);
    EXPECT_TRUE(Main->InfoScreenDisplayed());
  }
}

TEST_F(MainWindowTest, HelpAndAboutStopTheGameAndSpaceResumesTheSameOne) {
  PlayBriefly();
  Game().Robot->BombCount = 4;
  Game().Paused = false; // as if the loop were running
  Press(vkF1);
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(ShownPixel(*Main, 320, 240), HelpScreen);
  EXPECT_EQ(Main->ScreenIndex(), 1);
  Press(vkF2);
  EXPECT_EQ(ShownPixel(*Main, 320, 240), AboutScreen);
  EXPECT_EQ(Main->ScreenIndex(), 2);
  PlayBriefly();
  EXPECT_EQ(Game().TickCount, 2u);
  EXPECT_EQ(Game().Robot->BombCount, 4u) << "the same game went on";
}

TEST_F(MainWindowTest, ShownAgainItShowsTheScreenItShowedLast) {
  PlayBriefly();
  Press(vkF1);
  Main->hide();
  Game().Render();
  Main->ImageScr->CopyFrom(*Game().Scr); // the window lost its picture meanwhile
  Main->show();
  EXPECT_EQ(ShownPixel(*Main, 320, 240), HelpScreen);
  PlayBriefly();
  Main->hide();
  Main->show();
  EXPECT_TRUE(ShowsPausedText());
}

// Coming back from the task bar is no new showing: the picture stays as it was.
TEST_F(MainWindowTest, RestoredFromMinimisedItKeepsItsPicture) {
  const auto MinimiseAndRestore = [this] {
    Main->setWindowState(Qt::WindowMinimized);
    Dispatch();
    Main->setWindowState(Qt::WindowNoState);
    Dispatch();
  };
  Press(vkF1);
  MinimiseAndRestore();
  EXPECT_EQ(ShownPixel(*Main, 320, 240), HelpScreen) << "help before the first game";
  EXPECT_EQ(Main->ScreenIndex(), 1);

  // F7 during play stops the game on its last frame, with no paused text.
  Post(vkF7);
  Press(vkSpace);
  ASSERT_TRUE(Game().Paused);
  ASSERT_FALSE(ShowsPausedText());
  MinimiseAndRestore();
  EXPECT_FALSE(ShowsPausedText());
  EXPECT_EQ(ShownPixel(*Main, 5, 5), Back);
}

TEST_F(MainWindowTest, ArrowsMoveTheRobotOnlyWhileTheGameRuns) {
  TRobot& Robot = *Game().Robot;
  Press(vkLeft);
  EXPECT_EQ(Robot.X, 10u) << "paused";
  Game().Paused = false;
  Press(vkLeft);
  EXPECT_EQ(Robot.X, 9u);
  Press(vkRight);
  EXPECT_EQ(Robot.X, 10u);
  Press(vkUp);
  EXPECT_EQ(Robot.Y, 12u);
  Game().Stopped = true;
  Press(vkRight);
  Press(vkDown);
  EXPECT_EQ(Robot.X, 10u) << "stopped";
  EXPECT_EQ(Robot.Y, 12u);
  Game().Paused = true;
}

TEST_F(MainWindowTest, SpaceWhileRunningPlacesABombEvenAfterTheEnd) {
  Game().Paused = false;
  Game().Stopped = true;
  Game().Robot->BombCount = 1;
  Press(vkSpace);
  EXPECT_EQ(Game().Robot->BombCount, 0u);
  EXPECT_EQ(Game().Robot->Y, 12u);
  Game().Paused = true;
}

TEST_F(MainWindowTest, KeypadPlusAndMinusChangeTheLevelInEveryState) {
  Press(vkAdd);
  EXPECT_EQ(Game().HardnessLevel, 6u);
  Game().Paused = false;
  Press(vkSubtract);
  Press(vkSubtract);
  EXPECT_EQ(Game().HardnessLevel, 4u);
  Game().Paused = true;
}

TEST_F(MainWindowTest, F5StartsANewGameAtTheDialogsLevelOnTheStartScreen) {
  PlayBriefly();
  Settings->SEStartLevel->setValue(8);
  Game().Paused = false;
  Press(vkF5);
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Game().TickCount, 0u);
  EXPECT_EQ(Game().HardnessLevel, 8u);
  EXPECT_EQ(ShownPixel(*Main, 320, 240), StartScreen);
  EXPECT_EQ(Main->ScreenIndex(), 0);
}

TEST_F(MainWindowTest, EscapeClosesTheWindowAndTheSettingsAreSaved) {
  QSignalSpy Closed(Main.get(), &TFrmMain::Closed);
  Main->move(40, 30);
  Game().Paused = false;
  Press(vkEscape);
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Closed.count(), 1);
  EXPECT_FALSE(Main->isVisible());
  const QPoint At = Main->pos();
  End();
  EXPECT_EQ(Stored("Left", -999), At.x());
  EXPECT_EQ(Stored("Top", -999), At.y());
  EXPECT_EQ(Stored("StartLevel", -999), 5);
  EXPECT_NE(Stored("SoundOn", -999), -999);
}

namespace {
// A key as the window system delivers it: At is its time in milliseconds.
void SendKey(QWidget& To, QEvent::Type Type, int Key, unsigned long At, bool Repeat = false,
             Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  QKeyEvent Event(Type, Key, Mods, QString(), Repeat);
  Event.setTimestamp(At);
  QCoreApplication::sendEvent(&To, &Event);
}
} // namespace

// Escape held as the window opens: the keyboard's repeats reach the window,
// under X as releases and presses of the same moment, the presses marked as
// repeats or not. None ends the game; Escape pressed afterwards does.
TEST_F(MainWindowTest, EscapeHeldSinceBeforeTheWindowOpenedDoesNotEndTheGame) {
  QSignalSpy Closed(Main.get(), &TFrmMain::Closed);
  Dispatch();
  SendKey(*Main, QEvent::KeyPress, Qt::Key_Escape, 1000, true);
  SendKey(*Main, QEvent::KeyRelease, Qt::Key_Escape, 1040, true);
  SendKey(*Main, QEvent::KeyPress, Qt::Key_Escape, 1040);
  SendKey(*Main, QEvent::KeyRelease, Qt::Key_Escape, 1080);
  SendKey(*Main, QEvent::KeyPress, Qt::Key_Escape, 1080);
  SendKey(*Main, QEvent::KeyRelease, Qt::Key_Escape, 1300); // let go at last
  EXPECT_EQ(Closed.count(), 0);
  EXPECT_TRUE(Main->isVisible());
  SendKey(*Main, QEvent::KeyPress, Qt::Key_Escape, 2000);
  EXPECT_EQ(Closed.count(), 1);
}

// The same for any key: a held key's repeats act only when it went down here,
// and what went down before the window last got the keyboard is held from elsewhere.
TEST_F(MainWindowTest, OnlyKeysPressedSinceTheWindowGotTheKeyboardRepeat) {
  const std::uint32_t Level = Game().HardnessLevel;
  SendKey(*Main, QEvent::KeyRelease, Qt::Key_Minus, 1000, false, Qt::KeypadModifier);
  SendKey(*Main, QEvent::KeyPress, Qt::Key_Minus, 1000, false, Qt::KeypadModifier);
  SendKey(*Main, QEvent::KeyPress, Qt::Key_Minus, 1040, true, Qt::KeypadModifier);
  EXPECT_EQ(Game().HardnessLevel, Level) << "keypad - was held before";

  SendKey(*Main, QEvent::KeyPress, Qt::Key_Plus, 2000, false, Qt::KeypadModifier);
  SendKey(*Main, QEvent::KeyRelease, Qt::Key_Plus, 2500, false, Qt::KeypadModifier);
  SendKey(*Main, QEvent::KeyPress, Qt::Key_Plus, 2500, false, Qt::KeypadModifier);
  SendKey(*Main, QEvent::KeyPress, Qt::Key_Plus, 2540, true, Qt::KeypadModifier);
  EXPECT_EQ(Game().HardnessLevel, Level + 3) << "keypad + pressed here, then repeated twice";

  QEvent Activated(QEvent::WindowActivate);
  QCoreApplication::sendEvent(Main.get(), &Activated);
  SendKey(*Main, QEvent::KeyPress, Qt::Key_Plus, 2580, true, Qt::KeypadModifier);
  EXPECT_EQ(Game().HardnessLevel, Level + 3) << "held across the window's taking the keyboard";
  SendKey(*Main, QEvent::KeyPress, Qt::Key_Minus, 3000, false, Qt::KeypadModifier);
  EXPECT_EQ(Game().HardnessLevel, Level + 2) << "pressed again";
}

TEST_F(MainWindowTest, ClosingTheWindowWhileTheGameRunsEndsTheLoop) {
  QSignalSpy Closed(Main.get(), &TFrmMain::Closed);
  // The close arrives between two passes, as the window's close button would.
  QMetaObject::invokeMethod(Main.get(), [this] { Main->close(); }, Qt::QueuedConnection);
  Press(vkSpace);
  EXPECT_EQ(Game().TickCount, 1u);
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Closed.count(), 1);
}

TEST_F(MainWindowTest, F8InvertsTheSoundSwitchOnlyWithAudio) {
  const bool Before = DM->UseSound;
  Press(vkF8);
  EXPECT_EQ(DM->UseSound, DM->CanChangeUseSound ? !Before : Before);
  DM->CanChangeUseSound = false;
  const bool Now = DM->UseSound;
  Press(vkF8);
  EXPECT_EQ(DM->UseSound, Now);
}

TEST(MainWindowFiles, GetFileSizeByNameGivesMinusOneForAFileThatCannotBeOpened) {
  TTempDir Dir;
  EXPECT_EQ(TFrmMain::GetFileSizeByName(Dir.Path() + "/none.png"), -1);
  std::ofstream(Dir.Path() + "/five") << "12345";
  EXPECT_EQ(TFrmMain::GetFileSizeByName(Dir.Path() + "/five"), 5);
}

class StartUpTest : public TProgramTest {
protected:
  QPoint PlacedByTheWindowSystem();
};

TEST_F(StartUpTest, AScreenFileOfTheWrongSizeEndsTheProgramAfterItsMessage) {
  struct TCase {
    const char* File;
    std::size_t Size;
  };
  for (const TCase C : {TCase{"1st_screen.png", 24256}, TCase{"about_screen.png", 26510}}) {
    WriteGameFolder(Dir.Path());
    WriteSolidPng(Dir.Path() + "/sprites/" + C.File, 640, 480, {1, 2, 3, 255});
    PadPngToSize(Dir.Path() + "/sprites/" + C.File, C.Size);
    Messages.Shown.clear();
    Start();
    EXPECT_TRUE(Main->EndRequested()) << C.File;
    ASSERT_EQ(Messages.Shown.size(), 1u) << C.File;
    EXPECT_EQ(Messages.Shown[0].Title, "Tinvell: 01h");
    EXPECT_EQ(Messages.Shown[0].Text, "Game files damaged or wrong!\r\nPlease reffer to "
                                      "\"https://clankora.org/download\" for correct game distributive!");
    End();
  }
}

TEST_F(StartUpTest, AStartScreenUnderItsSecondNameOfTheRightSizePasses) {
  std::filesystem::rename(Dir.Path() + "/sprites/1st_screen.png", Dir.Path() + "/sprites/1st_screen.spr");
  Start();
  EXPECT_FALSE(Main->EndRequested());
  EXPECT_TRUE(Messages.Shown.empty());
}

TEST_F(StartUpTest, AMissingPictureIsNamedAndTheProgramEnds) {
  for (const std::string File : {"smoke/3", "1st_screen"}) {
    WriteGameFolder(Dir.Path());
    std::filesystem::remove(Dir.Path() + "/sprites/" + File + ".png");
    Messages.Shown.clear();
    Start();
    EXPECT_TRUE(Main->EndRequested()) << File;
    EXPECT_EQ(Main->Game, nullptr) << File;
    ASSERT_EQ(Messages.Shown.size(), 1u) << File;
    EXPECT_NE(Messages.Shown[0].Text.find(File + ".spr"), std::string::npos) << Messages.Shown[0].Text;
    Press(vkSpace); // nothing to play, nothing happens
    End();
  }
}

TEST_F(StartUpTest, AGameWithoutItsDataNamesThePictureAndEveryFolderItLookedIn) {
  std::filesystem::remove_all(Dir.Path() + "/sprites");
  WriteIni("SoundOn=0\n");
  Messages.Shown.clear();
  Start({Dir.Path(), "/nowhere/share/clankora"});
  EXPECT_TRUE(Main->EndRequested());
  ASSERT_EQ(Messages.Shown.size(), 1u);
  const std::string& Text = Messages.Shown[0].Text;
  for (const std::string& Named : {Dir.Path() + "/sprites/rock.png", Dir.Path() + "\r\n", std::string("/nowhere/share/clankora")})
    EXPECT_NE(Text.find(Named), std::string::npos) << Named << " in " << Text;
  End();
  EXPECT_EQ(Stored("SoundOn", -1), 0) << "the player's sound switch was lost";
}

// Where the window opens with no position stored: the window system's choice.
QPoint StartUpTest::PlacedByTheWindowSystem() {
  std::filesystem::remove(IniPath());
  Start();
  Main->show();
  Dispatch();
  const QPoint At = Main->pos();
  End();
  std::filesystem::remove(IniPath());
  return At;
}

TEST_F(StartUpTest, AStoredPositionIsTakenAsItIsWhileTheTitleBarIsOnAScreen) {
  const QPoint Placed = PlacedByTheWindowSystem();
  const QRect Screen = QGuiApplication::primaryScreen()->geometry();
  struct TCase {
    int Left, Top;
    bool Kept;
  };
  const TCase Cases[] = {
      {123, 64, true},
      {Screen.right() - 5, Screen.bottom() - 5, true}, // a corner of the title bar on screen
      {Screen.right() + 1, 100, false},
      {100, Screen.top() - 200, false},
      {-5000, -5000, false},
      {INT32_MAX, INT32_MAX, false}, // beyond any arithmetic of the window's place
      {INT32_MIN, INT32_MIN, false},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Left << ", " << C.Top);
    WriteIni("Top=" + std::to_string(C.Top) + "\nLeft=" + std::to_string(C.Left) + "\n");
    Start();
    Main->show();
    Dispatch();
    EXPECT_EQ(Main->pos(), C.Kept ? QPoint(C.Left, C.Top) : Placed);
    End();
  }
}

TEST_F(StartUpTest, WithOneCoordinateStoredTheOtherIsWhereTheWindowSystemPutsTheWindow) {
  struct TCase {
    const char* Ini;
    QPoint At;
  };
  const TCase Cases[] = {
      {"Left=123\n", {123, 200}},
      {"Top=0x4d\n", {300, 77}},
      {"Left=-5000\n", {300, 200}}, // no title bar on a screen there
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Ini);
    WriteIni(C.Ini);
    Start();
    Main->show();
    Main->move(300, 200); // the window system places the window as it comes on screen
    Dispatch();
    EXPECT_EQ(Main->pos(), C.At);
    End();
  }
}

TEST_F(StartUpTest, ARunEndingBeforeTheWindowIsShownKeepsTheStoredPosition) {
  struct TCase {
    const char* Ini;
    const char* Damaged; // a screen file cut short, or a picture gone
    std::int32_t Top, Left;
  };
  const TCase Cases[] = {
      {"Top=0x40\nLeft=123\n", "1st_screen.png", 64, 123},
      {"", "smoke/3.png", -999, -999},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Damaged);
    WriteGameFolder(Dir.Path());
    std::filesystem::resize_file(Dir.Path() + "/sprites/" + C.Damaged, 10);
    WriteIni(C.Ini);
    Start();
    ASSERT_TRUE(Main->EndRequested());
    End();
    EXPECT_EQ(Stored("Top", -999), C.Top);
    EXPECT_EQ(Stored("Left", -999), C.Left);
  }
}

TEST_F(StartUpTest, ASettingsFileThatCannotBeWrittenIsReportedAtTheEnd) {
  std::filesystem::create_directory(IniPath()); // a folder where the file should be
  Start();
  Messages.Shown.clear();
  End();
  // The settings dialog and the main window both fail to save: the player hears of it once.
  ASSERT_EQ(Messages.Shown.size(), 1u);
  EXPECT_EQ(Messages.Shown[0].Text, "Unable to write to " + IniPath());
}

TEST_F(StartUpTest, WithoutAudioTheStoredSoundSwitchIsKeptUnlessThePlayerTicksIt) {
  ChooseAudioDriver("no-such-driver");
  struct TCase {
    const char* Stored;
    bool Ticked;
    std::int32_t Saved;
  };
  for (const TCase C : {TCase{"1", false, 1}, TCase{"0", false, 0}, TCase{"0", true, 1}}) {
    WriteIni(std::string("SoundOn=") + C.Stored + "\n");
    Start();
    ASSERT_FALSE(DM->CanChangeUseSound);
    if (C.Ticked)
      Settings->CBUseSound->setChecked(true);
    End();
    EXPECT_EQ(Stored("SoundOn", -1), C.Saved) << "stored " << C.Stored << (C.Ticked ? ", ticked" : "");
  }
}

TEST_F(StartUpTest, TheAnimationSettingSwitchesTheRobotsWalkAndIsKept) {
  struct TCase {
    const char* Line; // in the settings file
    bool Animated;
  };
  for (const TCase C : {TCase{"", true}, TCase{"Animation=0\n", false}, TCase{"Animation=1\n", true},
                        TCase{"Animation=what\n", true}}) {
    WriteIni(C.Line);
    Start();
    EXPECT_EQ(Main->Game->Animation, C.Animated) << C.Line;
    End();
    EXPECT_EQ(Stored("Animation", -1), C.Animated ? 1 : 0) << C.Line;
  }
}

TEST(KeyMap, LaptopKeysStandForTheKeysTheyLackAndCtrlZooms) {
  struct TCase {
    int Key;
    Qt::KeyboardModifiers Mods;
    std::uint32_t Code;
  };
  const TCase Cases[] = {
      {Qt::Key_Plus, Qt::KeypadModifier, 107},
      {Qt::Key_Plus, Qt::ShiftModifier, 107}, // the main keyboard's + on a US layout
      {Qt::Key_Equal, Qt::NoModifier, 107},
      {Qt::Key_Minus, Qt::KeypadModifier, 109},
      {Qt::Key_Minus, Qt::NoModifier, 109},
      {Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, kcZoomIn},
      {Qt::Key_Equal, Qt::ControlModifier, kcZoomIn},
      {Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, kcZoomIn},
      {Qt::Key_Minus, Qt::ControlModifier, kcZoomOut},
      {Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier, kcZoomOut},
      {Qt::Key_Pause, Qt::NoModifier, 19},
      {Qt::Key_P, Qt::NoModifier, 19},
      {Qt::Key_P, Qt::ShiftModifier, 19},
      {Qt::Key_F11, Qt::NoModifier, 122},
      {Qt::Key_Return, Qt::AltModifier, 122},
      {Qt::Key_Enter, Qt::AltModifier | Qt::KeypadModifier, 122},
      {Qt::Key_Return, Qt::NoModifier, 13},
      {Qt::Key_Space, Qt::NoModifier, 32},
      {Qt::Key_Left, Qt::KeypadModifier, 37},
      {Qt::Key_F7, Qt::NoModifier, 118},
      {Qt::Key_A, Qt::NoModifier, 0},
  };
  for (const TCase& C : Cases) {
    QKeyEvent Event(QEvent::KeyPress, C.Key, C.Mods);
    EXPECT_EQ(GameKeyCode(Event), C.Code) << C.Key;
  }
  for (std::uint32_t Code :
       {13u, 19u, 27u, 32u, 37u, 38u, 39u, 40u, 107u, 109u, 112u, 113u, 116u, 118u, 119u, 122u, kcZoomIn, kcZoomOut}) {
    std::unique_ptr<QKeyEvent> Event(MakeKeyPress(Code));
    EXPECT_EQ(GameKeyCode(*Event), Code);
  }
}
