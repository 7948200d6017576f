#include "ui/ui_fixture.h"

#include "platform/gamepad.h"
#include "support/virtual_pad.h"
#include "ui/controls_dialog.h"
#include "ui/pad_input.h"

#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {
// The program as it starts, with a pad plugged in once its window is up.
// Only SDL's virtual pads count: the machine's own are left out.
class PadPlayTest : public TProgramTest {
protected:
  PadPlayTest() {
    SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
    Start();
    Main->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(Main.get())) << "the player is at the game's window";
    MachinePads = GamepadCount();
    Pad = std::make_unique<TVirtualPad>();
    // SDL's virtual pads make no device file: the test says where to look.
    Main->Pads()->LookForNewPads();
    EXPECT_TRUE(QTest::qWaitFor([this] { return GamepadCount() == MachinePads + 1; }, 2000)) << "the pad was taken in";
  }
  ~PadPlayTest() override { Pad.reset(); }

  // A window of ours closed: the window manager gives the game's window the keyboard again.
  void BackAtTheWindow() {
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main.get()));
  }

  std::size_t MachinePads = 0;
  std::unique_ptr<TVirtualPad> Pad;
};
} // namespace

TEST_F(PadPlayTest, APadsAStartsTheGameAndItsStartPausesIt) {
  ASSERT_TRUE(Main->InfoScreenDisplayed());
  ASSERT_EQ(Game().TickCount, 0u);
  // Once the game runs, the player lets go of A and presses Start.
  QTimer::singleShot(300, [this] {
    EXPECT_FALSE(Game().Paused) << "the game runs";
    Pad->Release(SDL_CONTROLLER_BUTTON_A);
    Pad->Press(SDL_CONTROLLER_BUTTON_START);
  });
  Pad->Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_TRUE(QTest::qWaitFor([this] { return Game().TickCount > 0 && Game().Paused; }, 5000));
  EXPECT_GT(Main->LoopStats().Passes, 1u) << "the main loop ran until Start";
  EXPECT_FALSE(Main->InfoScreenDisplayed());
  EXPECT_TRUE(ShowsPausedText());
}

TEST_F(PadPlayTest, APadActsOnlyWhileThePlayerIsAtTheWindow) {
  QWidget Other;
  // The game runs; then another window comes in front, and the game pauses.
  QTimer::singleShot(300, [&] {
    Pad->Release(SDL_CONTROLLER_BUTTON_A);
    Other.show();
    Other.activateWindow();
  });
  Pad->Press(SDL_CONTROLLER_BUTTON_A);
  ASSERT_TRUE(QTest::qWaitFor([this] { return Game().TickCount > 0 && Game().Paused; }, 5000));
  const std::uint32_t Ticks = Game().TickCount;

  // A press meanwhile does not resume the game behind the other window;
  // should it, a Pause ends the game's run and the test.
  QTimer Rescue;
  Rescue.setSingleShot(true);
  QObject::connect(&Rescue, &QTimer::timeout, [this] { Post(vkPause); });
  Rescue.start(1000);
  Pad->Press(SDL_CONTROLLER_BUTTON_A);
  QTest::qWait(200);
  Pad->Release(SDL_CONTROLLER_BUTTON_A);
  QTest::qWait(50);
  EXPECT_TRUE(Rescue.isActive()) << "the game ran behind the other window";
  Rescue.stop();
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Game().TickCount, Ticks) << "no tick ran unseen";
  // ...nor is it kept for when the player is back.
  BackAtTheWindow();
  QTest::qWait(100);
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Game().TickCount, Ticks);

  // Back at the window, A resumes the game, and Start pauses it again.
  QTimer::singleShot(300, [this] {
    EXPECT_FALSE(Game().Paused) << "the game runs again";
    Pad->Release(SDL_CONTROLLER_BUTTON_A);
    Pad->Press(SDL_CONTROLLER_BUTTON_START);
  });
  Pad->Press(SDL_CONTROLLER_BUTTON_A);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Game().TickCount > Ticks && Game().Paused; }, 5000));
}

TEST_F(PadPlayTest, APadWaitsWhileAMessageBoxIsOpen) {
  QDialog Box(Main.get());
  Box.setModal(true);
  Box.show();
  Pad->Press(SDL_CONTROLLER_BUTTON_BACK);
  QTest::qWait(100);
  EXPECT_EQ(Main->ScreenIndex(), 0) << "no help screen behind the box";
  Box.hide();
  BackAtTheWindow();
  Pad->Release(SDL_CONTROLLER_BUTTON_BACK);
  QTest::qWait(50);
  Pad->Press(SDL_CONTROLLER_BUTTON_BACK);
  EXPECT_TRUE(QTest::qWaitFor([this] { return Main->ScreenIndex() == 1; }, 2000)) << "Back shows the help screen";
}

TEST_F(PadPlayTest, AButtonGivenAnotherActionInTheControlsActsAsIt) {
  Press(vkF6);
  ASSERT_NE(Program.Dialogs->Controls(), nullptr);
  // B becomes the help screen: the choice before "Nothing".
  QTest::keyClick(Program.Dialogs->Controls()->PadChoices[1], Qt::Key_End);
  QTest::keyClick(Program.Dialogs->Controls()->PadChoices[1], Qt::Key_Up);
  QTest::keyClick(Program.Dialogs->Controls()->PadChoices[1], Qt::Key_Escape);
  BackAtTheWindow();
  ASSERT_EQ(Main->PlayersPadButtons().Codes[1], vkF1);
  ASSERT_EQ(Main->ScreenIndex(), 0);
  Pad->Press(SDL_CONTROLLER_BUTTON_B);
  EXPECT_TRUE(QTest::qWaitFor([this] { return Main->ScreenIndex() == 1; }, 2000)) << "B shows the help screen";
}

namespace {
// The pads' look on its own, beside a window, with a folder of its own
// standing for the system's device files. Only SDL's virtual pads count.
class PadWatchTest : public ::testing::Test {
protected:
  PadWatchTest() {
    SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
    Window.show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Window));
  }

  // A device file appears, as when something is plugged in.
  void PlugDevice(const char* Name) {
    QFile File(Devices.filePath(QString::fromLatin1(Name)));
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  }

  QTemporaryDir Devices;
  QWidget Window;
};
} // namespace

TEST_F(PadWatchTest, APadPluggedInIsFoundWithoutATimerBeforeIt) {
  TPadInput Input(Window, {Devices.path()});
  if (GamepadCount() > 0)
    GTEST_SKIP() << "a pad of this machine is plugged in";
  EXPECT_FALSE(Input.Looking()) << "nothing wakes the game without a pad";
  TVirtualPad Pad;
  QTest::qWait(100);
  EXPECT_EQ(GamepadCount(), 0u) << "the pads are not looked at until a device comes";
  PlugDevice("event7");
  EXPECT_TRUE(QTest::qWaitFor([] { return GamepadCount() == 1; }, 2000)) << "the pad was taken in";
  EXPECT_TRUE(Input.Looking());
  EXPECT_LE(Input.LookInterval(), 20) << "a press is felt at once";
  Pad.Unplug();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Input.Looking(); }, 1000)) << "the timer goes with the pad";
  EXPECT_EQ(GamepadCount(), 0u);
}

TEST_F(PadWatchTest, ADeviceThatIsNoPadIsLookedAtOnlyBriefly) {
  TPadInput Input(Window, {Devices.path()});
  if (GamepadCount() > 0)
    GTEST_SKIP() << "a pad of this machine is plugged in";
  PlugDevice("mouse3");
  EXPECT_TRUE(QTest::qWaitFor([&] { return Input.Looking(); }, 1000)) << "the new device is looked at";
  EXPECT_GT(Input.LookInterval(), 20) << "slowly, with no pad to read";
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Input.Looking(); }, 4000)) << "and then no more";
}

TEST_F(PadWatchTest, APadReadableAMomentAfterItsDeviceFileIsFound) {
  TPadInput Input(Window, {Devices.path()});
  if (GamepadCount() > 0)
    GTEST_SKIP() << "a pad of this machine is plugged in";
  PlugDevice("event8");
  QTest::qWait(400);
  TVirtualPad Pad;
  EXPECT_TRUE(QTest::qWaitFor([] { return GamepadCount() == 1; }, 2000));
}
