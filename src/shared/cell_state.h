#pragma once

#include <cstdint>

// What a cell of the yard holds: a bit set. 0 is an empty cell.
inline constexpr std::uint32_t csRobot = 1;    // the robot stands in the cell
inline constexpr std::uint32_t csSolid = 2;    // ground, wall, trash, barrels: blocks and carries
inline constexpr std::uint32_t csPickup = 4;   // the tool, taken when the robot meets it
inline constexpr std::uint32_t csBomb = 8;     // a barrel: explodes on landing or when blasted
inline constexpr std::uint32_t csFragile = 16; // breaks into smoke when it lands
inline constexpr std::uint32_t csExit = 32;    // the robot wins here

// Columns and rows of the yard, and the size of a cell in pixels.
inline constexpr std::uint32_t YardCols = 20;
inline constexpr std::uint32_t YardRows = 15;
inline constexpr std::uint32_t CellPixels = 32;
