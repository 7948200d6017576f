#include "platform/sprite_blend.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace {
// One premultiplied pixel over another, as Qt's painter blends them:
// d * (255 - alpha) / 255 rounded the way its BYTE_MUL rounds.
inline std::uint32_t OverPixel(std::uint32_t S, std::uint32_t D) {
  if (S >= 0xFF000000u)
    return S;
  if (S == 0)
    return D;
  const std::uint32_t A = 255 - (S >> 24);
  std::uint32_t Rb = (D & 0xFF00FFu) * A;
  Rb = ((Rb + ((Rb >> 8) & 0xFF00FFu) + 0x800080u) >> 8) & 0xFF00FFu;
  std::uint32_t Ag = ((D >> 8) & 0xFF00FFu) * A;
  Ag = (Ag + ((Ag >> 8) & 0xFF00FFu) + 0x800080u) & 0xFF00FF00u;
  return S + (Ag | Rb);
}

// The same arithmetic on Bytes / 4 pixels at once, each colour in a 16-bit
// lane; no bytes at all is the plain pixel by pixel.
template <int Bytes> struct TVectors;
template <> struct TVectors<32> {
  using TPixels = std::uint32_t __attribute__((vector_size(32)));
  using TLanes = std::uint16_t __attribute__((vector_size(32)));
};
template <> struct TVectors<64> {
  using TPixels = std::uint32_t __attribute__((vector_size(64)));
  using TLanes = std::uint16_t __attribute__((vector_size(64)));
};

// One row of Width pixels: D = S over U; U may be D itself. In vectors or
// not, the pixels are the same.
template <int Bytes>
[[gnu::always_inline]] inline void BlendSpan(std::uint32_t* D, const std::uint32_t* S, const std::uint32_t* U,
                                             int Width) {
  int X = 0;
  if constexpr (Bytes > 0) {
    using TPixels = typename TVectors<Bytes>::TPixels;
    using TLanes = typename TVectors<Bytes>::TLanes;
    constexpr int AtOnce = Bytes / 4;
    for (; X + AtOnce <= Width; X += AtOnce) {
      TPixels Sv, Dv;
      std::memcpy(&Sv, S + X, sizeof Sv);
      std::memcpy(&Dv, U + X, sizeof Dv);
      const TPixels Alpha = Sv >> 24;
      const TLanes A = 255 - reinterpret_cast<TLanes>(Alpha | (Alpha << 16));
      const TLanes Lanes = reinterpret_cast<TLanes>(Dv);
      TLanes Rb = (Lanes & 0xFF) * A;
      Rb = (Rb + (Rb >> 8) + 0x80) >> 8;
      TLanes Ag = (Lanes >> 8) * A;
      Ag = (Ag + (Ag >> 8) + 0x80) & 0xFF00;
      const TPixels Result = Sv + reinterpret_cast<TPixels>(Ag | Rb);
      std::memcpy(D + X, &Result, sizeof Result);
    }
  }
  for (; X < Width; ++X)
    D[X] = OverPixel(S[X], U[X]);
}

// One row of Width pixels copied: short stretches, a cell or a few, go
// faster inline than through a call.
[[gnu::always_inline]] inline void CopySpan(std::uint32_t* D, const std::uint32_t* S, int Width) {
  if (Width >= 256) {
    std::memcpy(D, S, static_cast<std::size_t>(Width) * 4);
    return;
  }
  int X = 0;
  for (; X + 8 <= Width; X += 8)
    std::memcpy(D + X, S + X, 32);
  for (; X < Width; ++X)
    D[X] = S[X];
}

template <int Bytes>
[[gnu::always_inline]] inline void BlendBlockWith(TPixelBlock D, TConstPixelBlock S, int Width, int Height) {
  for (int Row = 0; Row < Height; ++Row) {
    std::uint32_t* To = D.Pixels + static_cast<std::size_t>(Row) * D.Line;
    BlendSpan<Bytes>(To, S.Pixels + static_cast<std::size_t>(Row) * S.Line, To, Width);
  }
}

template <int Bytes>
[[gnu::always_inline]] inline void ComposeRowsWith(TPixelBlock D, TConstPixelBlock U, const TBlendRun* Runs,
                                                   std::size_t Count, int Height) {
  for (int Row = 0; Row < Height; ++Row) {
    std::uint32_t* To = D.Pixels + static_cast<std::size_t>(Row) * D.Line;
    const std::uint32_t* Below = U.Pixels + static_cast<std::size_t>(Row) * U.Line;
    for (const TBlendRun* R = Runs; R != Runs + Count; ++R) {
      const auto X = static_cast<std::size_t>(R->X);
      const std::uint32_t* From = R->From + static_cast<std::size_t>(Row) * R->Line;
      if (R->Blend)
        BlendSpan<Bytes>(To + X, From, Below + X, R->Width);
      else
        CopySpan(To + X, From, R->Width);
    }
  }
}

// Each width, compiled for its instructions.
using TBlendBlock = void (*)(TPixelBlock, TConstPixelBlock, int, int);
using TComposeRows = void (*)(TPixelBlock, TConstPixelBlock, const TBlendRun*, std::size_t, int);
struct TBlender {
  TBlendBlock Block;
  TComposeRows Rows;
};

[[gnu::noinline]] void BlendBlockPlain(TPixelBlock D, TConstPixelBlock S, int Width, int Height) {
  BlendBlockWith<0>(D, S, Width, Height);
}
[[gnu::noinline]] void ComposeRowsPlain(TPixelBlock D, TConstPixelBlock U, const TBlendRun* Runs, std::size_t Count,
                                        int Height) {
  ComposeRowsWith<0>(D, U, Runs, Count, Height);
}
void BlendBlockSse2(TPixelBlock D, TConstPixelBlock S, int Width, int Height) {
  BlendBlockWith<32>(D, S, Width, Height);
}
void ComposeRowsSse2(TPixelBlock D, TConstPixelBlock U, const TBlendRun* Runs, std::size_t Count, int Height) {
  ComposeRowsWith<32>(D, U, Runs, Count, Height);
}
__attribute__((target("avx2"))) void BlendBlockAvx2(TPixelBlock D, TConstPixelBlock S, int Width, int Height) {
  BlendBlockWith<32>(D, S, Width, Height);
}
__attribute__((target("avx2"))) void ComposeRowsAvx2(TPixelBlock D, TConstPixelBlock U, const TBlendRun* Runs,
                                                     std::size_t Count, int Height) {
  ComposeRowsWith<32>(D, U, Runs, Count, Height);
}
__attribute__((target("avx512bw,avx512vl"))) void BlendBlockAvx512(TPixelBlock D, TConstPixelBlock S, int Width,
                                                                   int Height) {
  BlendBlockWith<64>(D, S, Width, Height);
}
__attribute__((target("avx512bw,avx512vl"))) void ComposeRowsAvx512(TPixelBlock D, TConstPixelBlock U,
                                                                    const TBlendRun* Runs, std::size_t Count,
                                                                    int Height) {
  ComposeRowsWith<64>(D, U, Runs, Count, Height);
}

// By TBlendWidth.
constexpr TBlender Blenders[] = {{BlendBlockPlain, ComposeRowsPlain},
                                 {BlendBlockSse2, ComposeRowsSse2},
                                 {BlendBlockAvx2, ComposeRowsAvx2},
                                 {BlendBlockAvx512, ComposeRowsAvx512}};
const TBlender& BlenderOf(TBlendWidth Width) { return Blenders[static_cast<std::size_t>(Width)]; }
} // namespace

bool BlendWidthAvailable(TBlendWidth Width) {
  __builtin_cpu_init(); // this may run before the runtime's own start-up code
  switch (Width) {
  case TBlendWidth::Avx2:
    return __builtin_cpu_supports("avx2");
  case TBlendWidth::Avx512:
    return __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
  case TBlendWidth::Plain:
  case TBlendWidth::Sse2:
    break;
  }
  return true;
}

namespace {
// Found once, as the program starts: every image drawn asks.
const TBlendWidth Widest = [] {
  for (const TBlendWidth Width : {TBlendWidth::Avx512, TBlendWidth::Avx2, TBlendWidth::Sse2})
    if (BlendWidthAvailable(Width))
      return Width;
  return TBlendWidth::Plain;
}();
const TBlendWidth ForImages = std::min(Widest, TBlendWidth::Avx2);
} // namespace

TBlendWidth WidestBlendWidth() { return Widest; }
TBlendWidth ImageBlendWidth() { return ForImages; }

void BlendBlock(TPixelBlock D, TConstPixelBlock S, int Width, int Height, TBlendWidth With) {
  BlenderOf(With).Block(D, S, Width, Height);
}

void CopyBlock(TPixelBlock D, TConstPixelBlock S, int Width, int Height) {
  for (int Row = 0; Row < Height; ++Row)
    std::memcpy(D.Pixels + static_cast<std::size_t>(Row) * D.Line, S.Pixels + static_cast<std::size_t>(Row) * S.Line,
                static_cast<std::size_t>(Width) * 4);
}

void ComposeRows(TPixelBlock D, TConstPixelBlock U, const TBlendRun* Runs, std::size_t Count, int Height,
                 TBlendWidth With) {
  BlenderOf(With).Rows(D, U, Runs, Count, Height);
}
