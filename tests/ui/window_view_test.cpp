// The window around the picture: zoom, full screen, laptop keys and the pause
// when the player leaves the window.
#include "ui/ui_fixture.h"
#include "ui/view_scale.h"

#include <QPaintEvent>
#include <QScreen>
#include <QTimer>

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

constexpr TViewSize GamePicture{640, 480};

TEST(ViewScale, FirstStartTakesTheLargestZoomWhoseWindowFitsTheScreen) {
  struct TCase {
    TViewSize Available;
    double Ratio;
    int Zoom;
  };
  const TViewSize Frame{16, 48};
  const TCase Cases[] = {
      {{1920, 1040}, 1, 2},   // a full-HD desktop with a panel: 3x would be 1920 + frame wide
      {{1296, 1008}, 1, 2},   // 2x with its frame fits exactly
      {{1295, 1008}, 1, 1},   // one unit short
      {{1366, 728}, 1, 1},    // a small laptop: 2x is too high
      {{800, 600}, 1, 1},     //
      {{600, 400}, 1, 1},     // smaller than the picture: still 1x
      {{3840, 2120}, 1, 4},   // 4K at ratio 1
      {{7680, 4280}, 1, 4},   // never more than 4x in a window
      {{1920, 1040}, 2, 4},   // 4K at ratio 2: 4 screen pixels per pixel take 1280 x 960 units
      {{1280, 680}, 2, 2},    // 2560 x 1440 at ratio 2: 4x and 3x do not fit, 2x is 640 x 480 units
      {{1280, 680}, 1.5, 1},  // 1920 x 1080 at 150 %: 2x takes 854 x 640 units, too high with the frame
      {{1536, 824}, 1.25, 2}, // 1920 x 1080 at 125 %: 2x takes 1024 x 768 units
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(AutoZoom(C.Available, Frame, C.Ratio, GamePicture), C.Zoom)
        << C.Available.Width << "x" << C.Available.Height << " at " << C.Ratio;
}

TEST(ViewScale, FullScreenTakesTheLargestWholeFactorThatFits) {
  struct TCase {
    TViewSize Screen;
    double Ratio;
    int Zoom;
  };
  const TCase Cases[] = {
      {{1920, 1080}, 1, 2}, {{1024, 768}, 1, 1},  {{2560, 1440}, 1, 3}, {{3840, 2160}, 1, 4},
      {{7680, 4320}, 1, 9}, {{1920, 1080}, 2, 4}, {{1280, 800}, 1.5, 2}, {{600, 400}, 1, 1},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(FullScreenZoom(C.Screen, C.Ratio, GamePicture), C.Zoom)
        << C.Screen.Width << "x" << C.Screen.Height << " at " << C.Ratio;
}

TEST(ViewScale, FittedFullScreenTakesTheLargestSizeOfThePicturesShapeAndAWholeFactorAtOrAboveIt) {
  struct TCase {
    TViewSize Screen;
    double Ratio;
    TViewSize Fit;
    TViewPoint At; // centred on the screen
    int Zoom;      // scaled to first, then smoothed down
  };
  const TCase Cases[] = {
      {{1280, 800}, 1, {1067, 800}, {106, 0}, 2},    // a handheld: the height runs out first
      {{1366, 768}, 1, {1024, 768}, {171, 0}, 2},    // the common laptop
      {{1920, 1080}, 1, {1440, 1080}, {240, 0}, 3},  //
      {{3840, 2160}, 1, {2880, 2160}, {480, 0}, 5},  //
      {{1280, 1024}, 1, {1280, 960}, {0, 32}, 2},    // a square-ish screen: the width runs out first
      {{1280, 960}, 1, {1280, 960}, {0, 0}, 2},      // a whole factor fits exactly: nothing to smooth
      {{960, 540}, 2, {720, 540}, {120, 0}, 3},      // units at ratio 2: 1440 x 1080 of 1920 x 1080 pixels
      {{1280, 720}, 1.5, {960, 720}, {160, 0}, 3},   // 1920 x 1080 at 150 %
      {{600, 400}, 1, {533, 400}, {33, 0}, 1},       // smaller than the picture: shrunk
  };
  for (const TCase& C : Cases) {
    const TViewSize Fit = FitSize(C.Screen, C.Ratio, GamePicture);
    EXPECT_EQ(Fit, C.Fit) << C.Screen.Width << "x" << C.Screen.Height << " at " << C.Ratio;
    EXPECT_EQ(Centred(C.Screen, Fit), C.At) << C.Screen.Width << "x" << C.Screen.Height;
    EXPECT_EQ(FitZoom(Fit, C.Ratio, GamePicture), C.Zoom) << C.Screen.Width << "x" << C.Screen.Height;
  }
}

TEST(ViewScale, ZoomedSizeCountsScreenPixelsNotUnits) {
  EXPECT_EQ(ZoomedSize(GamePicture, 2, 1), (TViewSize{1280, 960}));
  EXPECT_EQ(ZoomedSize(GamePicture, 2, 2), (TViewSize{640, 480}));
  EXPECT_EQ(ZoomedSize(GamePicture, 2, 1.5), (TViewSize{854, 640}));
  EXPECT_EQ(ZoomedSize(GamePicture, 3, 1.25), (TViewSize{1536, 1152}));
}

TEST(ViewScale, AWindowIsMovedBackOntoTheScreen) {
  const TViewPoint AreaAt{0, 30};
  const TViewSize Area{1920, 1050};
  EXPECT_EQ(KeptInside({100, 100}, {1280, 960}, AreaAt, Area), (TViewPoint{100, 100}));
  EXPECT_EQ(KeptInside({900, 400}, {1280, 960}, AreaAt, Area), (TViewPoint{640, 120}));
  EXPECT_EQ(KeptInside({-50, 0}, {640, 480}, AreaAt, Area), (TViewPoint{0, 30}));
  // Larger than the screen: its top left stays on it.
  EXPECT_EQ(KeptInside({300, 300}, {2560, 1920}, AreaAt, Area), (TViewPoint{0, 30}));
}

class WindowViewTest : public TProgramTest {
protected:
  void Open() {
    Start();
    Main->show();
    Dispatch();
  }
  QRect ScreenArea() const { return Main->screen()->geometry(); }
  void SendKey(int Key, Qt::KeyboardModifiers Mods, const QString& Text = {}) {
    QKeyEvent Event(QEvent::KeyPress, Key, Mods, Text);
    QCoreApplication::sendEvent(Main.get(), &Event);
  }
  // The keys of the settings file, in the order they stand in it.
  std::vector<std::string> StoredKeys() const {
    std::ifstream In(IniPath());
    std::vector<std::string> Keys;
    for (std::string Line; std::getline(In, Line);)
      if (const auto Eq = Line.find('='); Eq != std::string::npos)
        Keys.push_back(Line.substr(0, Eq));
    return Keys;
  }
};

// The test screen is 2000 x 1600: a 3x window fits on it, a 4x one does not.
TEST_F(WindowViewTest, CtrlPlusAndMinusStepTheZoomAndStopAtTheLargestWindowThatFits) {
  WriteIni("Zoom=1\n");
  Open();
  const QRect Area = Main->screen()->availableGeometry();
  const auto Step = [&](std::uint32_t Key, int Expected) {
    Press(Key);
    EXPECT_EQ(Main->Zoom(), Expected);
    EXPECT_EQ(Main->size(), QSize(640 * Expected, 480 * Expected));
    EXPECT_EQ(Main->ImageScr->geometry(), QRect(0, 0, 640 * Expected, 480 * Expected));
    EXPECT_TRUE(Area.contains(Main->frameGeometry())) << "the whole window stays on the screen at " << Expected;
  };
  Main->move(Area.right() - 700, Area.bottom() - 500); // near the corner: each step must move it in
  for (int Expected : {2, 3, 3, 3})
    Step(kcZoomIn, Expected);
  for (int Expected : {2, 1, 1})
    Step(kcZoomOut, Expected);
  // The keypad's keys with Ctrl zoom too.
  SendKey(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier, "+");
  EXPECT_EQ(Main->Zoom(), 2);
  EXPECT_EQ(Game().HardnessLevel, 5u) << "zooming left the level alone";
}

// The picture at Zoom as nearest-neighbour scaling makes it, in the colours the screen shows.
QImage Squares(const QImage& Picture, int Zoom) {
  return Picture.scaled(Picture.size() * Zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation)
      .convertToFormat(QImage::Format_RGB32);
}

TEST_F(WindowViewTest, TheZoomedPictureIsTheGamesPictureWithEveryPixelASquare) {
  WriteIni("Zoom=3\n");
  Open();
  Press(vkF1); // a picture with detail in every corner
  TImageScr& Scr = *Main->ImageScr;
  ASSERT_EQ(Scr.Image().size(), QSize(640, 480)) << "the game still draws 640 x 480";
  const QImage Help = Squares(Scr.Image(), 3);
  EXPECT_TRUE(Scr.ShownImage().convertToFormat(QImage::Format_RGB32) == Help);

  // A later picture reaches the screen scaled as well.
  Press(vkF2);
  EXPECT_TRUE(Scr.ShownImage().convertToFormat(QImage::Format_RGB32) == Squares(Scr.Image(), 3));
  EXPECT_FALSE(Scr.ShownImage().convertToFormat(QImage::Format_RGB32) == Help);

  // Every factor, also the larger ones full screen takes on a very large screen.
  for (int Zoom : {2, 4, 5, 6}) {
    Scr.SetZoom(Zoom, 1.0);
    EXPECT_EQ(Scr.size(), QSize(640 * Zoom, 480 * Zoom));
    EXPECT_TRUE(Scr.ShownImage().convertToFormat(QImage::Format_RGB32) == Squares(Scr.Image(), Zoom)) << Zoom;
  }

  // The few rectangles a pass of the game copies reach the screen scaled, in
  // their own place, also on a screen of fractional pixel ratio.
  TPicture Picture(640, 480);
  for (const double Ratio : {1.0, 1.5}) {
    Scr.SetZoom(2, Ratio);
    Picture.Fill(0x0000FF);
    Scr.CopyFrom(Picture);
    Scr.ShownImage();
    Picture.Fill(0x00FF00);
    Scr.CopyRects(Picture, {{32, 64, 64, 32}, {600, 440, 100, 100}});
    EXPECT_EQ(Scr.Image().pixel(32, 64), qRgb(0, 255, 0));
    EXPECT_TRUE(Scr.ShownImage().convertToFormat(QImage::Format_RGB32) == Squares(Scr.Image(), 2)) << Ratio;
  }
}

TEST_F(WindowViewTest, F11FillsTheScreenCentredAtThePicturesShapeOrAtAWholeFactorAndBack) {
  struct TCase {
    const char* Ini;
    QSize Shown; // on the 2000 x 1600 test screen
  };
  const TCase Cases[] = {{"Zoom=1\n", {2000, 1500}}, {"Zoom=1\nFullScreenFit=0\n", {1920, 1440}}};
  for (const TCase& C : Cases) {
    WriteIni(C.Ini);
    Open();
    Main->move(50, 40);
    const QRect Before = Main->geometry();
    Press(vkF11);
    EXPECT_TRUE(Main->FullScreenShown());
    EXPECT_TRUE(Main->isFullScreen());
    const QRect Area = ScreenArea();
    EXPECT_EQ(Main->geometry(), Area);
    EXPECT_EQ(Main->ImageScr->geometry(),
              QRect(QPoint((Area.width() - C.Shown.width()) / 2, (Area.height() - C.Shown.height()) / 2), C.Shown))
        << C.Ini;
    EXPECT_EQ(Main->ImageScr->cursor().shape(), Qt::BlankCursor) << "no pointer over the picture";
    // The zoom keys leave the full screen alone.
    Press(kcZoomIn);
    EXPECT_EQ(Main->ImageScr->size(), C.Shown);

    // Alt+Enter leaves it as F11 does; the window comes back where it was, at its zoom, however often.
    for (int Trip = 0; Trip < 3; ++Trip) {
      SendKey(Qt::Key_Return, Qt::AltModifier, "\r");
      EXPECT_FALSE(Main->FullScreenShown());
      EXPECT_FALSE(Main->isFullScreen());
      EXPECT_EQ(Main->geometry(), Before) << C.Ini << ", trip " << Trip;
      EXPECT_EQ(Main->ImageScr->pos(), QPoint(0, 0));
      EXPECT_NE(Main->ImageScr->cursor().shape(), Qt::BlankCursor);
      Press(vkF11);
    }
    End();
  }
}

TEST_F(WindowViewTest, TheViewKeysAndAnimationAreWrittenAfterThePartsKeys) {
  Open();
  End();
  EXPECT_EQ(StoredKeys(), (std::vector<std::string>{"TrashGeneratorAlgorythmIndex", "StartLevel", "Top", "Left",
                                                    "SoundOn", "Zoom", "FullScreen", "FullScreenFit", "Animation"}));
}

// The picture as the fitted full screen shows it and as nearest-neighbour
// scaling makes it: they may differ only within half a pixel's width of an edge.
TEST_F(WindowViewTest, TheFittedPictureKeepsEveryPixelFlatWithAtMostOneBlendedScreenPixelAtItsEdges) {
  Open();
  Press(vkF11);
  TImageScr& Scr = *Main->ImageScr;
  const QSize Fit = Scr.size();
  ASSERT_EQ(Fit, QSize(2000, 1500));
  // The shipped help screen: lines of text, one pixel wide and less.
  TPngImage HelpScreen;
  HelpScreen.LoadFromFile(std::string(CLANKORA_SOURCE_DIR) + "/data/sprites/help_screen.png");
  TPicture Picture(640, 480);
  Picture.Draw(0, 0, HelpScreen);
  Scr.CopyFrom(Picture);
  const QImage Help = Scr.Image().convertToFormat(QImage::Format_RGB32);
  const QImage Shown = Scr.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const double S = 2000.0 / 640; // screen pixels for each pixel
  int Flat = 0, Blended = 0;
  for (int Y = 0; Y < Fit.height(); ++Y) {
    for (int X = 0; X < Fit.width(); ++X) {
      const double U = (X + 0.5) / S, V = (Y + 0.5) / S;
      const QRgb Expected = Help.pixel(static_cast<int>(U), static_cast<int>(V));
      const bool NearEdge = std::min(U - std::floor(U), std::ceil(U) - U) < 0.5 / S ||
                            std::min(V - std::floor(V), std::ceil(V) - V) < 0.5 / S;
      if (Shown.pixel(X, Y) == Expected)
        ++Flat;
      else if (NearEdge)
        ++Blended;
      else
        ADD_FAILURE() << "a blended pixel away from the edges at " << X << "," << Y;
      if (HasFailure())
        return;
    }
  }
  EXPECT_GT(Flat, 2000 * 1500 / 2);
  EXPECT_GT(Blended, 0) << "the last step smooths";
}

// The game copies a few cells each pass; in the fitted full screen only those
// reach the screen again, each grown by a screen pixel for the smoothing.
TEST_F(WindowViewTest, AFittedFullScreenRepaintsOnlyTheChangedRectanglesGrownByOnePixel) {
  Open();
  Press(vkF11);
  Dispatch();
  TImageScr& Scr = *Main->ImageScr;
  struct TPaints : QObject {
    QRegion Painted;
    bool eventFilter(QObject*, QEvent* E) override {
      if (E->type() == QEvent::Paint)
        Painted += static_cast<QPaintEvent*>(E)->region();
      return false;
    }
  } Paints;
  Scr.installEventFilter(&Paints);
  TPicture Picture(640, 480);
  Picture.Fill(0x0000FF);
  Scr.CopyFrom(Picture);
  Dispatch();
  Paints.Painted = QRegion();
  Picture.Fill(0x00FF00);
  Scr.CopyRects(Picture, {{32, 64, 32, 32}});
  Dispatch();
  Scr.removeEventFilter(&Paints);
  const double S = 2000.0 / 640;
  const QRect Cell = QRectF(32 * S, 64 * S, 32 * S, 32 * S).toAlignedRect();
  EXPECT_TRUE(Paints.Painted.contains(Cell.adjusted(-1, -1, 1, 1))) << "the cell and a pixel round it";
  EXPECT_LT(Paints.Painted.boundingRect().width(), Cell.width() + 4) << "and no more";
}

TEST_F(WindowViewTest, ZoomAndFullScreenAreKeptForTheNextStart) {
  WriteIni("Zoom=2\n");
  Open();
  Press(kcZoomOut);
  const int Zoom = Main->Zoom();
  ASSERT_EQ(Zoom, 1);
  Main->move(50, 40);
  const QPoint Windowed = Main->pos();
  Press(vkF11);
  Main->close();
  End();
  EXPECT_EQ(Stored("Zoom", -1), Zoom);
  EXPECT_EQ(Stored("FullScreen", -1), 1);
  EXPECT_EQ(Stored("Left", -1), Windowed.x()) << "the window's own place, not the full screen's";
  EXPECT_EQ(Stored("Top", -1), Windowed.y());

  // The next start opens as it was left, the picture centred from the first,
  // and leaving full screen finds the window's place.
  Start();
  EXPECT_EQ(Main->ImageScr->geometry().center(), QRect(QPoint(0, 0), Main->size()).center());
  Main->show();
  Dispatch();
  EXPECT_TRUE(Main->isFullScreen());
  EXPECT_EQ(Main->Zoom(), Zoom);
  Press(vkF11);
  EXPECT_EQ(Main->pos(), Windowed);
  End();
  EXPECT_EQ(Stored("FullScreen", -1), 0);
}

TEST_F(WindowViewTest, StoredViewKeysAreReadWithTheNumberRulesAndBadOnesGiveTheDefault) {
  // The defaults: the automatic zoom for this screen, windowed.
  Open();
  const int Auto = Main->Zoom();
  End();
  struct TCase {
    const char* Ini;
    int Zoom; // 0: the automatic one
    bool FullScreen;
    bool Fit;
  };
  const TCase Cases[] = {
      {"Zoom=2\nFullScreen=0\nFullScreenFit=0\n", 2, false, false},
      {"Zoom=0x3\nFullScreen=0x1\nFullScreenFit=0x0\n", 3, true, false},
      {"Zoom=4\n", 3, false, true}, // too large for this screen: the largest that fits
      {"Zoom=5\nFullScreen=2\nFullScreenFit=2\n", 0, false, true},
      {"Zoom=0\nFullScreen=-1\nFullScreenFit=-1\n", 0, false, true},
      {"Zoom=-2\nFullScreen=yes\nFullScreenFit=no\n", 0, false, true},
      {"Zoom=two\n", 0, false, true},
      {"Top=10\nLeft=20\n", 0, false, true}, // a settings file from before
  };
  for (const TCase& C : Cases) {
    WriteIni(C.Ini);
    Open();
    EXPECT_EQ(Main->Zoom(), C.Zoom != 0 ? C.Zoom : Auto) << C.Ini;
    EXPECT_EQ(Main->FullScreenShown(), C.FullScreen) << C.Ini;
    EXPECT_EQ(Main->isFullScreen(), C.FullScreen) << C.Ini;
    EXPECT_EQ(Main->FullScreenFitted(), C.Fit) << C.Ini;
    End();
    EXPECT_EQ(Stored("Zoom", -1), C.Zoom != 0 ? C.Zoom : Auto) << "saved as it was shown: " << C.Ini;
  }
}

TEST_F(WindowViewTest, EscapeInFullScreenGoesBackToTheWindowAndPausesAndInAWindowQuits) {
  Open();
  PlayBriefly();
  Press(vkF11);
  Game().Paused = false; // as if the loop were running
  bool Closed = false;
  QObject::connect(Main.get(), &TFrmMain::Closed, [&Closed] { Closed = true; });
  SendKey(Qt::Key_Escape, Qt::NoModifier);
  EXPECT_FALSE(Main->FullScreenShown());
  EXPECT_FALSE(Main->isFullScreen());
  EXPECT_TRUE(Game().Paused);
  EXPECT_TRUE(ShowsPausedText());
  EXPECT_FALSE(Closed);
  // Space plays on: the same game.
  const std::uint32_t Ticks = Game().TickCount;
  PlayBriefly();
  EXPECT_GT(Game().TickCount, Ticks);
  // The repeat of an Escape held in a dialog that has gone does not end the game.
  QKeyEvent Repeated(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
  QCoreApplication::sendEvent(Main.get(), &Repeated);
  EXPECT_FALSE(Closed);
  SendKey(Qt::Key_Escape, Qt::NoModifier);
  EXPECT_TRUE(Closed);
}

TEST_F(WindowViewTest, PAndTheMainKeyboardsPlusAndMinusDoWhatPauseAndTheKeypadDo) {
  Open();
  SendKey(Qt::Key_Plus, Qt::ShiftModifier, "+");
  EXPECT_EQ(Game().HardnessLevel, 6u);
  SendKey(Qt::Key_Equal, Qt::NoModifier, "=");
  EXPECT_EQ(Game().HardnessLevel, 7u);
  SendKey(Qt::Key_Minus, Qt::NoModifier, "-");
  SendKey(Qt::Key_Minus, Qt::NoModifier, "-");
  SendKey(Qt::Key_Minus, Qt::NoModifier, "-");
  EXPECT_EQ(Game().HardnessLevel, 4u);

  // P does nothing on the start screen, as Pause does.
  SendKey(Qt::Key_P, Qt::NoModifier, "p");
  Dispatch();
  EXPECT_TRUE(Main->InfoScreenDisplayed());
  EXPECT_EQ(Game().TickCount, 0u);

  // A queued P stops the running loop with the paused picture; P again resumes.
  QCoreApplication::postEvent(Main.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_P, Qt::NoModifier, "p"));
  Press(vkSpace);
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Game().TickCount, 1u);
  EXPECT_TRUE(ShowsPausedText());
  SendKey(Qt::Key_P, Qt::NoModifier, "p");
  EXPECT_TRUE(Game().Paused) << "the resume waits for the queued Space";
  Post(vkPause);
  Dispatch();
  EXPECT_EQ(Game().TickCount, 2u);
}

TEST_F(WindowViewTest, PlusAndMinusShowTheNewLevelOnThePausedGame) {
  Open();
  PlayBriefly();
  const auto LevelEnd = [this] { return Main->ImageScr->Image().copy(500, 0, 140, 40); };
  const QImage AtFive = LevelEnd();
  Press(vkAdd);
  EXPECT_NE(LevelEnd(), AtFive);
  EXPECT_TRUE(ShowsPausedText()) << "still the paused view";
  Press(vkSubtract);
  EXPECT_EQ(LevelEnd(), AtFive);
}

class AwayTest : public WindowViewTest {
protected:
  // Another window of the desktop takes the keyboard.
  void SwitchAway() {
    Other.show();
    Other.activateWindow();
  }
  QWidget Other;
};

TEST_F(AwayTest, LeavingTheWindowPausesARunningGameWithThePausedPicture) {
  Open();
  Main->activateWindow();
  Dispatch();
  ASSERT_TRUE(Main->isActiveWindow());
  bool Rescued = false;
  // The switch happens while the loop runs; should it not pause, a Pause ends the test.
  QTimer::singleShot(0, Main.get(), [this] { SwitchAway(); });
  QTimer::singleShot(3000, Main.get(), [&] {
    Rescued = true;
    Post(vkPause);
  });
  Press(vkSpace);
  EXPECT_FALSE(Rescued) << "the game ran on in the background";
  EXPECT_TRUE(Game().Paused);
  EXPECT_FALSE(Main->InfoScreenDisplayed());
  EXPECT_TRUE(ShowsPausedText());

  // Coming back does not resume it; the player does.
  const std::uint32_t Ticks = Game().TickCount;
  Main->activateWindow();
  Dispatch();
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Game().TickCount, Ticks);
}

TEST_F(AwayTest, LeavingThePausedGameChangesNothing) {
  Open();
  Main->activateWindow();
  Dispatch();
  SwitchAway();
  Dispatch();
  EXPECT_TRUE(Main->InfoScreenDisplayed()) << "still the start screen";
  EXPECT_FALSE(ShowsPausedText());
  EXPECT_EQ(Game().TickCount, 0u);
  // A game paused by the player stays paused, not resumed by a second Pause.
  PlayBriefly();
  Main->activateWindow();
  Dispatch();
  SwitchAway();
  Dispatch();
  Dispatch();
  EXPECT_TRUE(Game().Paused);
  EXPECT_EQ(Game().TickCount, 1u);
}

// The loop runs on behind the win and lose screens; stopping it leaves them as they are.
TEST_F(AwayTest, PausingOnTheEndScreensDrawsNothingOverThem) {
  struct TCase {
    std::uint32_t Lives;
    const char* Screen;
    bool Away; // by leaving the window, else by P
  };
  const TCase Cases[] = {{0, "loose_screen.png", true}, {TGame::WonLives, "win_screen.png", false}};
  for (const TCase& C : Cases) {
    Open();
    PlayBriefly();
    Main->activateWindow();
    Dispatch();
    Game().Lives = C.Lives;
    Game().Stopped = true;
    Game().Paused = false; // as if the loop were running
    if (C.Away)
      SwitchAway();
    else
      SendKey(Qt::Key_P, Qt::NoModifier, "p");
    Dispatch();
    EXPECT_TRUE(Game().Paused) << C.Screen;
    EXPECT_FALSE(ShowsPausedText()) << C.Screen;
    EXPECT_EQ(ShownPixel(*Main, 320, 240), Bgr(FixtureColour(C.Screen))) << C.Screen;
    End();
  }
}

TEST_F(AwayTest, MinimisingPausesARunningGame) {
  Open();
  PlayBriefly();
  Game().Paused = false; // as if the loop were running
  Main->showMinimized();
  Dispatch();
  EXPECT_TRUE(Game().Paused);
  EXPECT_TRUE(ShowsPausedText());
}

} // namespace
