#pragma once

#include "platform/keys.h"
#include "platform/tick.h"

#include <array>

#include <cstddef>
#include <cstdint>
#include <vector>

// The game's gamepads: every pad the system's game-controller layer knows,
// present at start or plugged in later, read as the game's own key codes
// (platform/keys.h), so a pad drives the game exactly as the keyboard does:
//
//   D-pad, left stick      vkLeft, vkUp, vkRight, vkDown (held: repeated)
//   A (bottom face button) vkSpace
//   B                      vkUp (jump)
//   Start                  vkPause
//   Back / Select          vkF1
//   left / right shoulder  vkSubtract / vkAdd (level down / up)
//
// Only presses give keys, as the game acts on key presses alone. A direction
// held on a pad repeats like a held key; with two directions held, the one
// pressed last repeats. Other buttons give one key per press. A pad the
// game-controller layer does not know is left alone.
//
// The player may give A, B, Start, Back and the shoulders other keys (or none);
// the D-pad and the stick stay the directions.

// Starts reading pads. False where the game-controller layer cannot start;
// the game then plays on without pads, and every other call does nothing.
bool GamepadInit();

// Closes every pad and stops reading them, once each GamepadInit that
// started or found them reading has its GamepadFree.
void GamepadFree();

// The keys the pads gave since the last call, in the order they were given,
// including the repeats of a held direction that are due by the pads' clock.
// Also takes in pads plugged in and lets go of pads unplugged since then;
// an unplugged pad's held direction stops repeating.
std::vector<std::uint32_t> GamepadPoll();

// The key each button gives, 0 for none, in the order A, B, Start, Back, left
// shoulder, right shoulder.
using TPadButtonKeys = std::array<std::uint32_t, 6>;
inline constexpr TPadButtonKeys DefaultPadButtonKeys = {vkSpace, vkUp, vkPause, vkF1, vkSubtract, vkAdd};
void GamepadSetButtonKeys(const TPadButtonKeys& Keys);
TPadButtonKeys GamepadButtonKeys();

// How many pads are open.
std::size_t GamepadCount();

// When a held direction repeats: first Delay milliseconds after the press,
// then every Interval milliseconds while it is held.
struct TKeyRepeat {
  std::uint32_t Delay;
  std::uint32_t Interval;
};
// Half a second, then about 30 times a second: the usual keyboard's repeat.
inline constexpr TKeyRepeat DefaultKeyRepeat{500, 33};
void GamepadSetRepeat(TKeyRepeat Repeat);

// The pads' clock: a steady millisecond count of their own, like the
// keyboard's repeat, and never the game's clock, whose every reading a
// recorded game keeps. Tests install a clock they advance by hand; nullptr
// restores the steady one.
void GamepadSetClock(TTickSource* Clock);

// How far a stick must lean, as a share of its full travel, to count as a
// direction held, and how far back it must come to let go of it again; the
// gap keeps a stick resting near the edge from chattering.
inline constexpr double StickPressShare = 1.0 / 3.0;
inline constexpr double StickReleaseShare = 1.0 / 4.0;
