#pragma once

#include "ui/key_bindings.h"
#include "ui/key_presses.h"
#include "ui/loop_pacer.h"
#include "ui/program_files.h"
#include "ui/view_scale.h"

#include <QPoint>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

class TDM;
class TGame;
class TImageScr;
class TIniFile;
class TPadInput;
class TInputWatch;
class TPassWatch;
class TWindowDialogs;
enum class TEventKind : std::uint8_t;

// The main window: one 640 x 480 picture of the game, driven by the keyboard.
// While the game runs, the main loop runs inside the Space key's handling.
//
// Handlers that dispatch events, and so run other handlers inside them:
// - Space on a paused game runs the main loop (RunMainLoop) until the game is
//   paused again; every pass dispatches events through the pacer
//   (TLoopPacer::Dispatch, and its waits WaitForNextMs, WaitUntil, WaitForEvent).
// - A paced replay's step (TReplayDriver::KeepPace) waits for its recording's
//   time through TLoopPacer::DispatchHandedOut, then delivers the next key,
//   which may be the Space that starts the loop inside that step.
// - A replay inside the game (ReplayInside) runs a window of its own in a
//   nested event loop; message boxes and dialogs shown modally run their own.
// What may happen inside them:
// - Keys come from the keyboard, the pads (posted key presses) and the window
//   itself (Pause posts the Space that resumes). KeyArrived puts each in the
//   queue WaitingKeys; a running loop is woken, not re-entered.
// - The loop takes the queue in at fixed points of its pass (TakeInKeys, after
//   each dispatch and each wait), the replay's recorded keys first, but not in
//   a pass run after its moment (TLoopPacer::Late): keys that came while the
//   loop rested follow the passes of the moments before them. Out of the
//   loop a key is taken at once. A key that pauses ends the loop: the keys
//   behind it are taken by the handling that started the loop, as it goes on,
//   so loops never pile up one inside another.
// - Closing the window only pauses; the loop unwinds at its next check, so the
//   window outlives every handler running on it (never delete it on close).
// What a new key handler must do:
// - Map the key to its code and hand it to KeyArrived, never to FormKeyDown,
//   so that the loop, a recording and a replay see it where they expect it;
//   what the key does goes into the one switch of FormKeyDown.
// - Not dispatch events itself: a wait goes through TLoopPacer. Work to do
//   after the handler has returned is posted (a key, a queued call).
// - Read the game's state again after anything that may dispatch events: a
//   loop may have run, paused, or ended the game in between.
class TFrmMain : public QWidget {
  Q_OBJECT
public:
  explicit TFrmMain(const TAppFiles& Files);
  ~TFrmMain() override;

  TImageScr* ImageScr = nullptr;
  std::unique_ptr<TIniFile> IniF;
  std::unique_ptr<TGame> Game; // none when the pictures could not be loaded

  // What the rest of the program asks of the window.
  // The folder holding "sprites" and "sounds".
  const std::string& DataDir() const { return AppPath; }
  // The widget that shows the picture; what is drawn over the game is its child.
  TImageScr& Screen() const { return *ImageScr; }
  const TLoopPacer::TStats& LoopStats() const { return Pacer.Stats(); }
  // A replay keeps its recording's pace: the loop does not rest while it runs.
  void SetLoopRests(bool Rests) { Pacer.Rests = Rests; }
  // For a game on the steady clock: see TLoopPacer::GatherMs.
  void GatherPasses(std::uint32_t Ms) { Pacer.GatherMs = Ms; }
  // The sound switch (on without a sound module); it changes only where the sound module lets it.
  bool SoundOn() const;
  void SetSoundOn(bool On);
  // The sound module the program made, or none once it is released: its switch is kept for saving.
  void UseSoundModule(TDM* aDM);
  // A recording, a replay or the records keeper sees every key and setting first.
  void WatchInput(TInputWatch* aWatch) { InputWatch = aWatch; }
  // Done has finished watching: Next takes over, if Done is the one watching.
  void EndWatch(const TInputWatch* Done, TInputWatch* Next = nullptr) {
    if (InputWatch == Done)
      InputWatch = Next;
  }
  // The settings dialog changed what the game plays with: the watch, if any, notes it.
  void NoteSetting(TEventKind Kind, std::int32_t Value);
  // After a window of its own has replayed a game, the player's keys and pad buttons are in use again.
  void UsePlayersKeys();
  // The player's keys and what the pad's buttons do, kept in the settings file.
  TKeyBindings& PlayersKeys() { return Keys; }
  TPadBindings& PlayersPadButtons() { return PadKeys; }
  // The gamepads, once the game can be played.
  TPadInput* Pads() const { return PadInput.get(); }
  // The dialogs F6 and F7 open, and the start level F5 uses; none in a replay.
  void UseDialogs(TWindowDialogs* aDialogs) { Dialogs = aDialogs; }

  // The program must end without playing: damaged game files.
  bool EndRequested() const { return EndRequest; }
  bool InfoScreenDisplayed() const { return InfoScreenShown; }
  std::int32_t ScreenIndex() const { return ShownScreen; }
  // The zoom of the windowed picture, 1 to 4, and whether the game fills the screen.
  int Zoom() const { return WindowZoom; }
  bool FullScreenShown() const { return FullScreenOn; }
  // Full screen fills the screen between whole factors, not only at whole ones.
  bool FullScreenFitted() const { return FullScreenFit; }

  // Handles a key at once; keys from the keyboard, the pads and the window
  // itself come in through KeyArrived.
  void FormKeyDown(std::uint32_t Key);
  // A key came: it waits until the game takes it in. A running main loop
  // takes keys at fixed points of its pass (after each dispatch of window
  // events), so that a recording holds exactly what the game did, however the
  // keys came; out of the loop a key is taken at once.
  void KeyArrived(std::uint32_t Key);
  bool MainLoopRunning() const { return LoopRunning; }
  void ShowPausedState();
  void ShowInitScreen();
  void ShowHelpScreen();
  void ShowAboutScreen();
  // Shows the picture in the window at aZoom, or fills the screen with it.
  void SetZoom(int aZoom);
  void SetFullScreen(bool On);
  // Escape in full screen: back to the window, a running game paused.
  void LeaveFullScreen();
  // The player left the window (another one took the keyboard, or it was
  // minimised): a running game pauses as if Pause were pressed.
  void PauseWhenAway();

  // The size of the file in bytes, or -1 when it cannot be opened.
  static std::int32_t GetFileSizeByName(const std::string& Name);

signals:
  // The window was closed: the program ends.
  void Closed();
  // F3: the player asks for the records screen (the game is paused).
  void RecordsAsked();

protected:
  bool event(QEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void keyReleaseEvent(QKeyEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void changeEvent(QEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;

private:
  void FormCreate(const TAppFiles& Files);
  void FormShow();
  void FormDestroy();
  void RunDataFileTest();
  void RunMainLoop();
  // The main loop's point of input: a replay hands out the recorded keys due
  // here, then the waiting keys are taken, in the order they came.
  void TakeInKeys();
  void TakeWaitingKeys();
  std::uint32_t NextWaitingKey();
  void TakeKey(std::uint32_t Key);
  void CopyToScreen();
  // Draws what changed and copies it to the window; false when nothing did.
  bool CopyChangesToScreen();
  void ShowInfoScreen(void (TGame::*Draw)(), std::int32_t Index);
  // The level changed: the paused view shows the new one.
  void ShowLevelWhilePaused();
  std::int32_t StartLevel() const;
  void TakeStoredPlace();
  void TakeStoredPlaceBesidePlacement();
  // The view, kept in the settings beside the window's position.
  void LoadView();
  void SaveView();
  // The player's keys, kept in the settings file after the game's own.
  void LoadKeys();
  void PlaceView();
  void KeepOnScreen();
  // The window's frame, and the largest zoom whose framed window fits the screen's free area.
  TViewSize FrameSize() const;
  int FittingZoom() const;
  // Full screen: the picture in the middle of the window, black around it.
  void CentrePicture();
  // Where the window stands when it is not full screen.
  QPoint WindowedPos() const;

  std::string AppPath;
  TWindowDialogs* Dialogs = nullptr;   // the program's dialogs, while they exist
  TDM* DM = nullptr;                   // the sound module while it exists
  TLoopPacer Pacer;                    // the main loop's pace, and what it has done
  TKeyBindings Keys;                   // the player's keys, in use while the window exists
  TPadBindings PadKeys;                // what the pad's buttons do
  std::unique_ptr<TPadInput> PadInput; // the gamepads, once the game can be played
  bool SoundOnAtEnd = true;          // the sound switch, kept when the sound module is released
  TInputWatch* InputWatch = nullptr; // a recording or a replay, while one runs
  bool InfoScreenShown = false;
  std::int32_t ShownScreen = 0;
  bool EndRequest = false;
  std::optional<int> StoredLeft, StoredTop; // the position the settings file holds
  bool Shown = false;                       // the window has been on screen in this run
  std::unique_ptr<TPassWatch> Watch;
  std::deque<std::uint32_t> WaitingKeys;
  TKeyPresses KeyPresses; // the keys seen going down since the window got the keyboard
  bool LoopRunning = false;
  int WindowZoom = 1;
  bool FullScreenOn = false;
  bool FullScreenFit = true;
  QPoint WindowedAt;
  QRect WindowedArea; // the client area before full screen, once the window has had one
};
