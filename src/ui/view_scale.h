#pragma once

// How large the game's picture is shown: a whole number of screen pixels for
// each of its pixels, so that every pixel stays a crisp square. Sizes here are
// in the window system's units; a screen's device pixel ratio says how many
// screen pixels one unit holds (2 on a typical high-density screen).

struct TViewSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const TViewSize&) const = default;
};

struct TViewPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TViewPoint&) const = default;
};

inline constexpr int MinZoom = 1;
inline constexpr int MaxZoom = 4;

// The size in units of Picture shown at Zoom screen pixels per pixel.
TViewSize ZoomedSize(TViewSize Picture, int Zoom, double DevicePixelRatio);

// The zoom of a first start: the largest from MinZoom to MaxZoom whose window,
// frame included, fits the Available area of the screen; MinZoom when none fits.
int AutoZoom(TViewSize Available, TViewSize Frame, double DevicePixelRatio, TViewSize Picture);

// The zoom in full screen: the largest whole factor that fits the Screen, at least 1.
int FullScreenZoom(TViewSize Screen, double DevicePixelRatio, TViewSize Picture);

// The picture filling the Screen as far as its shape allows, in units: the
// largest size of the Picture's proportions whose screen pixels fit, each side
// rounded to the nearest pixel.
TViewSize FitSize(TViewSize Screen, double DevicePixelRatio, TViewSize Picture);

// The whole factor a picture of Fit (in units) is first scaled to, before it
// is smoothed down to Fit: the smallest at or above it, so that the smoothing
// blends at most one screen pixel at each edge of a pixel.
int FitZoom(TViewSize Fit, double DevicePixelRatio, TViewSize Picture);

// Zoom moved Step steps, kept from MinZoom to MaxZoom.
int SteppedZoom(int Zoom, int Step);

// A stored zoom taken when it is one the game offers, else 0 for "choose automatically".
int StoredZoom(int Value);

// Where a window of Size goes so that it stays inside Area (top left at AreaAt):
// moved in from the edges it crosses; one larger than the area keeps its top left in it.
TViewPoint KeptInside(TViewPoint At, TViewSize Size, TViewPoint AreaAt, TViewSize Area);

// The top left of Inner centred in Outer.
TViewPoint Centred(TViewSize Outer, TViewSize Inner);
