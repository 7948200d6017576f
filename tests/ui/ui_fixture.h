#pragma once

#include <gtest/gtest.h>

#include "assets/sound.h"
#include "engine/game.h"
#include "platform/ini_file.h"
#include "platform/keys.h"
#include "platform/message_box.h"
#include "support/test_messages.h"
#include "support/test_pictures.h"
#include "ui/image_scr.h"
#include "ui/key_map.h"
#include "ui/main_window.h"
#include "ui/program.h"
#include "ui/program_dialogs.h"
#include "ui/settings_dialog.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <fstream>
#include <memory>
#include <vector>

// The colour of a pixel the main window shows, as 0x00BBGGRR.
inline std::uint32_t ShownPixel(const TFrmMain& Frm, int X, int Y) {
  const QRgb P = Frm.ImageScr->Image().pixel(X, Y);
  return static_cast<std::uint32_t>(qRed(P)) | static_cast<std::uint32_t>(qGreen(P)) << 8 |
         static_cast<std::uint32_t>(qBlue(P)) << 16;
}

// The program as it starts: main window, sound module and settings dialog on
// a folder of test pictures, the settings file beside them.
class TProgramTest : public ::testing::Test {
protected:
  TProgramTest() { WriteGameFolder(Dir.Path()); }
  ~TProgramTest() override { End(); }

  // Searched: the folders the program says it looked in for its pictures.
  void Start(std::vector<std::string> Searched = {}) {
    AssembleProgram(Program, TAppFiles{Dir.Path(), IniPath(), std::move(Searched)});
  }

  // Ends the run as the program does, saving the settings.
  void End() { ReleaseProgram(Program); }

  TGame& Game() { return *Main->Game; }
  // Whether the window shows the yellow "Paused" in the middle of the yard.
  bool ShowsPausedText() const {
    for (int X = 280; X < 360; ++X)
      if (IsYellow(ShownPixel(*Main, X, 240)))
        return true;
    return false;
  }

  std::string IniPath() const { return Dir.Path() + "/clankora.ini"; }
  void WriteIni(const std::string& Text) { std::ofstream(IniPath()) << "[Tinvell: 01h]\n" << Text; }
  std::int32_t Stored(const std::string& Key, std::int32_t Default) const {
    return TIniFile(IniPath()).ReadInteger("Tinvell: 01h", Key, Default);
  }

  // Sends a key to the main window the way the window system delivers it.
  void Press(std::uint32_t Code) {
    std::unique_ptr<QKeyEvent> Event(MakeKeyPress(Code));
    QCoreApplication::sendEvent(Main.get(), Event.get());
  }
  // Queues a key for the main window; it arrives when messages are next dispatched.
  void Post(std::uint32_t Code) { QCoreApplication::postEvent(Main.get(), MakeKeyPress(Code)); }
  void Dispatch() { QCoreApplication::processEvents(); }

  // Runs the game for a while: Space starts the main loop, a queued Pause ends it.
  void PlayBriefly() {
    Post(vkPause);
    Press(vkSpace);
  }

  TMessageRecorder Messages;
  TTempDir Dir;
  TProgram Program;
  std::unique_ptr<TFrmMain>& Main = Program.Main;
  std::unique_ptr<TDM>& DM = Program.DM;
  std::unique_ptr<TFrmSettings>& Settings = Program.Settings;
};
