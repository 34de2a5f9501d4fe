// Screen positions between twips and pixels on a desktop of several monitors,
// each with a scaling of its own. Within a monitor a twip is a pixel at that
// monitor's dpi; each monitor is anchored at its edge nearest the primary
// monitor's corner, placed there with the system dpi, so side-by-side monitors
// join without overlapping in twips and a point converts back to itself.
// With one monitor at the system dpi this is the plain twips-per-pixel rule.
#pragma once
#include <vector>

#include "form_load.h"
#include "startup.h"

// One monitor: its rectangle in pixels of the virtual screen (right and bottom
// exclusive) and its dots per inch.
struct MonitorPixels {
  int left, top, right, bottom, dpi;
};

struct Desktop {
  std::vector<MonitorPixels> monitors;  // the primary one first
  int systemDpi = 96;
};

struct PixelPoint {
  int x, y;
};

TwipArea MonitorTwips(const MonitorPixels& monitor, int systemDpi);
std::vector<TwipArea> MonitorAreas(const Desktop& desktop);

// A point off every monitor converts with the system dpi.
TwipPoint DesktopTwips(const Desktop& desktop, PixelPoint pixels);
PixelPoint DesktopPixels(const Desktop& desktop, TwipPoint twips);

// The dpi of the monitor under a point in twips: what a layout opening there is drawn with.
int DesktopDpiAt(const Desktop& desktop, TwipPoint twips);
