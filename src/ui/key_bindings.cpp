#include "ui/key_bindings.h"

#include "platform/keys.h"

#include <Qt>

#include <strings.h>

namespace {
struct TActionInfo {
  std::uint32_t Code;
  const char* Name;
  const char* Caption;
  TKeyId First, Second;
};
constexpr TKeyId Keypad = Qt::KeypadModifier;
constexpr TActionInfo Actions[ActionCount] = {
    {vkLeft, "Left", "Left", Qt::Key_Left, 0},
    {vkRight, "Right", "Right", Qt::Key_Right, 0},
    {vkUp, "Jump", "Jump", Qt::Key_Up, 0},
    {vkDown, "Down", "Down", Qt::Key_Down, 0},
    {vkSpace, "Bomb", "Bomb / Start", Qt::Key_Space, 0},
    {vkPause, "Pause", "Pause", Qt::Key_Pause, Qt::Key_P},
    {vkAdd, "LevelUp", "Level up", Qt::Key_Plus | Keypad, Qt::Key_Plus},
    {vkSubtract, "LevelDown", "Level down", Qt::Key_Minus | Keypad, Qt::Key_Minus},
};

const TActionInfo& Info(TPlayAction Action) { return Actions[static_cast<int>(Action)]; }

struct TPadButtonInfo {
  const char* Name;
  const char* Caption;
};
// In the order of the pad layer's table of button keys.
constexpr TPadButtonInfo PadButtons[PadButtonCount] = {
    {"PadA", "A"},         {"PadB", "B"},
    {"PadStart", "Start"}, {"PadBack", "Back"},
    {"PadLeftShoulder", "Left shoulder"}, {"PadRightShoulder", "Right shoulder"},
};
} // namespace

std::uint32_t ActionKeyCode(TPlayAction Action) { return Info(Action).Code; }
const char* ActionName(TPlayAction Action) { return Info(Action).Name; }
const char* ActionCaption(TPlayAction Action) { return Info(Action).Caption; }

std::optional<TPlayAction> ActionFromName(const std::string& Name) {
  for (int I = 0; I < ActionCount; ++I)
    if (strcasecmp(Actions[I].Name, Name.c_str()) == 0)
      return static_cast<TPlayAction>(I);
  return std::nullopt;
}

TKeyBindings::TKeyBindings() {
  for (int I = 0; I < ActionCount; ++I)
    Keys[I] = {Actions[I].First, Actions[I].Second};
}

bool TKeyBindings::Fixed(TKeyId Key) {
  const TKeyId Plain = Key & ~Keypad;
  // Escape, Tab and every function key: the window's and the dialogs' own.
  return Key == 0 || Plain == Qt::Key_Escape || Plain == Qt::Key_Tab || Plain == Qt::Key_Backtab ||
         (Plain >= Qt::Key_F1 && Plain <= Qt::Key_F35) || Plain == Qt::Key_unknown;
}

TKeyRefusal TKeyBindings::Refusal(TKeyId Key) {
  if (Fixed(Key))
    return TKeyRefusal::WindowsOwn;
  return KeyNameReadsBack(Key) ? TKeyRefusal::None : TKeyRefusal::Unkept;
}

TBindResult TKeyBindings::Bind(TKeyCell Cell, TKeyId Key) {
  TBindResult Result;
  Result.Refused = Refusal(Key);
  if (Result.Refused != TKeyRefusal::None)
    return Result;
  const std::optional<TKeyCell> Was = Find(Key);
  if (Was && *Was == Cell)
    return Result;
  if (Was) {
    Clear(*Was);
    Result.MovedFrom = Was;
  }
  Keys[static_cast<int>(Cell.Action)][Cell.Slot] = Key;
  return Result;
}

std::optional<TKeyCell> TKeyBindings::Find(TKeyId Key) const {
  if (Key == 0)
    return std::nullopt;
  for (int I = 0; I < ActionCount; ++I)
    for (int Slot = 0; Slot < KeysPerAction; ++Slot)
      if (Keys[I][Slot] == Key)
        return TKeyCell{static_cast<TPlayAction>(I), Slot};
  return std::nullopt;
}

std::uint32_t TKeyBindings::CodeOf(TKeyId Key) const {
  const std::optional<TKeyCell> Cell = Find(Key);
  return Cell ? ActionKeyCode(Cell->Action) : 0;
}

const char* PadButtonName(TPadButton Button) { return PadButtons[static_cast<int>(Button)].Name; }
const char* PadButtonCaption(TPadButton Button) { return PadButtons[static_cast<int>(Button)].Caption; }

// After the actions come the help screen and nothing at all.
std::uint32_t PadChoiceCode(int Choice) {
  if (Choice < ActionCount)
    return Actions[Choice].Code;
  return Choice == ActionCount ? vkF1 : 0;
}

const char* PadChoiceName(int Choice) {
  if (Choice < ActionCount)
    return Actions[Choice].Name;
  return Choice == ActionCount ? "Help" : "None";
}

const char* PadChoiceCaption(int Choice) {
  if (Choice < ActionCount)
    return Actions[Choice].Caption;
  return Choice == ActionCount ? "Help" : "Nothing";
}

int PadChoiceOf(std::uint32_t Code) {
  for (int I = 0; I < PadChoiceCount; ++I)
    if (PadChoiceCode(I) == Code)
      return I;
  return PadChoiceCount - 1;
}
