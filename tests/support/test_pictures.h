#pragma once

#include "platform/png_image.h"

#include <cstdint>
#include <string>
#include <vector>

// A folder of its own under the system's temporary folder, removed with everything in it.
class TTempDir {
public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::string& Path() const { return Dir; } // ends without '/'

private:
  std::string Dir;
};

// Writes a PNG of one colour (RGBA, with alpha), creating the folders on the way.
void WriteSolidPng(const std::string& Path, std::uint32_t Width, std::uint32_t Height, TRgba Colour);

// A colour as the drawing layer reports it, 0x00BBGGRR.
inline std::uint32_t Bgr(TRgba C) {
  return static_cast<std::uint32_t>(C.R) | static_cast<std::uint32_t>(C.G) << 8 |
         static_cast<std::uint32_t>(C.B) << 16;
}

// The game's text colour, within what anti-aliased letters leave of it.
inline bool IsYellow(std::uint32_t Bgr) {
  const std::uint32_t R = Bgr & 0xFF, G = (Bgr >> 8) & 0xFF, B = (Bgr >> 16) & 0xFF;
  return R > 200 && G > 200 && B < 80;
}

// Every picture file of the game, relative to the folder "sprites".
const std::vector<std::string>& AllSpriteFiles();

// The colour a fixture folder gives the picture file Name: each file its own,
// fully opaque but for the half-transparent brick, so a test can tell from a
// pixel which picture was drawn.
TRgba FixtureColour(const std::string& Name);

// Fills Dir (with a trailing '/') with every picture of the game at its real size.
void WriteSpritesFixture(const std::string& Dir);

// Grows a PNG file to exactly Size bytes with a text chunk before its end, as
// the game's own screens are sized; every decoder skips the chunk.
void PadPngToSize(const std::string& Path, std::size_t Size);

// A folder laid out like the installed game: sprites/ with every picture, the
// start and about screens at the sizes the game checks, and sounds/ with
// every sound of the game.
void WriteGameFolder(const std::string& Dir);
