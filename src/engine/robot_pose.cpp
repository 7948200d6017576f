#include "engine/robot_pose.h"

#include "assets/sprites.h"

#include <algorithm>

void TRobotPose::Reset() {
  Motion = TMotion::Still;
  Side = Facing = 1;
}

void TRobotPose::Start(TMotion aMotion, std::uint32_t Now, std::uint32_t Length) {
  Motion = aMotion;
  Since = Now;
  Lasts = Length;
}

void TRobotPose::Stepped(int aSide, bool Moved, std::uint32_t Now) {
  if (!Moved) {
    Side = aSide;
    Start(TMotion::Turn, Now, TurnMs);
    return;
  }
  Facing = aSide;
  const std::uint32_t Cycle = WalkFrames * WalkFrameMs;
  // A step that comes while the walk to the same side still shows goes on
  // with the legs where they are, so a held key walks smoothly.
  const std::uint32_t Shown = Now - Since;
  if (Motion == TMotion::Walk && Side == aSide && Shown < Lasts) {
    Lasts = Shown + Cycle;
    return;
  }
  Side = aSide;
  Start(TMotion::Walk, Now, Cycle);
}

void TRobotPose::Jumped(std::uint32_t Now) {
  Side = Facing;
  Start(TMotion::Rise, Now, JumpFrames * JumpFrameMs);
}

void TRobotPose::SteppedDown(std::uint32_t Now) {
  Side = Facing;
  Start(TMotion::Drop, Now, JumpFrames * JumpFrameMs);
}

std::optional<std::uint32_t> TRobotPose::NextChange(std::uint32_t Now) const {
  const auto Signed = static_cast<std::int32_t>(Now - Since);
  const std::uint32_t Shown = Signed < 0 ? 0 : static_cast<std::uint32_t>(Signed);
  if (Motion == TMotion::Still || Shown >= Lasts)
    return std::nullopt;
  const std::uint32_t Step = Motion == TMotion::Walk ? WalkFrameMs : Motion == TMotion::Turn ? Lasts : JumpFrameMs;
  return Since + std::min(Lasts, (Shown / Step + 1) * Step);
}

const TPngImage* TRobotPose::Frame(const TSpritesContainer& SC, std::uint32_t Now) const {
  if (Motion == TMotion::Still)
    return nullptr;
  // A picture drawn before the next tick may come with a time a little
  // before the move: it shows the motion's start.
  const auto Signed = static_cast<std::int32_t>(Now - Since);
  const std::uint32_t Shown = Signed < 0 ? 0 : static_cast<std::uint32_t>(Signed);
  if (Shown >= Lasts)
    return nullptr;
  const bool Left = Side < 0;
  switch (Motion) {
  case TMotion::Walk:
    return (Left ? SC.RobotWalkLeft : SC.RobotWalkRight).Sprite(Shown / WalkFrameMs % WalkFrames + 1);
  case TMotion::Turn:
    return (Left ? SC.RobotWalkLeft : SC.RobotWalkRight).Sprite(1);
  case TMotion::Rise:
    return (Left ? SC.RobotJumpLeft : SC.RobotJumpRight).Sprite(Shown / JumpFrameMs + 1);
  case TMotion::Drop:
    return (Left ? SC.RobotJumpLeft : SC.RobotJumpRight).Sprite(JumpFrames - Shown / JumpFrameMs);
  case TMotion::Still:
    break;
  }
  return nullptr;
}
