#include <gtest/gtest.h>

#include "desktop.h"

namespace {

// Every pixel corner on each monitor converts to twips and back to itself, and
// a twip point lands on the monitor it was measured on.
void ExpectRoundTrips(const Desktop& d) {
  for (const MonitorPixels& m : d.monitors)
    for (int x : {m.left, m.left + 1, (m.left + m.right) / 2, m.right - 1})
      for (int y : {m.top, m.top + 7, m.bottom - 1}) {
        const TwipPoint t = DesktopTwips(d, {x, y});
        const PixelPoint p = DesktopPixels(d, t);
        EXPECT_EQ(p.x, x) << "dpi " << m.dpi << " at " << x << "," << y;
        EXPECT_EQ(p.y, y) << "dpi " << m.dpi << " at " << x << "," << y;
        EXPECT_EQ(DesktopDpiAt(d, t), m.dpi) << x << "," << y;
      }
}

TEST(Desktop, OneMonitorAtTheSystemDpiIsPlainTwipsPerPixel) {
  const Desktop d{{{0, 0, 1280, 1024, 96}}, 96};
  EXPECT_EQ(DesktopPixels(d, {3000, 1500}).x, 200);
  EXPECT_EQ(DesktopTwips(d, {200, 100}).y, 1500);
  EXPECT_EQ(DesktopPixels(d, {-45, 22}).x, -3) << "off the monitor: the system dpi";
  EXPECT_EQ(DesktopPixels(d, {-45, 22}).y, 1);  // 1.47
  const TwipArea a = MonitorTwips(d.monitors[0], 96);
  EXPECT_EQ(a.right, 19200);
  EXPECT_EQ(a.bottom, 15360);
  const Desktop scaled{{{0, 0, 1920, 1080, 144}}, 144};
  EXPECT_EQ(DesktopPixels(scaled, {3000, 1500}).x, 300);
  EXPECT_EQ(DesktopTwips(scaled, {300, 150}).y, 1500);
}

TEST(Desktop, MixedScalingRoundTripsAndMonitorsJoinWithoutOverlap) {
  // A 96 dpi primary with a 144 dpi monitor to its right and a 120 dpi one to its left.
  const Desktop d{{{0, 0, 1920, 1080, 96}, {1920, -200, 4800, 1720, 144}, {-1536, 0, 0, 864, 120}}, 96};
  ExpectRoundTrips(d);
  const TwipArea primary = MonitorTwips(d.monitors[0], 96), right = MonitorTwips(d.monitors[1], 96),
                 left = MonitorTwips(d.monitors[2], 96);
  EXPECT_EQ(right.left, primary.right);
  EXPECT_EQ(right.right - right.left, 2880 * 10);  // its own scale: 10 twips per pixel at 144 dpi
  EXPECT_EQ(left.right, primary.left);
  EXPECT_EQ(left.right - left.left, 1536 * 12);
  // A 144 dpi primary (system dpi 144) with a 96 dpi monitor above it.
  const Desktop laptop{{{0, 0, 2880, 1800, 144}, {0, -1080, 1920, 0, 96}}, 144};
  ExpectRoundTrips(laptop);
  EXPECT_EQ(MonitorTwips(laptop.monitors[1], 144).bottom, 0);
  EXPECT_EQ(MonitorTwips(laptop.monitors[1], 144).top, -1080 * 15);
}

}  // namespace
