#pragma once

#include <cstdint>

// The key codes the game's commands are written in.
inline constexpr std::uint32_t vkReturn = 13;
inline constexpr std::uint32_t vkPause = 19;
inline constexpr std::uint32_t vkEscape = 27;
inline constexpr std::uint32_t vkSpace = 32;
inline constexpr std::uint32_t vkLeft = 37;
inline constexpr std::uint32_t vkUp = 38;
inline constexpr std::uint32_t vkRight = 39;
inline constexpr std::uint32_t vkDown = 40;
inline constexpr std::uint32_t vkAdd = 107;      // numeric keypad +
inline constexpr std::uint32_t vkSubtract = 109; // numeric keypad -
inline constexpr std::uint32_t vkF1 = 112;
inline constexpr std::uint32_t vkF2 = 113;
inline constexpr std::uint32_t vkF3 = 114; // the records screen
inline constexpr std::uint32_t vkF5 = 116;
inline constexpr std::uint32_t vkF6 = 117; // the controls dialog
inline constexpr std::uint32_t vkF7 = 118;
inline constexpr std::uint32_t vkF8 = 119;
inline constexpr std::uint32_t vkF11 = 122; // full screen on and off
