// What the rest of the program asks of the main window: the sound switch, the
// watch on input, the player's keys.
#include "ui/main_window.h"

#include "assets/sound.h"
#include "platform/gamepad.h"
#include "ui/input_watch.h"
#include "ui/key_map.h"

bool TFrmMain::SoundOn() const { return DM == nullptr || DM->UseSound; }

void TFrmMain::SetSoundOn(bool On) {
  if (DM != nullptr && DM->CanChangeUseSound)
    DM->UseSound = On;
}

void TFrmMain::UseSoundModule(TDM* aDM) {
  if (DM != nullptr)
    SoundOnAtEnd = DM->UseSoundToSave();
  DM = aDM;
}

void TFrmMain::NoteSetting(TEventKind Kind, std::int32_t Value) {
  if (InputWatch != nullptr)
    InputWatch->SettingChanged(Kind, Value);
}

void TFrmMain::UsePlayersKeys() {
  UseKeyBindings(&Keys);
  GamepadSetButtonKeys(PadKeys.Codes);
}
