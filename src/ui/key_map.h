#pragma once

#include <cstdint>

class QKeyEvent;

// Commands of the window around the picture that no key code of their own
// stands for: Ctrl with + or -, on the main keyboard or the keypad.
inline constexpr std::uint32_t kcZoomIn = 0x1001;
inline constexpr std::uint32_t kcZoomOut = 0x1002;

// The game's key code of a key press, or 0 for a key the game has no use for.
// Laptop keyboards lack Pause and the keypad: P stands for Pause, and the main
// keyboard's + (and =, + without Shift) and - for the keypad's. With Ctrl, + and
// - zoom instead; F11 and Alt+Enter switch full screen.
std::uint32_t GameKeyCode(const QKeyEvent& Event);

// A key press carrying the game's key code, as the window would receive it.
QKeyEvent* MakeKeyPress(std::uint32_t Code);
