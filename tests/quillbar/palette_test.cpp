#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "../common/temp_dir.h"
#include "error.h"
#include "ini.h"
#include "palette.h"
#include "state.h"

namespace {

// Windows that stand at whole pixels of 15 twips, as at 96 dpi, and a log of
// every operation in the order the handlers asked for it.
struct FakeWindows {
  std::map<int, TwipPoint> at;
  std::set<int> open;
  std::vector<std::string> log;
  std::map<int, std::string> caption, title;
  int opening = 1;

  FakeWindows() {
    PaletteWindowOps& w = ops;
    w.setCaption = [this](int n, const char* text) { caption[n] = text; log.push_back("caption" + std::to_string(n)); };
    w.setTitleText = [this](int n, const char* text) { title[n] = text; };
    w.windowPosition = [this](int n) { return at[n]; };
    w.moveWindow = [this](int n, int32_t x, int32_t y) {
      at[n] = {Pixel(x), Pixel(y)};
      log.push_back("move" + std::to_string(n));
    };
    w.makeTopmost = [this](int n) { log.push_back("topmost" + std::to_string(n)); };
    // A screen on which each layout's designed, centred corner is 1440, 1440.
    w.screenSize = [this] {
      const LayoutDef& def = GetLayout(opening);
      return ScreenTwips{2 * 1440.0 + def.clientWidth, 2 * 1440.0 + def.clientHeight};
    };
    w.openLayout = [this](int n) {
      log.push_back("open" + std::to_string(n));
      open.insert(n);
      at[n] = {0, 0};  // made without a place
      opening = n;
      Form_Load(ops, n);
    };
    w.closeLayout = [this](int n) {
      log.push_back("close" + std::to_string(n));
      open.erase(n);
    };
    w.popupMenu = [this](int n, MenuId m) { log.push_back("menu" + std::to_string(n) + ":" + std::to_string(int(m))); };
  }
  static int32_t Pixel(int32_t twips) { return static_cast<int32_t>(std::lround(twips / 15.0) * 15); }

  PaletteWindowOps ops;
};

struct PaletteTest : testing::Test {
  void SetUp() override {
    State() = PaletteState{};
    State().iniPath = dir.file("Vesk.ini");
  }
  void OpenAt(int layout, int32_t left, int32_t top) {
    State().paletteLeft = left;
    State().paletteTop = top;
    windows.ops.openLayout(layout);
    windows.log.clear();
  }
  std::string Ini(const char* key) { return ReadIniValue(State().iniPath, "Palette", key); }
  TempDir dir;
  FakeWindows windows;
};

TEST(RoundToTwips, HalvesGoToEvenAndTheResultStaysIn32Bits) {
  const std::pair<double, int32_t> cases[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {1e12, std::numeric_limits<int32_t>::max()},
      {-1e12, std::numeric_limits<int32_t>::min()}, {NAN, 0}};
  for (auto [in, out] : cases) EXPECT_EQ(RoundToTwips(in), out) << in;
}

struct LoadCase {
  int layout;
  int32_t left, top;
  TwipPoint expected;  // the designed corner is 1440, 1440
};

TEST_F(PaletteTest, FormLoadAppliesEachAxisThatPassesTheLayoutsTest) {
  const LoadCase cases[] = {
      {1, 0, 0, {1440, 1440}},       {1, -300, 600, {1440, 600}},   {1, 300, -600, {300, 1440}},
      {1, 3000, 4500, {3000, 4500}}, {2, 0, 0, {1440, 1440}},       {2, -300, 600, {-300, 600}},
      {3, 0, -750, {1440, -750}},    {3, 4500, 3000, {4500, 3000}}, {4, -15, -30, {-15, -30}},
      {4, 3000, 0, {3000, 1440}},
  };
  for (const LoadCase& c : cases) {
    OpenAt(c.layout, c.left, c.top);
    SCOPED_TRACE("Form" + std::to_string(c.layout) + " " + std::to_string(c.left) + "," + std::to_string(c.top));
    EXPECT_EQ(windows.at[c.layout].x, c.expected.x);
    EXPECT_EQ(windows.at[c.layout].y, c.expected.y);
    EXPECT_EQ(State().currentLayout, c.layout);
    EXPECT_EQ(State().paletteLeft, c.left) << "opening never changes the saved position";
    EXPECT_EQ(State().paletteTop, c.top);
  }
}

TEST_F(PaletteTest, FormLoadEmptiesTheCaptionSetsTheTitleAndEndsTopmost) {
  for (int n = 1; n <= kLayoutCount; ++n) {
    windows.caption[n] = "Form";
    State().paletteLeft = 150;
    State().paletteTop = 150;
    windows.log.clear();
    windows.ops.openLayout(n);
    EXPECT_EQ(windows.caption[n], "");
    EXPECT_EQ(windows.title.count(n), n == 1 || n == 4 ? 1u : 0u);
    if (n == 1 || n == 4) {
      EXPECT_EQ(windows.title[n], " Vesk Palette");
    }
    std::string id = std::to_string(n);
    EXPECT_EQ(windows.log, (std::vector<std::string>{"open" + id, "caption" + id, "move" + id, "topmost" + id}));
  }
}

TEST_F(PaletteTest, DragMovesByThePointersOffsetFromTheGrabAndReadsThePositionBack) {
  OpenAt(2, 3000, 1500);
  Title_MouseDown(2, kLeftButton, 100.5f, 201.5f);  // rounds to 100, 202
  EXPECT_EQ(State().grabX, 100);
  EXPECT_EQ(State().grabY, 202);
  Title_MouseMove(windows.ops, 2, kLeftButton, 115.0f, 187.0f);
  EXPECT_EQ(windows.at[2].x, 3015);
  EXPECT_EQ(windows.at[2].y, 1485);
  EXPECT_EQ(State().paletteLeft, 3015);
  EXPECT_EQ(State().paletteTop, 1485);
  // 3015 + 112.5 - 100 = 3027.5 -> 3028, which the window can only take as 3030 (whole pixels).
  Title_MouseMove(windows.ops, 2, kLeftButton | kRightButton, 112.5f, 202.0f);
  EXPECT_EQ(State().paletteLeft, 3030) << "the position is read back from the window";
  EXPECT_EQ(State().paletteTop, 1485);
  // Off the left and top edges of the screen.
  Title_MouseMove(windows.ops, 2, kLeftButton, -5000.0f, -2993.0f);
  EXPECT_EQ(State().paletteLeft, 3030 - 5000 - 100);
  EXPECT_EQ(State().paletteTop, 1485 - 2993 - 202);
}

TEST_F(PaletteTest, OnlyTheLeftButtonGrabsAndDrags) {
  OpenAt(1, 3000, 1500);
  State().grabX = 7;
  Title_MouseDown(1, kRightButton, 50.0f, 50.0f);
  Title_MouseDown(1, kMiddleButton, 50.0f, 50.0f);
  Title_MouseDown(1, kLeftButton | kRightButton, 50.0f, 50.0f);
  EXPECT_EQ(State().grabX, 7);
  Title_MouseDown(1, kLeftButton, 50.0f, 50.0f);
  Title_MouseMove(windows.ops, 1, 0, 200.0f, 200.0f);
  Title_MouseMove(windows.ops, 1, kRightButton | kMiddleButton, 200.0f, 200.0f);
  EXPECT_TRUE(windows.log.empty());
  EXPECT_EQ(State().paletteLeft, 3000);
}

TEST_F(PaletteTest, AHeldButtonSweptOntoTheTitleFromElsewhereDoesNotDrag) {
  OpenAt(4, 3000, 1500);
  PaletteMouseMove(windows.ops, 4, kLeftButton, 300, 100);  // left held, pressed outside the palette
  EXPECT_TRUE(windows.log.empty());
  // A press on the title, a release, then a sweep: the old grab no longer counts.
  PaletteMouseDown(windows.ops, 4, kLeftButton, 300, 100);
  PaletteMouseMove(windows.ops, 4, kLeftButton, 330, 115);
  EXPECT_EQ(State().paletteLeft, 3030);
  PaletteMouseUp(windows.ops, 4, kLeftButton, 0, 330, 115);
  PaletteMouseMove(windows.ops, 4, kLeftButton, 600, 115);
  EXPECT_EQ(State().paletteLeft, 3030);
}

TEST_F(PaletteTest, RoutedDragKeepsThePointOfTheTitleUnderThePointer) {
  OpenAt(3, 3000, 1500);
  PaletteMouseDown(windows.ops, 3, kLeftButton, 600, 300);  // on the banner
  EXPECT_TRUE(PaletteHoldsMouse(3));
  // The pointer moved 20 pixels right and 10 up: in the window's own coordinates
  // it is now that far from the grab point, wherever the window is.
  for (int step = 0; step < 3; ++step) PaletteMouseMove(windows.ops, 3, kLeftButton, 600 + 300, 300 - 150);
  EXPECT_EQ(State().paletteLeft, 3000 + 3 * 300);
  EXPECT_EQ(State().paletteTop, 1500 - 3 * 150);
  // Past the window's own edge the title still holds the mouse.
  PaletteMouseMove(windows.ops, 3, kLeftButton, -450, -150);
  EXPECT_EQ(State().paletteLeft, 3900 - 1050);
  EXPECT_EQ(State().paletteTop, 1050 - 450);
  PaletteMouseUp(windows.ops, 3, kLeftButton, 0, -450, -150);
  EXPECT_FALSE(PaletteHoldsMouse(3));
}

TEST_F(PaletteTest, SwitchCycleWritesTheNextLayoutAndKeepsThePosition) {
  WriteBytes(State().iniPath, "[Palette]\r\nstartY=900\r\nstartX=1200\r\nformNumber=1\r\n");
  OpenAt(1, 1200, 900);
  int shown = 1;
  for (int step = 0; step < 4; ++step) {
    int next = NextLayout(shown);
    windows.log.clear();
    lblMin_Click(windows.ops, shown);
    std::string a = std::to_string(next), b = std::to_string(shown);
    EXPECT_EQ(windows.log.front(), "open" + a) << "the next layout opens before this one closes";
    EXPECT_EQ(windows.log.back(), "close" + b);
    EXPECT_EQ(windows.open, std::set<int>{next});
    EXPECT_EQ(Ini("formNumber"), a);
    EXPECT_EQ(State().currentLayout, next);
    EXPECT_EQ(windows.at[next].x, 1200);
    shown = next;
  }
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(ReadBytes(State().iniPath), "[Palette]\r\nstartY=900\r\nstartX=1200\r\nformNumber=1\r\n");
}

TEST_F(PaletteTest, CloseWritesLayoutAndPositionIntoAFreshFolderAndClosesEverything) {
  OpenAt(3, -450, 300);
  windows.open.insert(1);
  lblX_Click(windows.ops, 3);
  EXPECT_EQ(ReadBytes(State().iniPath), "[Palette]\r\nstartY=300\r\nstartX=-450\r\nformNumber=3\r\n");
  EXPECT_EQ(windows.log, (std::vector<std::string>{"close1", "close2", "close4", "close3"}));
  EXPECT_TRUE(windows.open.empty());
}

TEST_F(PaletteTest, CloseSavesTheRememberedPositionWhereTheLayoutKeptItsDesignedOne) {
  OpenAt(1, -600, 900);  // Form1 ignores the negative left edge
  ASSERT_EQ(windows.at[1].x, 1440);
  lblX_Click(windows.ops, 1);
  EXPECT_EQ(Ini("startX"), "-600");
  EXPECT_EQ(Ini("startY"), "900");
  EXPECT_EQ(Ini("formNumber"), "1");
}

TEST_F(PaletteTest, AFailedWriteStopsTheCloseWithTheWindowsOpen) {
  State().iniPath = dir.file("missing-folder/Vesk.ini");
  OpenAt(2, 150, 150);
  EXPECT_THROW(lblX_Click(windows.ops, 2), SystemError);
  EXPECT_THROW(lblMin_Click(windows.ops, 2), SystemError);
  EXPECT_TRUE(windows.log.empty()) << "nothing closes or opens after the failed write";
  EXPECT_EQ(windows.open, std::set<int>{2});
}

TEST_F(PaletteTest, PressesOnCloseAndSwitchClickThemNeverDrag) {
  OpenAt(1, 1500, 1500);
  // lblMin where it lies over the title strip: a switch, no drag.
  PaletteMouseDown(windows.ops, 1, kLeftButton, 1300, 100);
  PaletteMouseMove(windows.ops, 1, kLeftButton, 1320, 110);
  EXPECT_EQ(State().paletteLeft, 1500);
  PaletteMouseUp(windows.ops, 1, kLeftButton, 0, 1320, 110);
  EXPECT_EQ(windows.open, std::set<int>{2});
  // lblX released elsewhere is no click.
  windows.log.clear();
  PaletteMouseDown(windows.ops, 2, kLeftButton, 1800, 100);
  PaletteMouseUp(windows.ops, 2, kLeftButton, 0, 500, 100);
  PaletteMouseDown(windows.ops, 2, kRightButton, 1800, 100);
  PaletteMouseUp(windows.ops, 2, kRightButton, 0, 1800, 100);
  EXPECT_TRUE(windows.log.empty());
  PaletteMouseDown(windows.ops, 2, kLeftButton, 1800, 100);
  PaletteMouseUp(windows.ops, 2, kLeftButton, 0, 1800, 100);
  EXPECT_TRUE(windows.open.empty());
  EXPECT_EQ(Ini("formNumber"), "2");
}

TEST_F(PaletteTest, ALeftPressOnACommandButtonOpensItsMenuOnEveryLayout) {
  for (int n = 1; n <= kLayoutCount; ++n) {
    OpenAt(n, 1500, 1500);
    const LayoutDef& def = GetLayout(n);
    for (const ControlDef& c : def.controls) {
      if (c.role != ControlRole::Command) continue;
      TwipRect r = VisibleRect(def, c);
      double x = r.left + r.width / 2.0, y = r.top + r.height / 2.0;
      windows.log.clear();
      PaletteMouseDown(windows.ops, n, kRightButton, x, y);
      PaletteMouseUp(windows.ops, n, kRightButton, 0, x, y);
      PaletteMouseDown(windows.ops, n, kMiddleButton, x, y);
      PaletteMouseUp(windows.ops, n, kMiddleButton, 0, x, y);
      EXPECT_TRUE(windows.log.empty()) << c.name;
      PaletteMouseDown(windows.ops, n, kLeftButton, x, y);
      EXPECT_EQ(windows.log, std::vector<std::string>{"menu" + std::to_string(n) + ":" + std::to_string(int(c.menu))})
          << "Form" << n << " " << c.name;
      EXPECT_FALSE(PaletteHoldsMouse(n)) << "the menu took the release";
    }
  }
  // On Form3 the input/output icon covers the right end of lblX.
  windows.log.clear();
  PaletteMouseDown(windows.ops, 3, kLeftButton, 1640, 100);
  EXPECT_EQ(windows.log, std::vector<std::string>{"menu3:1"});
}

}  // namespace
