#include "resample.h"

#include <algorithm>
#include <cmath>

namespace {

// Weights of the source samples that make up each output sample along one axis.
struct Tap {
  int first = 0;
  std::vector<float> weights;  // normalised to a sum of 1
};

std::vector<Tap> Taps(int from, int to) {
  std::vector<Tap> taps(static_cast<size_t>(to));
  const double scale = static_cast<double>(to) / from;
  const double support = scale < 1.0 ? 1.0 / scale : 1.0;  // tent half-width, in source pixels
  for (int i = 0; i < to; ++i) {
    const double centre = (i + 0.5) / scale - 0.5;
    const int lo = std::max(0, static_cast<int>(std::floor(centre - support)) + 1);
    const int hi = std::min(from - 1, static_cast<int>(std::ceil(centre + support)) - 1);
    Tap& tap = taps[static_cast<size_t>(i)];
    tap.first = lo;
    double sum = 0;
    for (int s = lo; s <= hi; ++s) {
      const double w = std::max(0.0, 1.0 - std::abs(s - centre) / support);
      tap.weights.push_back(static_cast<float>(w));
      sum += w;
    }
    if (sum <= 0) {  // a sample exactly between two: take the nearer one
      tap.first = std::clamp(static_cast<int>(std::lround(centre)), 0, from - 1);
      tap.weights.assign(1, 1.0f);
      continue;
    }
    for (float& w : tap.weights) w = static_cast<float>(w / sum);
  }
  return taps;
}

}  // namespace

Picture Resample(const Picture& source, int width, int height) {
  Picture out;
  if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0) return out;
  if (width == source.width && height == source.height) return source;
  const std::vector<Tap> across = Taps(source.width, width), down = Taps(source.height, height);

  // Rows first into floating point, then columns, rounding once at the end.
  std::vector<float> rows(static_cast<size_t>(width) * source.height * 4);
  for (int y = 0; y < source.height; ++y)
    for (int x = 0; x < width; ++x) {
      const Tap& t = across[static_cast<size_t>(x)];
      float acc[4] = {};
      for (size_t k = 0; k < t.weights.size(); ++k) {
        const uint8_t* p = &source.bgra[(static_cast<size_t>(y) * source.width + t.first + k) * 4];
        for (int c = 0; c < 4; ++c) acc[c] += t.weights[k] * p[c];
      }
      std::copy(acc, acc + 4, &rows[(static_cast<size_t>(y) * width + x) * 4]);
    }

  out.width = width;
  out.height = height;
  out.bgra.resize(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    const Tap& t = down[static_cast<size_t>(y)];
    for (int x = 0; x < width; ++x) {
      float acc[4] = {};
      for (size_t k = 0; k < t.weights.size(); ++k) {
        const float* p = &rows[((t.first + k) * width + x) * 4];
        for (int c = 0; c < 4; ++c) acc[c] += t.weights[k] * p[c];
      }
      uint8_t* q = &out.bgra[(static_cast<size_t>(y) * width + x) * 4];
      for (int c = 0; c < 4; ++c) q[c] = static_cast<uint8_t>(std::clamp(std::lround(acc[c]), 0L, 255L));
    }
  }
  return out;
}
