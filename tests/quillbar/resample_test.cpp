#include <gtest/gtest.h>

#include <algorithm>

#include "resample.h"

namespace {

Picture Filled(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
  Picture p{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4)};
  for (size_t i = 0; i < p.bgra.size(); i += 4) {
    p.bgra[i] = b;
    p.bgra[i + 1] = g;
    p.bgra[i + 2] = r;
    p.bgra[i + 3] = 255;
  }
  return p;
}

uint8_t Green(const Picture& p, int x, int y) { return p.bgra[(static_cast<size_t>(y) * p.width + x) * 4 + 1]; }

TEST(Resample, AFlatColourStaysExactlyFlatAtAnySize) {
  const Picture banner = Filled(128, 75, 40, 160, 90);
  for (auto [w, h] : {std::pair{109, 64}, {192, 113}, {48, 48}, {1, 1}, {128, 75}}) {
    Picture out = Resample(banner, w, h);
    ASSERT_EQ(out.width, w);
    ASSERT_EQ(out.height, h);
    ASSERT_EQ(out.bgra.size(), static_cast<size_t>(w * h * 4));
    EXPECT_TRUE(std::equal(out.bgra.begin(), out.bgra.end(), Filled(w, h, 40, 160, 90).bgra.begin()))
        << w << " x " << h;
  }
  EXPECT_EQ(Resample(banner, 0, 64).bgra.size(), 0u);
  EXPECT_EQ(Resample(Picture{}, 10, 10).width, 0);
}

TEST(Resample, ShrinkingKeepsAOnePixelLineVisibleAndTheOverallShade) {
  Picture lines = Filled(128, 75, 255, 255, 255);
  for (int y = 0; y < 75; ++y) lines.bgra[(static_cast<size_t>(y) * 128 + 60) * 4 + 1] = 0;  // a dark column in green
  Picture out = Resample(lines, 109, 64);
  int darkest = 255;
  long sum = 0;
  for (int x = 0; x < 109; ++x) {
    darkest = std::min<int>(darkest, Green(out, x, 32));
    sum += Green(out, x, 32);
  }
  EXPECT_LT(darkest, 160) << "the line must not vanish between samples";
  EXPECT_NEAR(sum / 109.0, 255.0 * 127 / 128, 2.5) << "the average shade is kept";
}

TEST(Resample, EnlargingBlendsBetweenNeighbours) {
  Picture two = Filled(2, 1, 0, 0, 0);
  two.bgra[5] = 200;  // right pixel's green
  Picture out = Resample(two, 8, 1);
  for (int x = 1; x < 8; ++x) EXPECT_LE(Green(out, x - 1, 0), Green(out, x, 0));
  EXPECT_EQ(Green(out, 0, 0), 0);
  EXPECT_EQ(Green(out, 7, 0), 200);
  EXPECT_GT(Green(out, 4, 0), 0);
  EXPECT_LT(Green(out, 3, 0), 200);
}

}  // namespace
