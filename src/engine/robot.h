#pragma once

#include "engine/robot_pose.h"

#include <cstdint>

class TGameGrid;
class TSpritesContainer;

// The player's robot: one cell wide, two cells high. It marks the cells it
// stands in with csRobot, and its upper cell carries its picture.
class TRobot {
public:
  TRobot(TGameGrid& GG, TSpritesContainer& SC);

  std::uint32_t VectorDirection = 0; // unused
  std::uint32_t VectorSpeed = 1;     // unused
  TGameGrid& GameGrid;
  TSpritesContainer& SpritesContainer;
  std::uint32_t X = 1; // column of the upper cell
  std::uint32_t Y = 1; // row of the upper cell
  std::uint32_t W = 1;
  std::uint32_t H = 2;
  std::uint32_t PreviousX = 1;
  std::uint32_t PreviousY = 1;
  std::uint32_t SameDirectionPathLength = 0; // moves in a row that repeated the last step
  std::uint32_t LevitationDuration = 100;    // how long the robot hangs after a jump
  std::uint32_t LastMoveTime = 0;
  std::uint32_t LastJumpTime = 0;
  std::uint32_t BombCount = 0;
  std::uint32_t BombTimeOut = 1000; // fuse of a placed bomb
  std::uint32_t Luck = 0;           // percentage the "Normal" trash generator uses
  TRobotPose Pose;                  // how it looks walking and jumping; no rule reads it

  // Whether the footprint fits with its upper cell at (newX, newY).
  bool CanMoveTo(std::uint32_t newX, std::uint32_t newY) const;

  void MoveLeft();
  void MoveRight();
  void Jump();
  void MoveUp();
  void MoveDown(bool SkipSDPLChanging);
  // Steps up one row and leaves a bomb in the cell below.
  void PasteBomb();

private:
  friend class TGame; // a new game puts the robot in place

  bool MoveTo(std::uint32_t newX, std::uint32_t newY, bool SkipSDPLChanging);
  // A step to the left (Side -1) or right (+1).
  void Step(int Side);
};
