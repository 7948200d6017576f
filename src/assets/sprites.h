#pragma once

#include "platform/png_image.h"

#include <array>
#include <cstdint>
#include <string>

// An animation, or a still picture: 1 to 16 frames numbered from 1.
class TFigureSprites {
public:
  static constexpr std::uint32_t MaxSprites = 16;

  // Appends one frame loaded from Path, or from the same path with the
  // extension ".spr" when no file of that name exists. Throws EImageLoadError.
  void AddSprite(const std::string& Path);

  std::uint32_t SpritesCount() const { return Count; }

  // Frame Index (1 to SpritesCount), or nullptr for any other index: a frame
  // beyond the set is never read.
  const TPngImage* Sprite(std::uint32_t Index) const;

private:
  std::array<TPngImage, MaxSprites> Sprites;
  std::uint32_t Count = 0;
};

// All pictures of the game, loaded once from the folder "sprites".
class TSpritesContainer {
public:
  // Loads every set from SpritesDir (which ends with '/'); throws
  // EImageLoadError naming the first file that cannot be loaded.
  explicit TSpritesContainer(const std::string& SpritesDir);
  TSpritesContainer(const TSpritesContainer&) = delete;
  TSpritesContainer& operator=(const TSpritesContainer&) = delete;

  TFigureSprites Brick, Land, Ligthing, Smoke, Toilet, Tool, SmashedCar, Boom, Barrel, Girya, Cargo, Papers, Wheel,
      Metal2, Bottles, Metal, Wall, BG, RobotWalkLeft, RobotWalkRight, RobotJumpLeft, RobotJumpRight, Robot,
      HelpScreen, InitScreen, AboutScreen, WinScreen, LooseScreen;
};

// The folder "sprites" in the game's data folder (see platform/app_paths.h), with a trailing '/'.
std::string DefaultSpritesDir();
