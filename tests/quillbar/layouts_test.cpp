#include <gtest/gtest.h>

#include <string>

#include "layouts.h"

namespace {

struct Hit {
  int layout;
  double x, y;
  const char* expected;  // nullptr: no control there
};

std::string NameAt(int layout, double x, double y) {
  const ControlDef* c = HitTest(GetLayout(layout), x, y);
  return c ? c->name : "(none)";
}

TEST(HitTest, TopMostControlInStackingOrderTakesThePoint) {
  const Hit cases[] = {
      // Form1: lblMin lies over lblX for one pixel, both over the title strip.
      {1, 1447, 100, "lblMin"}, {1, 1455, 100, "lblX"}, {1, 1300, 100, "lblMin"}, {1, 1690, 100, "lblX"},
      {1, 100, 100, "lblTitle"}, {1, 100, 270, "lblTitle"},  // Line1 takes no input
      {1, 100, 1679, "Label4"}, {1, 1600, 1500, nullptr}, {1, 100, 20, nullptr},
      // Form2: lblX lies over lblMin; both over the banner, which lies above the icons' row.
      {2, 1685, 100, "lblX"}, {2, 1679, 100, "lblMin"}, {2, 1919, 254, "lblX"}, {2, 1919, 255, "imgTitle"},
      {2, 100, 1124, "imgTitle"}, {2, 100, 1125, "Image1"}, {2, 1919, 1604, "Image4"},
      // Form3: Image1 covers the right 27 twips of lblX; the left icons lie 10 twips over the banner.
      {3, 1627, 100, "lblX"}, {3, 1628, 100, "Image1"}, {3, 1654, 254, "Image1"}, {3, 1150, 100, "lblMin"},
      {3, 1630, 700, "Image3"}, {3, 1627, 700, "imgTitle"}, {3, 2587, 959, "Image4"}, {3, 2590, 100, nullptr},
      // Form4: the icons lie over the title strip from y = 250 to 265; lblX over lblMin.
      {4, 100, 250, "Image1"}, {4, 100, 249, "lblTitle"}, {4, 1685, 100, "lblX"}, {4, 1919, 100, "lblX"},
      {4, 1919, 260, "Image4"}, {4, 100, 5, nullptr},
  };
  for (const Hit& h : cases)
    EXPECT_EQ(NameAt(h.layout, h.x, h.y), h.expected ? h.expected : "(none)")
        << "Form" << h.layout << " at " << h.x << ", " << h.y;
}

TEST(HitTest, NothingOutsideTheClientArea) {
  // Each of these points lies inside a control's designed rectangle but past the window's edge.
  EXPECT_EQ(NameAt(1, 100, 1680), "(none)");   // Label4 reaches y = 1695
  EXPECT_EQ(NameAt(2, 1925, 100), "(none)");   // lblX reaches x = 1935
  EXPECT_EQ(NameAt(4, 1925, 100), "(none)");   // lblX and lblTitle reach x = 1935
  EXPECT_EQ(NameAt(1, -1, 100), "(none)");
  EXPECT_EQ(NameAt(3, 100, -0.5), "(none)");
}

TEST(VisibleRect, PartsBeyondTheClientAreaAreCutOff) {
  auto visible = [](int layout, const char* name) { return VisibleRect(GetLayout(layout), *FindControl(GetLayout(layout), name)); };
  EXPECT_EQ(visible(1, "Line1").width, 1695);
  EXPECT_EQ(visible(1, "Label4").height, 240);
  EXPECT_EQ(visible(2, "lblX").width, 240);
  EXPECT_EQ(visible(4, "lblX").width, 240);
  EXPECT_EQ(visible(4, "lblTitle").width, 1920);
  EXPECT_EQ(visible(3, "imgTitle").width, 1638) << "controls inside the window keep their size";
}

TEST(Layouts, EveryLayoutOffersTheSameRoles) {
  for (int n = 1; n <= kLayoutCount; ++n) {
    const LayoutDef& def = GetLayout(n);
    int titles = 0, closes = 0, switches = 0;
    for (const ControlDef& c : def.controls) {
      titles += c.role == ControlRole::Title;
      closes += c.role == ControlRole::Close;
      switches += c.role == ControlRole::Switch;
      if (c.role != ControlRole::Line) {
        EXPECT_NE(c.tooltip, nullptr) << c.name;
      }
    }
    EXPECT_EQ(titles + closes + switches, 3) << "Form" << n;
    EXPECT_EQ(titles * closes * switches, 1) << "Form" << n;
  }
}

}  // namespace
