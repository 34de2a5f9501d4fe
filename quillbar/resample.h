// Smooth resizing of the palette's pictures: the banner shrunk to its rectangle
// on the horizontal layout, and every picture scaled with the display's dpi.
#pragma once
#include <cstdint>
#include <vector>

// 32-bit pixels, rows top to bottom, each pixel B, G, R, A in memory order
// (the layout of a 32-bit top-down DIB).
struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> bgra;  // width * height * 4 bytes
};

// The picture at another size. Each output pixel is a weighted average of the
// source pixels under it (a tent filter widened by the shrink factor), so
// shrinking keeps thin lines and enlarging blends smoothly. Same size: a copy.
// An empty source or a size of 0 gives an empty picture.
Picture Resample(const Picture& source, int width, int height);
