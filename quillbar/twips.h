// The palette's geometry: twips (1/1440 inch) on the screen and in a window.
#pragma once
#include <cstdint>

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
