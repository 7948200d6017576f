#pragma once

#include "engine/game.h"

#include <cstdint>
#include <string>
#include <vector>

// Parts of the yard drawn as rows of text, one character a cell:
//   .  empty            #  rock (ground or wall, fixed)
//   o  brick            f  fragile trash (a toilet)
//   b  barrel from the truck          p  bomb placed by the robot
//   t  tool             e  exit
//   R  the robot        B  the robot with a barrel in its cell
//   T  the robot with a tool          E  the robot in an exit
//   O  the robot with a brick         P  the robot with a placed bomb
// Read back only:
//   ~  an empty cell in which smoke plays   *  an empty cell in which a blast plays
//   ?  anything else
using TYardRows = std::vector<std::string>;

// Draws Rows with its first character at (X0, Y0). Every drawn cell gets its
// contents, picture and flags anew; timers are left alone. When the rows hold
// robot cells, the robot moves there (its upper cell is the topmost one).
void DrawYard(TGame& Game, std::uint32_t X0, std::uint32_t Y0, const TYardRows& Rows);

// The block of W x H cells with (X0, Y0) at its top left, as text.
TYardRows ReadYard(const TGame& Game, std::uint32_t X0, std::uint32_t Y0, std::uint32_t W, std::uint32_t H);

// The character ReadYard shows for one cell.
char CellChar(const TGame& Game, const TGGCell& Cell);
