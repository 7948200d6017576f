#include "ui/main_window.h"

#include "assets/data_files.h"
#include "assets/sound.h"
#include "engine/changes.h"
#include "engine/game.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/keys.h"
#include "platform/message_box.h"
#include "platform/message_box_qt.h"
#include "ui/app_info.h"
#include "ui/image_scr.h"
#include "ui/input_watch.h"
#include "ui/key_map.h"
#include "ui/key_settings.h"
#include "ui/pad_input.h"
#include "ui/window_dialogs.h"
#include "ui/view_scale.h"
#include "ui/window_place.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>
#include <iostream>

namespace {
constexpr std::int32_t FirstLevel = 5;

// A game installed without its data finds no folder of pictures at all: the
// player is told every place it looked in.
std::string WhereLookedFor(const TAppFiles& Files) {
  if (Files.Searched.empty() || NameExists(Files.Dir + "/sprites"))
    return {};
  std::string Text = "\r\nNo folder \"sprites\" was found in any of:";
  for (const std::string& Dir : Files.Searched)
    Text += "\r\n" + Dir;
  return Text;
}

// A position far beyond any screen is no position: kept within this, the
// window's arithmetic cannot overflow.
constexpr std::int32_t FarthestPlace = 1 << 20;
std::optional<int> StoredCoordinate(const TIniFile& Ini, const char* Key) {
  std::int32_t Value = 0;
  if (!ParseIniInteger(Ini.ReadString(AppTitle, Key, {}), Value))
    return std::nullopt;
  return std::clamp(Value, -FarthestPlace, FarthestPlace);
}
} // namespace

TFrmMain::TFrmMain(const TAppFiles& Files) : Watch(std::make_unique<TPassWatch>()) {
  setWindowTitle(QString::fromStdString(GameCaption));
  setAttribute(Qt::WA_DeleteOnClose, false);
  ImageScr = new TImageScr(this);
  SetMessageOwnerWindow(this);
  FormCreate(Files);
  if (Game)
    PadInput = std::make_unique<TPadInput>(*this);
}

TFrmMain::~TFrmMain() {
  FormDestroy();
  UseKeyBindings(nullptr);
  GamepadSetButtonKeys(DefaultPadButtonKeys);
  SetMessageOwnerWindow(nullptr);
}

void TFrmMain::FormCreate(const TAppFiles& Files) {
  AppPath = Files.Dir;
  IniF = std::make_unique<TIniFile>(Files.IniPath);
  // Without a stored position the window system places the window.
  // Without a sound module (no pictures, nothing to play) the stored switch is saved back as it was.
  SoundOnAtEnd = IniF->ReadBool(AppTitle, "SoundOn", true);
  StoredTop = StoredCoordinate(*IniF, "Top");
  StoredLeft = StoredCoordinate(*IniF, "Left");
  LoadKeys();

  try {
    Game = std::make_unique<TGame>(AppPath + "/sprites/");
  } catch (const EImageLoadError& Error) {
    // Without its pictures the game cannot be played: say which one, then end.
    ShowMessage({AppTitle, Error.what() + WhereLookedFor(Files), TMessageIcon::Error, false});
    EndRequest = true;
    return;
  }
  ImageScr->SetPictureSize(static_cast<int>(Game->Scr->Width()), static_cast<int>(Game->Scr->Height()));
  Game->Animation = IniF->ReadBool(AppTitle, "Animation", true);
  LoadView();
  TakeStoredPlace();
  // The loop sleeps until something is due; the game decides as if every millisecond had its pass.
  Game->SkipsQuietMs = true;
  Game->Init(FirstLevel);
  Game->Render();
  InfoScreenShown = false;
  RunDataFileTest();
}

std::int32_t TFrmMain::GetFileSizeByName(const std::string& Name) {
  const std::int64_t Size = FileSize(Name);
  if (Size < 0)
    return -1;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(Size));
}

void TFrmMain::RunDataFileTest() {
  if (CheckedFilesIntact(AppPath + "/sprites/", &GetFileSizeByName))
    return;
  ShowMessage({AppTitle,
               "Game files damaged or wrong!\r\nPlease reffer to \"" + DistributionUrl +
                   "\" for correct game distributive!",
               TMessageIcon::None, false});
  EndRequest = true;
}

void TFrmMain::FormDestroy() {
  if (!IniF)
    return;
  try {
    // A window that never came on screen has no place of its own: the stored one stays.
    if (Shown) {
      IniF->WriteInteger(AppTitle, "Top", WindowedPos().y());
      IniF->WriteInteger(AppTitle, "Left", WindowedPos().x());
    }
    IniF->WriteBool(AppTitle, "SoundOn", SoundOnAtEnd);
    SaveView();
    if (Game)
      IniF->WriteBool(AppTitle, "Animation", Game->Animation);
    SaveKeys(*IniF, Keys, PadKeys);
  } catch (const EIniWriteError& Error) {
    ShowMessage({AppTitle, Error.what(), TMessageIcon::Error, false});
  }
  IniF.reset();
}

void TFrmMain::LoadKeys() {
  ::LoadKeys(*IniF, Keys, PadKeys, std::cerr);
  UsePlayersKeys();
}

std::int32_t TFrmMain::StartLevel() const {
  if (Dialogs != nullptr)
    return Dialogs->StartLevel();
  return static_cast<std::int32_t>(Game->StartHardnessLevel);
}

void TFrmMain::FormKeyDown(std::uint32_t Key) {
  if (!Game)
    return;
  if (InputWatch != nullptr && !InputWatch->KeyDown(Key))
    return;
  TGame& G = *Game;
  const bool Playing = !G.Paused && !G.Stopped;
  switch (Key) {
  case vkPause:
    if (InfoScreenShown)
      break;
    if (!G.Paused) {
      G.Pause();
      ShowPausedState();
    } else {
      // Resume from the window's own Space handling, once this handler has returned.
      QCoreApplication::postEvent(this, MakeKeyPress(vkSpace));
    }
    break;
  case vkEscape:
    G.Paused = true;
    close();
    break;
  case vkSpace:
    if (G.Paused)
      RunMainLoop();
    else
      G.Robot->PasteBomb();
    break;
  case vkLeft:
    if (Playing)
      G.Robot->MoveLeft();
    break;
  case vkUp:
    if (Playing)
      G.Robot->Jump();
    break;
  case vkRight:
    if (Playing)
      G.Robot->MoveRight();
    break;
  case vkDown:
    if (Playing)
      G.Robot->MoveDown(false);
    break;
  case vkAdd:
  case vkSubtract:
    Key == vkAdd ? G.IncHardness() : G.DecHardness();
    ShowLevelWhilePaused();
    break;
  case vkF1:
    G.Paused = true;
    ShowHelpScreen();
    break;
  case vkF2:
    G.Paused = true;
    ShowAboutScreen();
    break;
  case vkF3:
    G.Paused = true;
    emit RecordsAsked();
    break;
  case vkF5:
    G.Init(StartLevel());
    G.Paused = true;
    ShowInitScreen();
    break;
  // A replay has no dialogs: it waits where the recorded game waited.
  case vkF6:
    G.Paused = true;
    if (Dialogs != nullptr)
      Dialogs->ShowControls();
    break;
  case vkF7:
    G.Paused = true;
    if (Dialogs != nullptr)
      Dialogs->ShowSettings();
    break;
  case vkF8:
    SetSoundOn(!SoundOn());
    break;
  case vkF11:
    SetFullScreen(!FullScreenOn);
    break;
  case kcZoomIn:
  case kcZoomOut:
    // Full screen always shows the largest picture that fits.
    if (!FullScreenOn)
      SetZoom(SteppedZoom(WindowZoom, Key == kcZoomIn ? 1 : -1));
    break;
  default:
    break;
  }
}

void TFrmMain::RunMainLoop() {
  TGame& G = *Game;
  G.Paused = false;
  InfoScreenShown = false;
  Pacer.StartRun();
  G.StartPasses();
  Watch->Reset(G);
  LoopRunning = true;
  // Keys are taken in after each dispatch of window events, never inside it:
  // a game replayed from its recording takes them at the same points.
  while (!G.Paused) {
    if (PadInput)
      PadInput->PollInPlay();
    // Only a gathering loop needs the next moment here: a replay's runs as fast as it can.
    if (Pacer.Gathers())
      Pacer.BeforePass(G.NextPassTime());
    G.AITurn();
    // Passes run after their moment show what they did together, once the loop has caught up.
    const bool Late = Pacer.PassWasLate();
    const bool Drew = !Late && CopyChangesToScreen();
    TLoopPacer::Dispatch();
    if (!Late)
      TakeInKeys();
    Pacer.CountPass(G.CurrentTime, !G.Stopped, Drew);
    // A pass that changed something may be followed by one that changes more
    // in the same millisecond; after one that changed nothing, the loop rests.
    if (G.Paused || Watch->Changed(G))
      continue;
    if (G.Stopped)
      Pacer.WaitForEvent();
    else if (G.SkipsQuietMs)
      Pacer.WaitUntil(G.NextPassTime());
    else
      Pacer.WaitForNextMs(G.CurrentTime);
    if (!Pacer.Late())
      TakeInKeys();
  }
  Pacer.EndRun();
  LoopRunning = false;
}

void TFrmMain::CopyToScreen() { ImageScr->CopyFrom(*Game->Scr); }

bool TFrmMain::CopyChangesToScreen() {
  const std::vector<TPictureRect>& Changed = Game->RenderChanges();
  if (Changed.empty())
    return false;
  ImageScr->CopyRects(*Game->Scr, Changed);
  return true;
}

void TFrmMain::ShowPausedState() {
  Game->Render();
  // The win and lose screens stay as they are: only a game in play is paused.
  if (!Game->Stopped)
    Game->DrawPaused();
  CopyToScreen();
}

void TFrmMain::ShowLevelWhilePaused() {
  // The paused view shows the status line; a running game shows it at its next pass.
  if (Game->Paused && !InfoScreenShown)
    ShowPausedState();
}

void TFrmMain::ShowInfoScreen(void (TGame::*Draw)(), std::int32_t Index) {
  (Game.get()->*Draw)();
  CopyToScreen();
  InfoScreenShown = true;
  ShownScreen = Index;
}

void TFrmMain::ShowInitScreen() { ShowInfoScreen(&TGame::DrawInitScreen, 0); }
void TFrmMain::ShowHelpScreen() { ShowInfoScreen(&TGame::DrawHelpScreen, 1); }
void TFrmMain::ShowAboutScreen() { ShowInfoScreen(&TGame::DrawAboutScreen, 2); }

void TFrmMain::showEvent(QShowEvent* Event) {
  QWidget::showEvent(Event);
  // Only a real showing redraws: the window system's own show events (a window
  // restored from minimised) find the picture as it was left.
  if (Event->spontaneous())
    return;
  if (!Shown) {
    Shown = true;
    // With one coordinate stored, the other is where the window system puts
    // the window, known once the window is on screen.
    if (StoredLeft.has_value() != StoredTop.has_value() && !FullScreenOn && windowHandle() != nullptr)
      windowHandle()->installEventFilter(this);
  }
  FormShow();
}

// A stored position is taken as it is, unless no part of the title bar would
// be on any screen (a monitor gone since); then the window system places the window.
void TFrmMain::TakeStoredPlace() {
  if (!StoredLeft || !StoredTop)
    return;
  const QPoint At(*StoredLeft, *StoredTop);
  const QSize Size = FullScreenOn ? ImageScr->Image().size() : frameGeometry().size();
  if (!TitleBarOnAScreen(QRect(At, Size)))
    return;
  // Full screen leaves it for the windowed view.
  WindowedAt = At;
  if (!FullScreenOn)
    move(At);
}

void TFrmMain::TakeStoredPlaceBesidePlacement() {
  windowHandle()->removeEventFilter(this);
  const QRect Frame(QPoint(StoredLeft.value_or(x()), StoredTop.value_or(y())), frameGeometry().size());
  if (TitleBarOnAScreen(Frame))
    move(Frame.topLeft());
}

bool TFrmMain::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == windowHandle() && Event->type() == QEvent::Expose && windowHandle()->isExposed())
    TakeStoredPlaceBesidePlacement();
  return QWidget::eventFilter(Watched, Event);
}

void TFrmMain::FormShow() {
  if (!Game || !Game->Paused)
    return;
  if (Game->TickCount == 0) {
    ShowInitScreen();
    return;
  }
  if (!InfoScreenShown) {
    ShowPausedState();
    return;
  }
  switch (ShownScreen) {
  case 1: ShowHelpScreen(); break;
  case 2: ShowAboutScreen(); break;
  default: ShowInitScreen(); break;
  }
}

void TFrmMain::closeEvent(QCloseEvent* Event) {
  // A running main loop ends at its next check.
  if (Game)
    Game->Paused = true;
  // The program ends here: keys that came after the closing key are not played.
  WaitingKeys.clear();
  Event->accept();
  emit Closed();
}
