#pragma once

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

// An 8-bit palette picture: one index per pixel, row by row.
struct TIndexedPicture {
  std::uint32_t Width = 0, Height = 0;
  std::vector<std::uint8_t> Indices;
  std::vector<QRgb> Palette; // opaque colours, at most 256
};

// The bytes of a PNG file of Image as 8-bit RGBA (straight alpha).
std::vector<std::uint8_t> EncodeRgbaPng(const QImage& Image);

// The bytes of a palette PNG of Picture. When PadText is not empty it goes
// into a text chunk after the image data: decoders skip it, and it lets a
// file be brought to a size chosen in advance.
std::vector<std::uint8_t> EncodeIndexedPng(const TIndexedPicture& Picture, const std::string& PadText = {});

// The number of bytes a text chunk with the keyword "Comment" adds for a text of Length bytes.
constexpr std::size_t CommentChunkSize(std::size_t Length) { return 12 + 8 + Length; }

// Writes Bytes to Path, creating the folders on the way; throws std::runtime_error.
void WriteFileBytes(const std::string& Path, const std::vector<std::uint8_t>& Bytes);
