#include <gtest/gtest.h>

#include "support/test_game.h"
#include "support/test_pictures.h"
#include "support/yard.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {
struct TBox {
  int Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;
  bool Empty() const { return Right < 0; }
};

// The box around every yellow pixel inside the given area.
TBox YellowBox(TPicture& P, int X0, int Y0, int X1, int Y1) {
  TBox Box;
  for (int Y = Y0; Y < Y1; ++Y) {
    for (int X = X0; X < X1; ++X) {
      if (!IsYellow(P.PixelAt(X, Y)))
        continue;
      Box.Left = std::min(Box.Left, X);
      Box.Top = std::min(Box.Top, Y);
      Box.Right = std::max(Box.Right, X);
      Box.Bottom = std::max(Box.Bottom, Y);
    }
  }
  return Box;
}

class RenderTest : public TGameTest {
protected:
  RenderTest() { Game->Init(5); }
  TPicture& Scr() { return *Game->Scr; }
  const std::uint32_t Back = Bgr(FixtureColour("back.png"));
};
} // namespace

TEST_F(RenderTest, CellsAreDrawnAtTheirCornerWithTheirAlpha) {
  PutSolid(*Game, 3, 5); // the half-transparent brick
  Game->Render();
  // The robot's picture, two cells high, hangs from its upper cell (10, 13).
  EXPECT_EQ(Scr().PixelAt(288, 384), Bgr(FixtureColour("robot/robot_front_stay.png")));
  EXPECT_EQ(Scr().PixelAt(319, 447), Bgr(FixtureColour("robot/robot_front_stay.png")));
  EXPECT_EQ(Scr().PixelAt(287, 384), Back);
  EXPECT_EQ(Scr().PixelAt(608, 448), Bgr(FixtureColour("rock.png")));
  EXPECT_EQ(Scr().PixelAt(0, 448), Bgr(FixtureColour("lighting/1.png")));
  // The brick blends half and half with the background behind it.
  const TRgba Brick = FixtureColour("brick.png");
  const TRgba B = FixtureColour("back.png");
  const std::uint32_t Blend = Scr().PixelAt(64 + 16, 128 + 16);
  EXPECT_NEAR(static_cast<int>(Blend & 0xFF), (Brick.R + B.R) / 2, 2);
  EXPECT_NEAR(static_cast<int>((Blend >> 8) & 0xFF), (Brick.G + B.G) / 2, 2);
  EXPECT_NEAR(static_cast<int>((Blend >> 16) & 0xFF), (Brick.B + B.B) / 2, 2);
  EXPECT_EQ(Scr().PixelAt(63, 128 + 16), Back);
  EXPECT_EQ(Scr().PixelAt(96, 128 + 16), Back);
}

TEST_F(RenderTest, TheStatusLineShowsLivesAndBombsBesideTheirIcons) {
  Game->Render();
  EXPECT_EQ(Scr().PixelAt(10, 10), Bgr(FixtureColour("robot/robot_front_stay.png")));
  EXPECT_EQ(Scr().PixelAt(9, 9), Back);
  EXPECT_EQ(Scr().PixelAt(106, 10), Bgr(FixtureColour("barrel.png")));
  EXPECT_EQ(Scr().PixelAt(105, 10), Back);

  // " X 3" starts right after the 32-pixel icon, behind its leading blank.
  const TBox Lives = YellowBox(Scr(), 0, 0, 106, 60);
  ASSERT_FALSE(Lives.Empty());
  EXPECT_GT(Lives.Left, 42);
  EXPECT_LT(Lives.Left, 42 + 20);
  EXPECT_GE(Lives.Top, 10);
  const TBox Bombs = YellowBox(Scr(), 106, 0, 300, 60);
  EXPECT_TRUE(YellowBox(Scr(), 300, 0, 500, 60).Empty()) << "the middle of the line stays clear";
  ASSERT_FALSE(Bombs.Empty());
  EXPECT_GT(Bombs.Left, 138);
  EXPECT_LT(Bombs.Left, 138 + 20);

  // Another count changes that count's text and nothing else.
  std::vector<std::uint32_t> LivesBefore, BombsBefore;
  for (int X = 42; X < 106; ++X)
    LivesBefore.push_back(Scr().PixelAt(X, 20));
  for (int X = 138; X < 220; ++X)
    BombsBefore.push_back(Scr().PixelAt(X, 20));
  Game->Robot->BombCount = 7;
  Game->Render();
  std::vector<std::uint32_t> LivesAfter, BombsAfter;
  for (int X = 42; X < 106; ++X)
    LivesAfter.push_back(Scr().PixelAt(X, 20));
  for (int X = 138; X < 220; ++X)
    BombsAfter.push_back(Scr().PixelAt(X, 20));
  EXPECT_EQ(LivesBefore, LivesAfter);
  EXPECT_NE(BombsBefore, BombsAfter);
}

TEST_F(RenderTest, TheLevelStandsAtTheRightEndOfTheStatusLineAndFollowsEveryChange) {
  const auto LevelPixels = [this] {
    std::vector<std::uint32_t> Row;
    for (int X = 500; X < 640; ++X)
      Row.push_back(Scr().PixelAt(X, 20));
    return Row;
  };
  Game->Render();
  EXPECT_EQ(Game->MessageStr, "Level 5") << "composed last, as every status text";
  // As far in from the right edge as the lives are from the left, on the same line.
  const TBox Level = YellowBox(Scr(), 300, 0, 640, 60);
  ASSERT_FALSE(Level.Empty());
  EXPECT_LE(Level.Right, 629);
  EXPECT_GE(Level.Right, 625);
  EXPECT_GT(Level.Left, 500);
  EXPECT_GE(Level.Top, 10);
  EXPECT_LT(Level.Bottom, 40);
  const std::vector<std::uint32_t> AtFive = LevelPixels();

  // Up, down and a level set outright each show the new level; the same level the same pixels.
  Game->IncHardness();
  Game->Render();
  EXPECT_EQ(Game->MessageStr, "Level 6");
  EXPECT_NE(LevelPixels(), AtFive);
  Game->DecHardness();
  Game->Render();
  EXPECT_EQ(LevelPixels(), AtFive);
  Game->SetHardness(10);
  Game->Render();
  EXPECT_EQ(Game->MessageStr, "Level 10");
  EXPECT_GT(YellowBox(Scr(), 300, 0, 640, 60).Left, 480) << "two digits still fit";
}

TEST_F(RenderTest, ThePausedTextIsCentredByItsMeasuredSize) {
  Game->Render();
  Game->DrawPaused();
  Scr().SetFontSize(16);
  const int W = Scr().TextWidth("Paused");
  const int H = Scr().TextHeight("Paused");
  EXPECT_GT(W, 40);
  EXPECT_GT(H, 15);
  const TBox Text = YellowBox(Scr(), 150, 150, 490, 330);
  ASSERT_FALSE(Text.Empty());
  // The ink sits inside the measured box placed at ((640 - w) / 2, (480 - h) / 2).
  EXPECT_GE(Text.Left, (640 - W) / 2);
  EXPECT_LE(Text.Right, (640 - W) / 2 + W);
  EXPECT_GE(Text.Top, (480 - H) / 2);
  EXPECT_LE(Text.Bottom, (480 - H) / 2 + H);
  EXPECT_NEAR((Text.Left + Text.Right) / 2, 320, 4);
}

TEST_F(RenderTest, AStoppedGameShowsOnlyItsEndScreen) {
  struct TCase {
    std::uint32_t Lives;
    std::uint32_t Expected;
  };
  const std::uint32_t Untouched = 0x123456;
  const TCase Cases[] = {
      {0, Bgr(FixtureColour("loose_screen.png"))},
      {65535, Bgr(FixtureColour("win_screen.png"))},
      {2, Untouched},
  };
  for (const TCase& C : Cases) {
    Scr().Fill(Untouched);
    Game->Stopped = true;
    Game->Lives = C.Lives;
    Game->Render();
    for (const auto& [X, Y] : {std::pair{0, 0}, std::pair{12, 12}, std::pair{300, 400}, std::pair{639, 479}})
      EXPECT_EQ(Scr().PixelAt(X, Y), C.Expected) << "lives " << C.Lives << " at " << X << "," << Y;
  }
}

TEST_F(RenderTest, AFrameBeyondItsSetDrawsNothingAndTheRestIsDrawn) {
  Cell(5, 5).SpritesSet = &Game->SpritesContainer->Smoke;
  Cell(5, 5).SpriteIndex = 9;
  PutSolid(*Game, 6, 5, csSolid);
  Cell(6, 5).SpritesSet = &Game->SpritesContainer->Wheel;
  Game->Render();
  EXPECT_EQ(Scr().PixelAt(4 * 32 + 10, 4 * 32 + 10), Back);
  EXPECT_EQ(Scr().PixelAt(5 * 32 + 10, 4 * 32 + 10), Bgr(FixtureColour("wheel.png")));
}

TEST_F(RenderTest, InformationScreensCoverThePicture) {
  struct TCase {
    void (TGame::*Draw)();
    const char* File;
  };
  const TCase Cases[] = {{&TGame::DrawInitScreen, "1st_screen.png"},
                         {&TGame::DrawHelpScreen, "help_screen.png"},
                         {&TGame::DrawAboutScreen, "about_screen.png"}};
  for (const TCase& C : Cases) {
    Game->Render();
    (Game.get()->*C.Draw)();
    EXPECT_EQ(Scr().PixelAt(12, 12), Bgr(FixtureColour(C.File))) << C.File;
    EXPECT_EQ(Scr().PixelAt(320, 240), Bgr(FixtureColour(C.File))) << C.File;
  }
}

TEST_F(RenderTest, DiagnosticOverlaysDrawWhereTheySay) {
  Game->Render();
  Game->DrawGrid();
  EXPECT_EQ(Scr().PixelAt(32, 200), 0u) << "a black line at every cell border";
  EXPECT_EQ(Scr().PixelAt(200, 64), 0u);
  Game->FreeCellsCounter = 123;
  Game->DrawMessageStr();
  EXPECT_EQ(Game->MessageStr, "TGAlgorythm: 1; FreeCellsCounter: 123");
  EXPECT_FALSE(YellowBox(Scr(), 10, 64, 200, 90).Empty());
  Game->DrawCellState(3, 4);
  EXPECT_EQ(Game->MessageStr, "0  96");
}

namespace {
// How bright a pixel looks, 0 (black) to 1 (white): the relative luminance of sRGB.
double Luminance(std::uint32_t Bgr) {
  const auto Linear = [](std::uint32_t V) {
    const double C = V / 255.0;
    return C <= 0.04045 ? C / 12.92 : std::pow((C + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * Linear(Bgr & 0xFF) + 0.7152 * Linear((Bgr >> 8) & 0xFF) + 0.0722 * Linear((Bgr >> 16) & 0xFF);
}

// The texts of play on the shipped pictures, over a yard full of one kind of
// trash or effect at a time.
class TextLegibility : public ::testing::Test {
protected:
  TextLegibility() : Game(std::make_unique<TGame>(std::string(CLANKORA_SOURCE_DIR) + "/data/sprites/")) {
    Draws.Default(0);
    Game->Init(5);
    Game->Robot->BombCount = 38;
  }
  void FillYard(const TFigureSprites* Set, std::uint32_t Frame) {
    for (std::uint32_t Y = 1; Y <= Game->GameGrid->RowsCount; ++Y)
      for (std::uint32_t X = 1; X <= Game->GameGrid->ColsCount; ++X) {
        Game->GameGrid->Cells(X, Y).SpritesSet = Set;
        Game->GameGrid->Cells(X, Y).SpriteIndex = Frame;
      }
  }
  TManualClock Clock;
  TScriptedRandom Draws;
  std::unique_ptr<TGame> Game;
};
} // namespace

TEST_F(TextLegibility, EveryEdgeOfTheLettersIsDarkOverTheSkyAndOverEveryKindOfTrash) {
  struct TText {
    const char* Name;
    void (TGame::*Draw)();
    bool DrawnByRender;
    bool (*Letters)(int X, int Y); // where to look: beside the icons
  };
  const TText Texts[] = {
      {"status line", &TGame::DrawStatusStr, true,
       [](int X, int Y) { return Y < 64 && ((X >= 42 && X < 106) || (X >= 138 && X < 320)); }},
      {"paused text", &TGame::DrawPaused, false,
       [](int X, int Y) { return X >= 160 && X < 480 && Y >= 200 && Y < 280; }},
  };
  const TSpritesContainer& C = *Game->SpritesContainer;
  const std::pair<const char*, const TFigureSprites*> Under[] = {
      {"sky", nullptr},       {"Land", &C.Land},       {"Tool", &C.Tool},         {"Wheel", &C.Wheel},
      {"SmashedCar", &C.SmashedCar}, {"Bottles", &C.Bottles}, {"Metal", &C.Metal},   {"Metal2", &C.Metal2},
      {"Brick", &C.Brick},    {"Toilet", &C.Toilet},   {"Barrel", &C.Barrel},     {"Girya", &C.Girya},
      {"Cargo", &C.Cargo},    {"Papers", &C.Papers},   {"Wall", &C.Wall},         {"Ligthing", &C.Ligthing},
      {"Smoke", &C.Smoke},    {"Boom", &C.Boom},       {"Robot", &C.RobotJumpLeft}};
  TPicture& Scr = *Game->Scr;
  for (const TText& Text : Texts) {
    // The letters in full: the text drawn on black.
    Scr.Fill(0x000000);
    (Game.get()->*Text.Draw)();
    std::set<std::pair<int, int>> Ink;
    for (int Y = 0; Y < 480; ++Y)
      for (int X = 0; X < 640; ++X)
        if (Text.Letters(X, Y) && IsYellow(Scr.PixelAt(X, Y)))
          Ink.emplace(X, Y);
    ASSERT_GT(Ink.size(), 100u) << Text.Name;
    for (const auto& [Name, Set] : Under) {
      for (std::uint32_t Frame = 1; Frame <= (Set ? Set->SpritesCount() : 1); ++Frame) {
        FillYard(Set, Frame);
        Game->Render();
        if (!Text.DrawnByRender)
          (Game.get()->*Text.Draw)();
        // Each letter pixel at an edge has a neighbour outside the letters;
        // the darkest such neighbour is what the eye reads the edge against.
        double Sum = 0;
        int Edges = 0;
        std::size_t Lost = 0;
        for (const auto& [X, Y] : Ink) {
          Lost += !IsYellow(Scr.PixelAt(X, Y));
          double Darkest = 2;
          for (int Dy = -1; Dy <= 1; ++Dy)
            for (int Dx = -1; Dx <= 1; ++Dx)
              if (!Ink.count({X + Dx, Y + Dy}))
                Darkest = std::min(Darkest, Luminance(Scr.PixelAt(X + Dx, Y + Dy)));
          if (Darkest <= 1) {
            Sum += Darkest;
            ++Edges;
          }
        }
        const std::string Where = std::string(Text.Name) + " over " + Name + " frame " + std::to_string(Frame);
        EXPECT_LT(Lost, Ink.size() / 20) << "the letters lose their colour: " << Where;
        ASSERT_GT(Edges, 0) << Where;
        // The contrast ratio of the yellow against its edges, as accessibility
        // guides reckon it; 4.5 is what they ask of ordinary text.
        EXPECT_GE((Luminance(0x00FFFF) + 0.05) / (Sum / Edges + 0.05), 4.5) << Where;
      }
    }
  }
}
