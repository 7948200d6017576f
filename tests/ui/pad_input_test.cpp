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
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>

#include <chrono>
#include <thread>

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
// standing for /dev, and its "input" folder for /dev/input. Only SDL's virtual
// pads count.
class PadWatchTest : public ::testing::Test {
protected:
  PadWatchTest() {
    SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
    EXPECT_TRUE(QDir(Devices.path()).mkdir(QStringLiteral("input")));
    Window.show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Window));
  }

  TPadPlaces Places() const { return {Devices.path().toStdString(), "input"}; }
  // A device file appears, as when something is plugged in.
  void PlugDevice(const char* Name) {
    QFile File(Devices.filePath(QStringLiteral("input/") + QString::fromLatin1(Name)));
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  }
  // The times the test's thread, the one the game's loop runs on, went to sleep and was woken.
  static long LoopWakeups() {
    QFile Status(QStringLiteral("/proc/thread-self/status"));
    if (!Status.open(QIODevice::ReadOnly))
      return -1;
    for (const QByteArray& Line : Status.readAll().split('\n'))
      if (Line.startsWith("voluntary_ctxt_switches:"))
        return Line.mid(Line.indexOf(':') + 1).trimmed().toLong();
    return -1;
  }

  QTemporaryDir Devices;
  QWidget Window;
};
} // namespace

TEST_F(PadWatchTest, APadPluggedInIsFoundWithoutATimerBeforeIt) {
  TPadInput Input(Window, Places());
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
  TPadInput Input(Window, Places());
  if (GamepadCount() > 0)
    GTEST_SKIP() << "a pad of this machine is plugged in";
  PlugDevice("mouse3");
  QTest::qWait(500);
  EXPECT_FALSE(Input.Looking()) << "a mouse's device file is not looked at";
  // A device that reads like a pad but turns out to be none.
  PlugDevice("event9");
  EXPECT_TRUE(QTest::qWaitFor([&] { return Input.Looking(); }, 1000)) << "the new device is looked at";
  EXPECT_GT(Input.LookInterval(), 20) << "slowly, with no pad to read";
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Input.Looking(); }, 4000)) << "and then no more";
}

TEST_F(PadWatchTest, APadReadableAMomentAfterItsDeviceFileIsFound) {
  TPadInput Input(Window, Places());
  if (GamepadCount() > 0)
    GTEST_SKIP() << "a pad of this machine is plugged in";
  PlugDevice("event8");
  QTest::qWait(400);
  TVirtualPad Pad;
  EXPECT_TRUE(QTest::qWaitFor([] { return GamepadCount() == 1; }, 2000));
}

TEST_F(PadWatchTest, OtherDeviceFilesComingAndGoingLeaveTheLoopAsleep) {
  TPadInput Input(Window, Places());
  if (GamepadCount() > 0)
    GTEST_SKIP() << "a pad of this machine is plugged in";
  QTest::qWait(50);
  // 1,000 changes in /dev and /dev/input over about a second, none of them a
  // pad's, while the loop waits for events as a paused game does.
  const QString Folder = Devices.path();
  std::thread Changes([Folder] {
    for (int I = 0; I < 250; ++I) {
      for (const QString& Name : {QStringLiteral("/input/mouse%1"), QStringLiteral("/shm-%1")}) {
        QFile File(Folder + Name.arg(I));
        if (File.open(QIODevice::WriteOnly))
          File.close();
        File.remove();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
  });
  const long Before = LoopWakeups();
  QEventLoop Loop;
  QTimer::singleShot(1500, &Loop, &QEventLoop::quit);
  Loop.exec();
  const long Wakeups = LoopWakeups() - Before;
  Changes.join();
  ASSERT_GE(Before, 0) << "this system tells no thread's wakeups";
  EXPECT_LT(Wakeups, 20) << "the loop woke for files that are no pad's";
  EXPECT_FALSE(Input.Looking());
  // A pad plugged in afterwards is found at once.
  TVirtualPad Pad;
  PlugDevice("event2");
  EXPECT_TRUE(QTest::qWaitFor([] { return GamepadCount() == 1; }, 2000)) << "the pad was taken in";
}
