#include "desktop.h"

#include "numbers.h"
#include "palette.h"

namespace {

// One axis of a monitor: the edge it is anchored at, in pixels and in twips.
struct Axis {
  double anchorPixel, anchorTwips;  // the edge nearest the origin and its twips
  int dpi;
  double twips(double pixel) const { return anchorTwips + (pixel - anchorPixel) * 1440.0 / dpi; }
  double pixels(double twip) const { return anchorPixel + (twip - anchorTwips) * dpi / 1440.0; }
};

Axis AxisOf(int from, int to, int dpi, int systemDpi) {
  // A monitor wholly before the origin hangs from its far edge.
  const int anchor = to <= 0 ? to : from;
  return {static_cast<double>(anchor), anchor * 1440.0 / systemDpi, dpi};
}

Axis Horizontal(const MonitorPixels& m, int systemDpi) { return AxisOf(m.left, m.right, m.dpi, systemDpi); }
Axis Vertical(const MonitorPixels& m, int systemDpi) { return AxisOf(m.top, m.bottom, m.dpi, systemDpi); }

const MonitorPixels* MonitorAtTwips(const Desktop& d, TwipPoint t) {
  for (const MonitorPixels& m : d.monitors) {
    const TwipArea a = MonitorTwips(m, d.systemDpi);
    if (t.x >= a.left && t.x < a.right && t.y >= a.top && t.y < a.bottom) return &m;
  }
  return nullptr;
}

int Pixel(double value) { return static_cast<int>(RoundHalfEven(value)); }

}  // namespace

TwipArea MonitorTwips(const MonitorPixels& m, int systemDpi) {
  const Axis h = Horizontal(m, systemDpi), v = Vertical(m, systemDpi);
  return {h.twips(m.left), v.twips(m.top), h.twips(m.right), v.twips(m.bottom)};
}

std::vector<TwipArea> MonitorAreas(const Desktop& desktop) {
  std::vector<TwipArea> areas;
  for (const MonitorPixels& m : desktop.monitors) areas.push_back(MonitorTwips(m, desktop.systemDpi));
  return areas;
}

TwipPoint DesktopTwips(const Desktop& d, PixelPoint p) {
  for (const MonitorPixels& m : d.monitors)
    if (p.x >= m.left && p.x < m.right && p.y >= m.top && p.y < m.bottom)
      return {RoundToTwips(Horizontal(m, d.systemDpi).twips(p.x)), RoundToTwips(Vertical(m, d.systemDpi).twips(p.y))};
  return {RoundToTwips(p.x * 1440.0 / d.systemDpi), RoundToTwips(p.y * 1440.0 / d.systemDpi)};
}

PixelPoint DesktopPixels(const Desktop& d, TwipPoint t) {
  if (const MonitorPixels* m = MonitorAtTwips(d, t))
    return {Pixel(Horizontal(*m, d.systemDpi).pixels(t.x)), Pixel(Vertical(*m, d.systemDpi).pixels(t.y))};
  return {TwipsToPixels(t.x, d.systemDpi), TwipsToPixels(t.y, d.systemDpi)};
}

int DesktopDpiAt(const Desktop& d, TwipPoint t) {
  const MonitorPixels* m = MonitorAtTwips(d, t);
  return m ? m->dpi : d.systemDpi;
}
