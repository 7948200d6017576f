#pragma once

#include <cstdint>

class QKeyEvent;

// The game's key code of a key press, or 0 for a key the game has no use for.
// The keypad's + and - are told apart from the main keyboard's.
std::uint32_t GameKeyCode(const QKeyEvent& Event);

// A key press carrying the game's key code, as the window would receive it.
QKeyEvent* MakeKeyPress(std::uint32_t Code);
