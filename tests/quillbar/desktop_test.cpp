#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "desktop.h"

namespace {

bool Overlap(const TwipArea& a, const TwipArea& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// No twip lies on two monitors, and every pixel on the monitors and 300 pixels
// around them (every monitor's edges, and a grid between) converts to twips and
// back to itself, at the dpi of the monitor it lies on.
void ExpectTilesAndRoundTrips(const Desktop& d, const char* name) {
  for (size_t i = 0; i < d.areas.size(); ++i)
    for (size_t j = i + 1; j < d.areas.size(); ++j) EXPECT_FALSE(Overlap(d.areas[i], d.areas[j])) << name;
  std::vector<int> xs, ys;
  for (const MonitorPixels& m : d.monitors) {
    xs.insert(xs.end(), {m.left - 1, m.left, m.right - 1, m.right});
    ys.insert(ys.end(), {m.top - 1, m.top, m.bottom - 1, m.bottom});
  }
  const auto [left, right] = std::minmax_element(xs.begin(), xs.end());
  const auto [top, bottom] = std::minmax_element(ys.begin(), ys.end());
  for (int x = *left - 300, end = *right + 300; x <= end; x += 17) xs.push_back(x);
  for (int y = *top - 300, end = *bottom + 300; y <= end; y += 17) ys.push_back(y);
  int wrong = 0;
  for (int x : xs)
    for (int y : ys) {
      const TwipPoint t = DesktopTwips(d, {x, y});
      const PixelPoint back = DesktopPixels(d, t);
      int dpi = 0;
      for (const MonitorPixels& m : d.monitors)
        if (!dpi && x >= m.left && x < m.right && y >= m.top && y < m.bottom) dpi = m.dpi;
      if ((back.x != x || back.y != y || (dpi && DesktopDpiAt(d, t) != dpi)) && ++wrong <= 5)
        ADD_FAILURE() << name << ": pixel " << x << "," << y << " -> twips " << t.x << "," << t.y << " -> " << back.x
                      << "," << back.y;
    }
}

TEST(Desktop, OneMonitorIsPlainTwipsPerPixelOfItsDpi) {
  const Desktop d = LayOutDesktop({{0, 0, 1280, 1024, 96}}, 96);
  EXPECT_EQ(DesktopPixels(d, {3000, 1500}).x, 200);
  EXPECT_EQ(DesktopTwips(d, {200, 100}).y, 1500);
  EXPECT_EQ(DesktopPixels(d, {-45, 22}).x, -3) << "off the monitor alike";
  EXPECT_EQ(DesktopPixels(d, {-45, 22}).y, 1);  // 1.47
  EXPECT_EQ(d.areas[0].right, 19200);
  const Desktop scaled = LayOutDesktop({{0, 0, 1920, 1080, 144}}, 144);
  EXPECT_EQ(DesktopPixels(scaled, {3000, 1500}).x, 300);
  EXPECT_EQ(DesktopTwips(scaled, {300, 150}).y, 1500);
}

// After the scale changed without signing out, the system dpi still says the
// old one: the primary screen's size follows the monitor's own dpi.
TEST(Desktop, PrimaryScreenSizeIsAtTheMonitorsDpiNotTheSystems) {
  struct Case {
    int monitorDpi, systemDpi;
    double width, height;
  };
  for (const Case& c : {Case{96, 96, 28800, 16200}, Case{144, 96, 19200, 10800}, Case{96, 144, 28800, 16200},
                        Case{192, 120, 14400, 8100}}) {
    const Desktop d = LayOutDesktop({{0, 0, 1920, 1080, c.monitorDpi}, {1920, 0, 3840, 1080, 96}}, c.systemDpi);
    const ScreenTwips size = PrimaryScreenSize(d);
    EXPECT_EQ(size.width, c.width) << c.monitorDpi << " on " << c.systemDpi;
    EXPECT_EQ(size.height, c.height) << c.monitorDpi << " on " << c.systemDpi;
  }
  EXPECT_EQ(PrimaryScreenSize(LayOutDesktop({}, 96)).width, 0);
}

TEST(Desktop, MixedScalesTileOutwardFromThePrimaryAndEveryPixelConvertsBack) {
  // A 150 % laptop with a 100 % monitor above: the one above spans the laptop's
  // whole width in twips, so a point above the laptop and right of that monitor
  // must not land in its twips.
  const Desktop above = LayOutDesktop({{0, 0, 2880, 1800, 144}, {0, -1080, 1920, 0, 96}}, 144);
  EXPECT_EQ(above.areas[1].top, -1080 * 15);
  EXPECT_EQ(above.areas[1].bottom, 0);
  const TwipPoint beside = DesktopTwips(above, {2000, -5});
  EXPECT_TRUE(beside.x >= above.areas[1].right) << beside.x;
  ExpectTilesAndRoundTrips(above, "monitor above");

  // A 150 % laptop with two 100 % monitors in a row to its right.
  const Desktop row =
      LayOutDesktop({{0, 0, 1920, 1080, 144}, {1920, 0, 3840, 1080, 96}, {3840, 0, 5760, 1080, 96}}, 144);
  EXPECT_EQ(row.areas[1].left, 19200);
  EXPECT_EQ(row.areas[2].left, row.areas[1].right);
  EXPECT_EQ(DesktopTwips(row, {3840, 0}).x, 19200 + 1920 * 15);
  ExpectTilesAndRoundTrips(row, "two in a row");

  // A 100 % monitor left of a 150 % primary: a corner pushed past its left edge.
  const Desktop left = LayOutDesktop({{0, 0, 2880, 1800, 144}, {-1920, 0, 0, 1080, 96}}, 144);
  EXPECT_EQ(left.areas[1].right, 0);
  EXPECT_EQ(DesktopPixels(left, DesktopTwips(left, {-1925, 100})).x, -1925);
  ExpectTilesAndRoundTrips(left, "monitor left");
}

}  // namespace
