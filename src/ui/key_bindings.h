#pragma once

#include "platform/gamepad.h"
#include "platform/key_names.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// What the player's keys do: each play action of the game, and up to two keys
// for it. The window's own commands (Escape, the function keys, Tab between
// the controls of a dialog) keep their keys and cannot be taken; nor can a key
// whose name would not read back from the settings file as the same key.
enum class TPlayAction { Left, Right, Jump, Down, Bomb, Pause, LevelUp, LevelDown };
inline constexpr int ActionCount = 8;
inline constexpr int KeysPerAction = 2;

// The game's key code an action stands for (vkLeft, vkSpace, ...).
std::uint32_t ActionKeyCode(TPlayAction Action);
// The action's name in the settings file ("LevelUp") and as the player reads it ("Level up").
const char* ActionName(TPlayAction Action);
const char* ActionCaption(TPlayAction Action);
std::optional<TPlayAction> ActionFromName(const std::string& Name);

// One cell of the table: an action and which of its keys.
struct TKeyCell {
  TPlayAction Action;
  int Slot;
  bool operator==(const TKeyCell&) const = default;
};

// Why a key cannot be the player's.
enum class TKeyRefusal {
  None,
  WindowsOwn, // a key of the window's own commands
  Unkept,     // a key the settings file could not give back (no name of its own reads as it)
};

// What putting a key into a cell did.
struct TBindResult {
  TKeyRefusal Refused = TKeyRefusal::None;
  std::optional<TKeyCell> MovedFrom; // where the key was before, when it was elsewhere
};

class TKeyBindings {
public:
  // Today's keys: arrows, Space, Pause and P, keypad and main + and -.
  TKeyBindings();

  TKeyId Key(TKeyCell Cell) const { return Keys[static_cast<int>(Cell.Action)][Cell.Slot]; }
  std::array<TKeyId, KeysPerAction> KeysOf(TPlayAction Action) const { return Keys[static_cast<int>(Action)]; }
  // Gives Key to the cell; a key another cell held moves here.
  TBindResult Bind(TKeyCell Cell, TKeyId Key);
  void Clear(TKeyCell Cell) { Keys[static_cast<int>(Cell.Action)][Cell.Slot] = 0; }
  // The cell that holds Key, if any.
  std::optional<TKeyCell> Find(TKeyId Key) const;
  // The game's key code for a key, 0 for a key no action has.
  std::uint32_t CodeOf(TKeyId Key) const;

  static bool Fixed(TKeyId Key);
  // Whether the key can be given to an action, and kept for the next run.
  static TKeyRefusal Refusal(TKeyId Key);
  bool operator==(const TKeyBindings&) const = default;

private:
  std::array<std::array<TKeyId, KeysPerAction>, ActionCount> Keys{};
};

// The pad's buttons that can be given another action; the D-pad and the
// stick stay the directions.
enum class TPadButton { A, B, Start, Back, LeftShoulder, RightShoulder };
inline constexpr int PadButtonCount = 6;
const char* PadButtonName(TPadButton Button);    // "PadA", as the settings file keeps it
const char* PadButtonCaption(TPadButton Button); // "A", as the player reads it

// What each pad button does: one of the actions, the help screen, or nothing.
// Held as the game's key code (0: nothing).
// The defaults: A bomb, B jump, Start pause, Back help, shoulders level down and up.
struct TPadBindings {
  TPadButtonKeys Codes = DefaultPadButtonKeys;
  bool operator==(const TPadBindings&) const = default;
};

// The choices a pad button has, in the order the player sees them.
inline constexpr int PadChoiceCount = ActionCount + 2;
std::uint32_t PadChoiceCode(int Choice);
const char* PadChoiceName(int Choice);    // "Bomb", "Help", "None"
const char* PadChoiceCaption(int Choice); // "Bomb / Start", "Help", "Nothing"
int PadChoiceOf(std::uint32_t Code);
