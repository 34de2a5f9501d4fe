// Screen positions between twips and pixels on a desktop of several monitors,
// each with a scaling of its own. Within a monitor a twip is a pixel at that
// monitor's dpi. The monitors' twip areas are laid out from the primary one,
// whose corner is the origin: each further monitor joins the nearest one
// already placed at their shared edge, and is pushed on, away from it, where
// it would overlap another, so no twip lies on two monitors. A point off every
// monitor converts by the monitor on whose side of the edges between them it
// lies, which is the same one in pixels and in twips, so it converts back to
// itself. With one monitor this is the plain rule of its dpi.
#pragma once
#include <cstddef>
#include <vector>

#include "twips.h"

// One monitor: its rectangle in pixels of the virtual screen (right and bottom
// exclusive) and its dots per inch.
struct MonitorPixels {
  int left, top, right, bottom, dpi;
};

struct PixelPoint {
  int x, y;
};

// How a monitor was placed: beside the one it lies nearest to, on one axis
// (horizontal: left or right of it), after it (right or below) or before it.
struct Placement {
  size_t monitor, against;
  bool horizontal, after;
};

// The monitors, the primary one first, each with its twip area (whole twips at
// its corner; right and bottom where its size in twips ends).
struct Desktop {
  std::vector<MonitorPixels> monitors;
  std::vector<TwipArea> areas;
  std::vector<Placement> placements;  // in the order placed, the primary's aside
  int systemDpi = 96;                 // for a desktop without monitors
};

// Lays the twip areas out; the primary monitor comes first.
Desktop LayOutDesktop(std::vector<MonitorPixels> monitors, int systemDpi);

TwipPoint DesktopTwips(const Desktop& desktop, PixelPoint pixels);
PixelPoint DesktopPixels(const Desktop& desktop, TwipPoint twips);

// The primary monitor's size in twips, at its own dpi, as its area was laid out;
// 0 x 0 for a desktop without monitors. The system dpi is left out: it keeps its
// value from the sign-in while the monitor's scale may have changed since.
ScreenTwips PrimaryScreenSize(const Desktop& desktop);

// The dpi of the monitor a point in twips lies on, or nearest to: what a layout
// opening there is drawn with.
int DesktopDpiAt(const Desktop& desktop, TwipPoint twips);
