#pragma once

#include "platform/key_names.h"

#include <cstdint>

class QKeyEvent;
class TKeyBindings;

// Commands of the window around the picture that no key code of their own
// stands for: Ctrl with + or -, on the main keyboard or the keypad.
inline constexpr std::uint32_t kcZoomIn = 0x1001;
inline constexpr std::uint32_t kcZoomOut = 0x1002;
// The player left the window (another one took the keyboard, or it was
// minimised): a running game pauses as if Pause were pressed.
inline constexpr std::uint32_t kcLeftWindow = 0x1003;

// The game's key code of a key press, or 0 for a key the game has no use for.
// The window's own commands come first and keep their keys: Escape and the
// function keys; with Ctrl, + and - zoom; F11 and Alt+Enter switch full
// screen. Then the player's keys give the play actions (the bindings in use);
// a keypad key no action has counts as the main keyboard's. Enter that no
// action has is Enter.
std::uint32_t GameKeyCode(const QKeyEvent& Event);

// The key code of a press in a dialog: Enter, Escape and the window's
// commands, whatever the player's keys are.
std::uint32_t DialogKeyCode(const QKeyEvent& Event);

// The key a press is, as the bindings hold it: the keypad told apart, the
// other modifiers left out, and the main keyboard's = the same key as its +
// (+ is = with Shift on many keyboards).
TKeyId KeyIdOf(const QKeyEvent& Event);

// The player's keys that GameKeyCode goes by from now on; nullptr: the
// defaults. Gives the ones in use before. The table must outlive its use.
const TKeyBindings* UseKeyBindings(const TKeyBindings* Bindings);
const TKeyBindings* KeyBindingsInUse();

// A key press carrying the game's key code, as the window would receive it.
// It stands for the code whatever keys the player has chosen: the game's own
// keys (a resume, a pad's press) are actions already.
QKeyEvent* MakeKeyPress(std::uint32_t Code);
