#pragma once

// Sprites blended over the picture's pixels by hand, the very pixels Qt's
// painter gives (premultiplied 0xAARRGGBB, its rounding), only faster: the
// game draws a few hundred cells a frame.
//
// The blending comes in widths, each measured on the game's own cells with
// bench/blend_bench (CPU time on a busy 2-core 2.1 GHz x86-64 with AVX-512):
// a whole 640 x 480 picture swept band by band, sparse (a cell blended after
// every 64 pixels of the picture below) and busy (every cell blended), and
// 300 cells blended one by one.
//   width   what it does                             sparse    busy   cells
//   plain   one pixel at a time, opaque and clear    109 us  248 us  303 us
//           pixels taken as they are: the base, and
//           the tail of every row in the others
//   sse2    eight pixels at a time in two 128-bit     51 us  131 us  139 us
//           halves (every x86-64 has it)
//   avx2    eight pixels at a time, 256 bits          33 us   69 us   67 us
//   avx512  sixteen pixels at a time, 512 bits        32 us   64 us   43 us
// Every width is faster than the plain one. Bands are swept in the widest the
// processor has; single images are blended in the widest up to avx2, as they
// were before these figures were taken (avx512 would be faster there too:
// taking it is a change of its own, measured on the game's frames).

#include <cstddef>
#include <cstdint>

// A block of pixels in a picture: its first pixel and the distance from one
// row to the next.
struct TPixelBlock {
  std::uint32_t* Pixels;
  std::size_t Line;
};
struct TConstPixelBlock {
  const std::uint32_t* Pixels;
  std::size_t Line;
};

// A stretch of a band's rows, Width pixels from X: rows of pixels Line apart
// from From, copied, or blended over the picture below.
struct TBlendRun {
  int X = 0, Width = 0;
  const std::uint32_t* From = nullptr;
  std::size_t Line = 0;
  bool Blend = false;
};

enum class TBlendWidth { Plain, Sse2, Avx2, Avx512 };

// Whether this processor runs a width; the widest it runs, for bands; and
// the width for single images.
bool BlendWidthAvailable(TBlendWidth Width);
TBlendWidth WidestBlendWidth();
TBlendWidth ImageBlendWidth();

// S over D for a block of Width x Height pixels.
void BlendBlock(TPixelBlock D, TConstPixelBlock S, int Width, int Height, TBlendWidth With = ImageBlendWidth());
// S copied over D for a block of Width x Height pixels.
void CopyBlock(TPixelBlock D, TConstPixelBlock S, int Width, int Height);
// Height rows of D from U and the runs (their X from the block's left), one
// row at a time from left to right, so that every row is read and written in
// one sweep.
void ComposeRows(TPixelBlock D, TConstPixelBlock U, const TBlendRun* Runs, std::size_t Count, int Height,
                 TBlendWidth With = WidestBlendWidth());
