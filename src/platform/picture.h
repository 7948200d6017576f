#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TPngImage;

// The off-screen picture the game draws into, and the few drawing operations
// it needs. Colours are 0x00BBGGRR. The picture keeps its drawing state (font
// colour and size, pen colour, brush) from one call to the next.
class TPicture {
public:
  TPicture(std::uint32_t Width, std::uint32_t Height);
  ~TPicture();
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  std::uint32_t Width() const;
  std::uint32_t Height() const;

  // Draws the image at its own size with its alpha channel, top-left corner at (X, Y).
  void Draw(std::int32_t X, std::int32_t Y, const TPngImage& Image);

  void SetFontColor(std::uint32_t Color);
  void SetFontSize(std::int32_t Points);
  void SetBrushClear();
  // Draws the text with its top-left corner at (X, Y) in the current font.
  void TextOut(std::int32_t X, std::int32_t Y, const std::string& Text);
  // Like TextOut, ringed by a one-pixel outline of OutlineColor, so the text
  // stays readable over any picture.
  void OutlinedTextOut(std::int32_t X, std::int32_t Y, const std::string& Text, std::uint32_t OutlineColor);
  // The bold face of the game's texts in play; off, the picture's default face.
  void SetFontBold(bool Bold);
  std::int32_t TextWidth(const std::string& Text);
  std::int32_t TextHeight(const std::string& Text);

  void SetPenColor(std::uint32_t Color);
  void MoveTo(std::int32_t X, std::int32_t Y);
  void LineTo(std::int32_t X, std::int32_t Y);

  // Fills the whole picture with one colour.
  void Fill(std::uint32_t Color);
  // The colour of one pixel as 0x00BBGGRR; 0 outside the picture.
  std::uint32_t PixelAt(std::int32_t X, std::int32_t Y);

  struct TImpl;
  TImpl& Impl() { return *D; }

private:
  std::unique_ptr<TImpl> D;
};
