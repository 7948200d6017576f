#include "ui/ui_fixture.h"

#include "platform/gamepad.h"
#include "support/virtual_pad.h"
#include "ui/controls_dialog.h"

#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QApplication>
#include <QComboBox>
#include <QTableWidget>

namespace {
// The program as it starts, with a pad plugged in once its window is up.
// Only SDL's virtual pads count: the machine's own are left out.
class PadPlayTest : public TProgramTest {
protected:
  PadPlayTest() {
    SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
    Start();
    Main->show();
    MachinePads = GamepadCount();
    Pad = std::make_unique<TVirtualPad>();
    EXPECT_TRUE(QTest::qWaitFor([this] { return GamepadCount() == MachinePads + 1; }, 2000)) << "the pad was taken in";
  }
  ~PadPlayTest() override { Pad.reset(); }

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
  EXPECT_GT(Main->Pacer.Stats().Passes, 1u) << "the main loop ran until Start";
  EXPECT_FALSE(Main->InfoScreenDisplayed());
  EXPECT_TRUE(ShowsPausedText());
}

TEST_F(PadPlayTest, APadWaitsWhileAMessageBoxIsOpen) {
  QDialog Box(Main.get());
  Box.setModal(true);
  Box.show();
  Pad->Press(SDL_CONTROLLER_BUTTON_BACK);
  QTest::qWait(100);
  EXPECT_EQ(Main->ScreenIndex(), 0) << "no help screen behind the box";
  Box.hide();
  Pad->Release(SDL_CONTROLLER_BUTTON_BACK);
  QTest::qWait(50);
  Pad->Press(SDL_CONTROLLER_BUTTON_BACK);
  EXPECT_TRUE(QTest::qWaitFor([this] { return Main->ScreenIndex() == 1; }, 2000)) << "Back shows the help screen";
}

TEST_F(PadPlayTest, AButtonGivenAnotherActionInTheControlsActsAsIt) {
  Press(vkF6);
  ASSERT_NE(Main->Controls, nullptr);
  // B becomes the help screen: the choice before "Nothing".
  QTest::keyClick(Main->Controls->PadChoices[1], Qt::Key_End);
  QTest::keyClick(Main->Controls->PadChoices[1], Qt::Key_Up);
  QTest::keyClick(Main->Controls->PadChoices[1], Qt::Key_Escape);
  ASSERT_EQ(Main->PadKeys.Codes[1], vkF1);
  ASSERT_EQ(Main->ScreenIndex(), 0);
  Pad->Press(SDL_CONTROLLER_BUTTON_B);
  EXPECT_TRUE(QTest::qWaitFor([this] { return Main->ScreenIndex() == 1; }, 2000)) << "B shows the help screen";
}
