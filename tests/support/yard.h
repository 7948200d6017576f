#pragma once

#include "engine/game.h"

#include <string>
#include <vector>

// The yard as rows of text, one character a cell:
//   '.' empty   '#' rock (ground, wall)   'L' lightning rock   'E' exit
//   'R' robot   'r' robot in an exit      'o' any other content
std::vector<std::string> YardPicture(const TGame& Game);

// Puts the robot's footprint at (X, Y) without any rule: the marks move, the
// picture moves, and the last step is forgotten.
void PlaceRobot(TGame& Game, std::uint32_t X, std::uint32_t Y);

// Makes a cell hold a solid object of the given set (a plain rock by default).
void PutSolid(TGame& Game, std::uint32_t X, std::uint32_t Y, std::uint32_t State = csSolid);
