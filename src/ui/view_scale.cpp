#include "ui/view_scale.h"

#include <algorithm>
#include <cmath>

namespace {
// Units needed for Pixels screen pixels; a hair of tolerance keeps 1.25 x 640 / 1.25 at 640.
int Units(int Pixels, double DevicePixelRatio) {
  return static_cast<int>(std::ceil(Pixels / DevicePixelRatio - 1e-6));
}

bool Fits(TViewSize Inner, TViewSize Outer) { return Inner.Width <= Outer.Width && Inner.Height <= Outer.Height; }

double Ratio(double DevicePixelRatio) { return DevicePixelRatio > 0 ? DevicePixelRatio : 1.0; }

// Screen pixels across and down, whole ones only.
TViewSize ScreenPixels(TViewSize Screen, double R) {
  return {static_cast<int>(std::floor(Screen.Width * R + 1e-6)), static_cast<int>(std::floor(Screen.Height * R + 1e-6))};
}
} // namespace

TViewSize ZoomedSize(TViewSize Picture, int Zoom, double DevicePixelRatio) {
  const double R = Ratio(DevicePixelRatio);
  return {Units(Picture.Width * Zoom, R), Units(Picture.Height * Zoom, R)};
}

int AutoZoom(TViewSize Available, TViewSize Frame, double DevicePixelRatio, TViewSize Picture) {
  for (int Zoom = MaxZoom; Zoom > MinZoom; --Zoom) {
    const TViewSize Window = ZoomedSize(Picture, Zoom, DevicePixelRatio);
    if (Fits({Window.Width + Frame.Width, Window.Height + Frame.Height}, Available))
      return Zoom;
  }
  return MinZoom;
}

int FullScreenZoom(TViewSize Screen, double DevicePixelRatio, TViewSize Picture) {
  if (Picture.Width <= 0 || Picture.Height <= 0)
    return 1;
  const TViewSize Pixels = ScreenPixels(Screen, Ratio(DevicePixelRatio));
  return std::max(1, std::min(Pixels.Width / Picture.Width, Pixels.Height / Picture.Height));
}

TViewSize FitSize(TViewSize Screen, double DevicePixelRatio, TViewSize Picture) {
  const double R = Ratio(DevicePixelRatio);
  if (Picture.Width <= 0 || Picture.Height <= 0)
    return Screen;
  const TViewSize Pixels = ScreenPixels(Screen, R);
  // The side that runs out first takes the whole screen; the other follows the picture's shape.
  const auto Along = [](int Side, int Of, int Per) {
    return static_cast<int>(std::lround(static_cast<double>(Side) * Of / Per));
  };
  TViewSize Fit{Pixels.Width, Along(Pixels.Width, Picture.Height, Picture.Width)};
  if (Fit.Height > Pixels.Height)
    Fit = {Along(Pixels.Height, Picture.Width, Picture.Height), Pixels.Height};
  return {std::max(1, Units(Fit.Width, R)), std::max(1, Units(Fit.Height, R))};
}

int FitZoom(TViewSize Fit, double DevicePixelRatio, TViewSize Picture) {
  if (Picture.Width <= 0 || Picture.Height <= 0)
    return 1;
  const TViewSize Pixels = ScreenPixels(Fit, Ratio(DevicePixelRatio));
  const auto Over = [](int Side, int Of) { return (Side + Of - 1) / Of; };
  return std::max({1, Over(Pixels.Width, Picture.Width), Over(Pixels.Height, Picture.Height)});
}

int SteppedZoom(int Zoom, int Step) { return std::clamp(Zoom + Step, MinZoom, MaxZoom); }

int StoredZoom(int Value) { return Value >= MinZoom && Value <= MaxZoom ? Value : 0; }

TViewPoint KeptInside(TViewPoint At, TViewSize Size, TViewPoint AreaAt, TViewSize Area) {
  const auto Keep = [](int Pos, int Length, int AreaPos, int AreaLength) {
    Pos = std::min(Pos, AreaPos + AreaLength - Length);
    return std::max(Pos, AreaPos);
  };
  return {Keep(At.X, Size.Width, AreaAt.X, Area.Width), Keep(At.Y, Size.Height, AreaAt.Y, Area.Height)};
}

TViewPoint Centred(TViewSize Outer, TViewSize Inner) {
  return {(Outer.Width - Inner.Width) / 2, (Outer.Height - Inner.Height) / 2};
}
