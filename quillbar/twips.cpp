#include "twips.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numbers.h"

int TwipsToPixels(double twips, int dpi) {
  return static_cast<int>(RoundHalfEven(twips * dpi / kTwipsPerInch));
}

double PixelsToTwips(double pixels, int dpi) { return pixels * kTwipsPerInch / dpi; }

int32_t RoundToTwips(double value) {
  constexpr double lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  if (std::isnan(value)) return 0;
  return static_cast<int32_t>(std::clamp(RoundHalfEven(value), lo, hi));
}

PixelEdges TwipsToPixelEdges(const TwipRect& r, int dpi) {
  return {TwipsToPixels(r.left, dpi), TwipsToPixels(r.top, dpi), TwipsToPixels(r.right(), dpi),
          TwipsToPixels(r.bottom(), dpi)};
}
