// The main window around the picture: its zoom, full screen, and the pause
// when the player leaves it. The picture itself stays 640 x 480; only the
// copy on screen grows.
#include "ui/main_window.h"

#include "engine/game.h"
#include "platform/ini_file.h"
#include "shared/app_title.h"
#include "ui/image_scr.h"
#include "ui/key_map.h"
#include "ui/view_scale.h"

#include <QEvent>
#include <QResizeEvent>
#include <QScreen>

#include <algorithm>

namespace {
// Title bar and borders a window manager may add, before the window has been
// shown and its real frame is known.
constexpr TViewSize FrameAllowance{16, 48};

TViewSize SizeOf(const QSize& S) { return {S.width(), S.height()}; }
TViewSize SizeOf(const QRect& R) { return {R.width(), R.height()}; }

double RatioOf(const QScreen* Screen) { return Screen != nullptr ? Screen->devicePixelRatio() : 1.0; }
} // namespace

void TFrmMain::LoadView() {
  // A stored zoom whose window no longer fits this screen gives way to the largest that does.
  const int Stored = StoredZoom(IniF->ReadInteger(AppTitle, "Zoom", 0));
  const int Fitting = FittingZoom();
  WindowZoom = Stored != 0 ? std::min(Stored, Fitting) : Fitting;
  FullScreenOn = IniF->ReadInteger(AppTitle, "FullScreen", 0) == 1;
  FullScreenFit = IniF->ReadInteger(AppTitle, "FullScreenFit", 1) != 0;
  // The stored position is where the window goes when it leaves full screen.
  WindowedAt = pos();
  PlaceView();
}

void TFrmMain::SaveView() {
  if (!Game)
    return;
  IniF->WriteInteger(AppTitle, "Zoom", WindowZoom);
  IniF->WriteBool(AppTitle, "FullScreen", FullScreenOn);
  IniF->WriteBool(AppTitle, "FullScreenFit", FullScreenFit);
}

TViewSize TFrmMain::FrameSize() const {
  // Known once the window system has framed the window; an allowance before.
  if (!isVisible())
    return FrameAllowance;
  return SizeOf(frameGeometry().size() - geometry().size());
}

int TFrmMain::FittingZoom() const {
  const QScreen* Screen = screen();
  const TViewSize Picture = SizeOf(ImageScr->Image().size());
  if (Screen == nullptr)
    return MaxZoom;
  return AutoZoom(SizeOf(Screen->availableGeometry()), FrameSize(), RatioOf(Screen), Picture);
}

void TFrmMain::SetZoom(int aZoom) {
  WindowZoom = std::clamp(aZoom, MinZoom, std::max(MinZoom, FittingZoom()));
  if (FullScreenOn)
    return;
  PlaceView();
  KeepOnScreen();
}

void TFrmMain::SetFullScreen(bool On) {
  if (On == FullScreenOn)
    return;
  if (On) {
    WindowedAt = pos();
    // The client area's own place: a window manager frames it again the same way.
    WindowedArea = geometry();
  }
  FullScreenOn = On;
  PlaceView();
  if (On)
    return;
  if (WindowedArea.isValid())
    setGeometry(QRect(WindowedArea.topLeft(), size()));
  else
    move(WindowedAt);
  KeepOnScreen();
}

void TFrmMain::LeaveFullScreen() {
  SetFullScreen(false);
  PauseWhenAway();
}

void TFrmMain::PlaceView() {
  const QScreen* Screen = screen();
  const double Ratio = RatioOf(Screen);
  const TViewSize Picture = SizeOf(ImageScr->Image().size());
  if (!FullScreenOn) {
    ImageScr->SetZoom(WindowZoom, Ratio);
    setWindowState(windowState() & ~Qt::WindowFullScreen);
    // The client area is the picture, as ever.
    setFixedSize(ImageScr->size());
    ImageScr->move(0, 0);
    ImageScr->unsetCursor();
    setAutoFillBackground(false);
    return;
  }
  const QRect Area = Screen != nullptr ? Screen->geometry() : QRect(QPoint(0, 0), size());
  if (FullScreenFit) {
    const TViewSize Fit = FitSize(SizeOf(Area), Ratio, Picture);
    ImageScr->SetFitted(FitZoom(Fit, Ratio, Picture), QSize(Fit.Width, Fit.Height), Ratio);
  } else {
    ImageScr->SetZoom(FullScreenZoom(SizeOf(Area), Ratio, Picture), Ratio);
  }
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  QPalette Black = palette();
  Black.setColor(QPalette::Window, Qt::black);
  setPalette(Black);
  setAutoFillBackground(true);
  // No pointer over the picture; the mouse has no use in the game.
  ImageScr->setCursor(Qt::BlankCursor);
  // A bare X server has no window manager to honour the full-screen request:
  // take the screen ourselves, before asking, as a later move would undo the request.
  setGeometry(Area);
  setWindowState(windowState() | Qt::WindowFullScreen);
  CentrePicture();
}

void TFrmMain::CentrePicture() {
  const TViewPoint At = Centred(SizeOf(size()), SizeOf(ImageScr->size()));
  ImageScr->move(At.X, At.Y);
}

void TFrmMain::KeepOnScreen() {
  const QScreen* Screen = screen();
  if (Screen == nullptr)
    return;
  const QRect Area = Screen->availableGeometry();
  const TViewPoint At = KeptInside({x(), y()}, SizeOf(frameGeometry().size()), {Area.x(), Area.y()}, SizeOf(Area));
  move(At.X, At.Y);
}

QPoint TFrmMain::WindowedPos() const { return FullScreenOn ? WindowedAt : pos(); }

void TFrmMain::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  // A window manager may size the full screen itself, and later than asked.
  if (FullScreenOn)
    CentrePicture();
}

void TFrmMain::changeEvent(QEvent* Event) {
  QWidget::changeEvent(Event);
  const bool Left = Event->type() == QEvent::ActivationChange && !isActiveWindow();
  const bool Minimised = Event->type() == QEvent::WindowStateChange && isMinimized();
  if (Left || Minimised)
    PauseWhenAway();
}

void TFrmMain::PauseWhenAway() { KeyArrived(kcLeftWindow); }
