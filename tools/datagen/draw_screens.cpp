// The full-picture screens: start, help, about, win and lose. They share one
// poster look: a dark field in flat bands, warning stripes top and bottom,
// big outlined titles and the game's own art drawn large.
#include "art.h"
#include "paint_kit.h"

#include <functional>

namespace {

const QColor Yellow(255, 214, 50), White(242, 242, 250), Muted(170, 180, 210);

// Flat horizontal bands from Top to Bottom colour: few colours, so they pack well.
void BandedField(QPainter& P, const QColor& Top, const QColor& Bottom, int Bands) {
  for (int I = 0; I < Bands; ++I) {
    const double Y0 = 480.0 * I / Bands, Y1 = 480.0 * (I + 1) / Bands;
    P.fillRect(QRectF(0, Y0, 640, Y1 - Y0 + 0.5), Blend(Top, Bottom, double(I) / (Bands - 1)));
  }
}

void HazardBar(QPainter& P, double Y, double Height) {
  P.save();
  P.setRenderHint(QPainter::Antialiasing, false);
  P.fillRect(QRectF(0, Y, 640, Height), Yellow);
  P.setPen(Qt::NoPen);
  P.setBrush(Ink);
  for (double X = -Height; X < 640 + Height; X += 2 * Height)
    P.drawPolygon(QPolygonF({QPointF(X, Y + Height), QPointF(X + Height, Y + Height), QPointF(X + 2 * Height, Y),
                             QPointF(X + Height, Y)}));
  P.fillRect(QRectF(0, Y == 0 ? Height : Y - 3, 640, 3), Ink);
  P.restore();
}

QImage Screen(const QColor& Top, const QColor& Bottom, const std::function<void(QPainter&)>& Paint) {
  return PaintedPicture(640, 480, [&](QPainter& P) {
    BandedField(P, Top, Bottom, 8);
    HazardBar(P, 0, 14);
    HazardBar(P, 466, 14);
    Paint(P);
  });
}

QLinearGradient TitleFill(double Top, double Bottom, const QColor& Light, const QColor& Dark) {
  QLinearGradient G(QPointF(0, Top), QPointF(0, Bottom));
  G.setColorAt(0, Light);
  G.setColorAt(1, Dark);
  return G;
}

void Title(QPainter& P, const QString& Text, double Size, double Baseline, const QColor& Light, const QColor& Dark) {
  const QPainterPath Path = CentredTextPath(Text, SansFont(Size), 320, Baseline);
  PosterText(P, Path, TitleFill(Baseline - Size * 0.75, Baseline, Light, Dark), Size / 11, QPointF(4, 5));
}

void Line(QPainter& P, const QString& Text, double Size, double X, double Baseline, const QColor& Colour,
          bool Bold = false) {
  P.save();
  P.setPen(Qt::NoPen);
  P.setBrush(Colour);
  P.drawPath(TextPath(Text, SansFont(Size, Bold), QPointF(X, Baseline)));
  P.restore();
}

void CentredLine(QPainter& P, const QString& Text, double Size, double Baseline, const QColor& Colour,
                 bool Bold = false) {
  P.save();
  P.setPen(Qt::NoPen);
  P.setBrush(Colour);
  P.drawPath(CentredTextPath(Text, SansFont(Size, Bold), 320, Baseline));
  P.restore();
}

// A key of the keyboard: a light rounded cap with its label.
double KeyCap(QPainter& P, const QString& Label, double X, double Baseline, double Size = 15) {
  // Arrows are small in the type; they get a larger size to read as keys.
  const bool Arrow = Label.size() == 1 && Label[0].unicode() >= 0x2190 && Label[0].unicode() <= 0x2193;
  const QFont Font = Arrow ? SansFont(Size * 1.4) : MonoFont(Size);
  QPainterPath Text = TextPath(Label, Font, QPointF(0, 0));
  const QRectF Box = Text.boundingRect();
  const double W = std::max(Box.width() + 12, Size * 1.7);
  const QRectF Cap(X, Baseline - Size - 1, W, Size + 7);
  QPainterPath CapPath;
  CapPath.addRoundedRect(Cap, 4, 4);
  P.save();
  P.setPen(InkPen(1.5));
  P.setBrush(QColor(90, 94, 110));
  P.drawPath(CapPath.translated(0, 2.5));
  P.setBrush(QColor(228, 230, 238));
  P.drawPath(CapPath);
  P.setPen(Qt::NoPen);
  P.setBrush(Ink);
  P.drawPath(Text.translated(Cap.center().x() - Box.center().x(), Cap.center().y() - Box.center().y()));
  P.restore();
  return X + W;
}

// Art of the game at Scale, its top-left corner at At.
void Art(QPainter& P, QPointF At, double Scale, const std::function<void(QPainter&)>& Paint) {
  P.save();
  P.translate(At);
  P.scale(Scale, Scale);
  Paint(P);
  P.restore();
}

void Robot(QPainter& P, QPointF At, double Scale, const TRobotPose& Pose) {
  Art(P, At, Scale, [&](QPainter& Q) { PaintRobot(Q, Pose); });
}

// A rounded panel a shade darker than the field, to hold text.
void Panel(QPainter& P, const QRectF& R) {
  QPainterPath Path;
  Path.addRoundedRect(R, 10, 10);
  P.save();
  P.setPen(QPen(QColor(0, 0, 0, 0), 0));
  P.setBrush(QColor(10, 12, 24, 130));
  P.drawPath(Path);
  P.setPen(QPen(QColor(255, 214, 50, 150), 2));
  P.setBrush(Qt::NoBrush);
  P.drawPath(Path);
  P.restore();
}

// A gamepad in the 32 x 32 cell of the art: body with two grips, a D-pad on
// the left and four face buttons on the right.
void PaintGamepad(QPainter& P) {
  QPainterPath Body;
  Body.addRoundedRect(QRectF(3, 9, 26, 13), 6, 6);
  Body.addEllipse(QRectF(2, 13, 10, 14));
  Body.addEllipse(QRectF(20, 13, 10, 14));
  Body = Body.simplified();
  Outlined(P, Body, Shade(QPointF(4, 9), QPointF(26, 27), QColor(188, 194, 212), QColor(104, 110, 134)), 1.5);
  P.save();
  P.setPen(Qt::NoPen);
  P.setBrush(Ink);
  P.drawRect(QRectF(7, 12.5, 2.6, 8));
  P.drawRect(QRectF(4.3, 15.2, 8, 2.6));
  const QColor Face[] = {QColor(90, 200, 90), QColor(230, 70, 60), QColor(70, 140, 235), QColor(250, 210, 50)};
  const QPointF At[] = {QPointF(23.5, 19), QPointF(26.5, 16), QPointF(20.5, 16), QPointF(23.5, 13)};
  for (int I = 0; I < 4; ++I) {
    P.setPen(InkPen(0.8));
    P.setBrush(Face[I]);
    P.drawEllipse(At[I], 1.7, 1.7);
  }
  P.restore();
  QPainterPath Shine(QPointF(9, 11));
  Shine.quadTo(QPointF(16, 10), QPointF(23, 11));
  Gleam(P, Shine, 1.2, 150);
}

} // namespace

QImage DrawStartScreen() {
  return Screen(QColor(20, 24, 48), QColor(52, 42, 78), [](QPainter& P) {
    Title(P, "Clankora!", 96, 140, QColor(255, 236, 110), QColor(255, 150, 30));
    CentredLine(P, "Climb the junk. Blast the pile. Escape the yard!", 19, 182, White, true);
    Robot(P, QPointF(40, 208), 3.6, TRobotPose{});
    // A heap of junk to climb, on the right.
    Art(P, QPointF(452, 336), 2.4, [](QPainter& Q) { PaintCargo(Q); });
    Art(P, QPointF(529, 336), 2.4, [](QPainter& Q) { PaintWheel(Q); });
    Art(P, QPointF(490, 259), 2.4, [](QPainter& Q) { PaintBarrel(Q); });
    QPainterPath Button;
    Button.addRoundedRect(QRectF(200, 330, 240, 58), 14, 14);
    P.setPen(InkPen(3));
    P.setBrush(QColor(0, 0, 0, 110));
    P.drawPath(Button.translated(4, 5));
    P.setBrush(Yellow);
    P.drawPath(Button);
    P.setPen(Qt::NoPen);
    P.setBrush(Ink);
    P.drawPath(CentredTextPath("Press SPACE", SansFont(24), 320, 356));
    P.drawPath(CentredTextPath("to start the game", SansFont(16), 320, 378));
    CentredLine(P, "F1 Help     F2 About     F7 Settings     Esc Quit", 16, 445, Muted, true);
  });
}

QImage DrawHelpScreen() {
  return Screen(QColor(18, 30, 46), QColor(30, 44, 70), [](QPainter& P) {
    Title(P, "How to play", 44, 62, QColor(255, 236, 110), QColor(255, 150, 30));
    Panel(P, QRectF(14, 80, 300, 376));
    Panel(P, QRectF(322, 80, 304, 376));

    Line(P, "Keys", 20, 30, 108, Yellow, true);
    struct TKey {
      QStringList Caps;
      const char* What;
    };
    const TKey Keys[] = {
        {{"\u2190", "\u2192"}, "Walk left / right"},
        {{"\u2191"}, "Jump up one row"},
        {{"\u2193"}, "Drop down"},
        {{"Space"}, "Play; place a bomb"},
        {{"Pause", "P"}, "Pause / resume"},
        {{"+", "\u2212"}, "Level up / down"},
        {{"Ctrl", "+", "\u2212"}, "Zoom in / out"},
        {{"F11"}, "Full screen, fitted"},
        {{"F1"}, "This help"},
        {{"F2"}, "About the game"},
        {{"F3"}, "Records: best escapes"},
        {{"F5"}, "New game"},
        {{"F6"}, "Controls: change keys"},
        {{"F7"}, "Settings"},
        {{"F8"}, "Sound on / off"},
        {{"Esc"}, "Quit; leave full screen"},
    };
    // However many keys the list holds, it fills the panel.
    const double First = 132, Last = 440;
    const double Step = (Last - First) / static_cast<double>(std::size(Keys) - 1);
    double Y = First;
    for (const TKey& K : Keys) {
      double X = 30;
      for (const QString& Cap : K.Caps)
        X = KeyCap(P, Cap, X, Y, 12) + 4;
      Line(P, K.What, 13.5, 124, Y, White);
      Y += Step;
    }

    const auto Section = [&P](double Top, const char* Heading, const QStringList& Lines,
                              const std::function<void(QPainter&)>& Icon) {
      Art(P, QPointF(332, Top - 2), 1.4, Icon);
      Line(P, Heading, 18, 384, Top + 14, Yellow, true);
      double Baseline = Top + 34;
      for (const QString& L : Lines) {
        Line(P, L, 13.5, 384, Baseline, White);
        Baseline += 18;
      }
    };
    // Tight enough that the gamepad fits below the rules.
    Section(88, "The goal", {"Climb the growing pile of junk", "and step into an exit: the gap", "above the left or right wall."},
            [](QPainter& Q) {
              Q.scale(0.75, 0.75);
              PaintRobot(Q, TRobotPose{TFacing::Front, 0, 0, 1, 0, false});
            });
    Section(168, "Bombs",
            {"Catch a falling barrel on your", "head to carry it. Space sets it", "down: it blasts its neighbours."},
            [](QPainter& Q) { PaintBarrel(Q); });
    Section(248, "Tools", {"Grab a wrench for an extra life."}, [](QPainter& Q) { PaintTool(Q); });
    Section(290, "Watch out!", {"Falling junk costs a life. Bottles", "and toilets shatter when they", "land; barrels blow up."},
            [](QPainter& Q) { PaintBoom(Q, 3); });
    Section(370, "Gamepad", {"D-pad or left stick: the arrows", "A: Space   B: jump   Start: pause", "Back: help   LB / RB: level \u2212 / +"},
            PaintGamepad);
  });
}

QImage DrawAboutScreen() {
  return Screen(QColor(22, 22, 44), QColor(46, 40, 70), [](QPainter& P) {
    Title(P, "Clankora!", 72, 110, QColor(255, 236, 110), QColor(255, 150, 30));
    CentredLine(P, "Version 1.0", 22, 150, Yellow, true);
    Robot(P, QPointF(46, 180), 3.2, TRobotPose{});
    void (*const Junk[])(QPainter&) = {PaintCargo, PaintWheel, PaintBarrel, PaintBottles, PaintToilet, PaintWeight,
                                       PaintPapers};
    double X = 190;
    for (auto* Paint : Junk) {
      Art(P, QPointF(X, 374), 1.5, Paint);
      X += 50;
    }
    const char* Lines[] = {
        "A junkyard arcade game.",
        "",
        "A truck keeps tipping junk into the",
        "yard. Walk, jump and climb the pile,",
        "catch barrels and blast the heap",
        "apart, and escape over the wall",
        "before the junk gets you.",
    };
    double Y = 204;
    for (const char* L : Lines) {
      const bool First = L == Lines[0];
      Line(P, L, 18, 190, Y, First ? Yellow : White, First);
      Y += 25;
    }
    CentredLine(P, "Press SPACE to play     F1 Help     Esc Quit", 16, 445, Muted, true);
  });
}

QImage DrawWinScreen() {
  return Screen(QColor(16, 48, 40), QColor(40, 92, 60), [](QPainter& P) {
    // Confetti.
    TDice Dice(4242);
    const QColor Colours[] = {Yellow, QColor(255, 90, 80), QColor(90, 220, 255), QColor(140, 255, 120), White};
    for (int I = 0; I < 90; ++I) {
      const QPointF At(Dice.Range(10, 630), Dice.Range(20, 460));
      const double Angle = Dice.Range(0, 180);
      const QColor& Colour = Colours[Dice.Below(5)];
      // Keep the words clear of confetti.
      if ((At.y() > 150 && At.y() < 185) || At.y() > 425)
        continue;
      P.save();
      P.translate(At);
      P.rotate(Angle);
      P.setPen(Qt::NoPen);
      P.setBrush(Colour);
      P.drawRect(QRectF(-4, -1.5, 8, 3));
      P.restore();
    }
    Title(P, "YOU WIN!", 92, 130, QColor(255, 250, 150), QColor(255, 170, 30));
    CentredLine(P, "Your robot climbed the junk and escaped the yard!", 20, 175, White, true);
    Robot(P, QPointF(262, 190), 3.6, TRobotPose{TFacing::Front, 0, 0, 1, 0, false});
    CentredLine(P, "F5  New game          Esc  Quit", 18, 448, White, true);
  });
}

QImage DrawLoseScreen() {
  return Screen(QColor(44, 14, 20), QColor(80, 26, 30), [](QPainter& P) {
    Title(P, "GAME OVER", 84, 126, QColor(255, 140, 120), QColor(200, 30, 30));
    CentredLine(P, "You lose: the junk buried your robot.", 21, 172, White, true);
    // The robot half under a heap, dazed, with smoke rising.
    Robot(P, QPointF(256, 200), 3.6, TRobotPose{TFacing::Front, 0, 0.6, 0, 0, true});
    Art(P, QPointF(190, 330), 2.6, [](QPainter& Q) { PaintSmashedCar(Q); });
    Art(P, QPointF(300, 345), 2.6, [](QPainter& Q) { PaintCargo(Q); });
    Art(P, QPointF(370, 330), 2.6, [](QPainter& Q) { PaintToilet(Q); });
    Art(P, QPointF(236, 180), 2.0, [](QPainter& Q) { PaintSmoke(Q, 2); });
    Art(P, QPointF(340, 170), 2.0, [](QPainter& Q) { PaintSmoke(Q, 3); });
    CentredLine(P, "F5  Try again          Esc  Quit", 18, 448, White, true);
  });
}
