#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TPngImage;

// A rectangle of pixels: left, top, width, height.
struct TPictureRect {
  std::int32_t X = 0, Y = 0, W = 0, H = 0;
  friend bool operator==(const TPictureRect&, const TPictureRect&) = default;
  bool Empty() const { return W <= 0 || H <= 0; }
  bool Intersects(const TPictureRect& O) const {
    return !Empty() && !O.Empty() && X < O.X + O.W && O.X < X + W && Y < O.Y + O.H && O.Y < Y + H;
  }
  TPictureRect United(const TPictureRect& O) const;
};

// A stretch of a band of rows, from X and W pixels wide: the picture below as
// it is, or with an image drawn over it, its top-left corner at (X, the
// band's top).
struct TBandPart {
  std::int32_t X = 0, W = 0;
  const TPngImage* Image = nullptr;
};

// What a stretch of drawing calls draws: each call with the drawing state it
// used, and the rectangle that holds everything it may touch.
struct TDrawRecord {
  std::string Calls;
  TPictureRect Bounds;
  friend bool operator==(const TDrawRecord&, const TDrawRecord&) = default;
};

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
  // Fills rows Y to Y + Height - 1 part by part from Under, a picture of the
  // same size, each part as it is there or with its image drawn on it as
  // Draw does; the parts do not overlap. Images fit their part and the band
  // exactly. The same as copying each part and drawing on it, in one sweep
  // along each row.
  void ComposeBand(std::int32_t Y, std::int32_t Height, const std::vector<TBandPart>& Parts, TPicture& Under);

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

  // Copies a rectangle of another picture of the same size to the same place
  // here, replacing what was there.
  void CopyRect(TPicture& From, const TPictureRect& Rect);
  // Limits the drawing to a rectangle until ClearClip.
  void SetClip(const TPictureRect& Rect);
  void ClearClip();
  // From now on, notes every drawing call in Into (which it empties first);
  // with Draw false the calls draw nothing. Stopped by StopRecording.
  void StartRecording(TDrawRecord& Into, bool Draw);
  void StopRecording();
  // Whether both pictures hold the same pixels.
  bool SamePixels(TPicture& Other);

  // How many drawing calls may have changed the pixels since the picture was
  // made: whoever keeps what it drew knows from this that someone else drew.
  std::uint64_t DrawCount() const;

  // Fills the whole picture with one colour.
  void Fill(std::uint32_t Color);
  // The colour of one pixel as 0x00BBGGRR; 0 outside the picture.
  std::uint32_t PixelAt(std::int32_t X, std::int32_t Y);

  struct TImpl;
  TImpl& Impl() { return *D; }

private:
  std::unique_ptr<TImpl> D;
};
