// The palette's unit of length, the twip (1/1440 inch), and every conversion
// between twips and pixels. Positions and sizes are kept in twips on the screen,
// in a window and in the settings file; pixels exist only where Windows asks.
#pragma once
#include <cstdint>

inline constexpr int kTwipsPerInch = 1440;

struct TwipPoint {
  int32_t x, y;
};

struct TwipRect {
  int32_t left, top, width, height;
  int32_t right() const { return left + width; }
  int32_t bottom() const { return top + height; }
  bool contains(double x, double y) const { return x >= left && x < right() && y >= top && y < bottom(); }
};

struct ScreenTwips {
  double width, height;  // the primary screen, twips
};

// A monitor's rectangle on the desktop, twips (right and bottom exclusive).
struct TwipArea {
  double left, top, right, bottom;
};

// Twips on a screen of `dpi` dots per inch as whole pixels (15 twips per pixel
// at 96 dpi), to the nearest, halves to even.
int TwipsToPixels(double twips, int dpi);
// Pixels at `dpi` as twips, unrounded.
double PixelsToTwips(double pixels, int dpi);

// A position in twips: nearest integer, halves to even, kept inside the 32-bit range.
int32_t RoundToTwips(double value);

// A rectangle's edges in pixels (right and bottom exclusive). The edges are
// converted, not the sizes, so neighbouring controls neither overlap nor leave
// gaps at any scaling; the painting and the caption fitting both measure so.
struct PixelEdges {
  int left, top, right, bottom;
};
PixelEdges TwipsToPixelEdges(const TwipRect& r, int dpi);
