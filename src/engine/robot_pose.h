#pragma once

#include <cstdint>
#include <optional>

class TPngImage;
class TSpritesContainer;

// How the robot looks on screen while it walks and jumps: a picture for the
// eye only. The robot's moves tell it what happened and when (readings the
// moves took anyway), and drawing asks it for the frame at a time; no rule of
// the game reads it.
class TRobotPose {
public:
  // Each walk frame shows this long: frames 1, 2, 3 of a step take 150 ms.
  static constexpr std::uint32_t WalkFrameMs = 50;
  static constexpr std::uint32_t WalkFrames = 3;
  // A refused step turns the robot toward that side for this long.
  static constexpr std::uint32_t TurnMs = 90;
  // Each jump frame shows this long.
  static constexpr std::uint32_t JumpFrameMs = 60;
  static constexpr std::uint32_t JumpFrames = 2;

  // A new game: the still robot, facing right for its first jump.
  void Reset();
  // A step left (Side -1) or right (+1) at Now, taken or refused by the yard.
  void Stepped(int Side, bool Moved, std::uint32_t Now);
  // A jump that lifted the robot, and a step down the player asked for.
  void Jumped(std::uint32_t Now);
  void SteppedDown(std::uint32_t Now);

  // The next moment after Now at which the frame shown changes; none while
  // the robot stands still.
  std::optional<std::uint32_t> NextChange(std::uint32_t Now) const;

  // The frame to show at Now; nullptr while the robot stands still.
  const TPngImage* Frame(const TSpritesContainer& SC, std::uint32_t Now) const;

private:
  enum class TMotion { Still, Walk, Turn, Rise, Drop };

  void Start(TMotion aMotion, std::uint32_t Now, std::uint32_t Length);

  TMotion Motion = TMotion::Still;
  int Side = 1;            // the side of the walk, turn or jump shown
  int Facing = 1;          // the side the robot last walked to
  std::uint32_t Since = 0; // when the motion shown began
  std::uint32_t Lasts = 0; // how long it shows, from Since
};
