#include "desktop.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Monitor i's conversion, carried on past its edges.
TwipPoint ToTwips(const Desktop& d, size_t i, PixelPoint p) {
  const MonitorPixels& m = d.monitors[i];
  const TwipArea& a = d.areas[i];
  return {RoundToTwips(a.left + PixelsToTwips(p.x - m.left, m.dpi)),
          RoundToTwips(a.top + PixelsToTwips(p.y - m.top, m.dpi))};
}

PixelPoint ToPixels(const Desktop& d, size_t i, TwipPoint t) {
  const MonitorPixels& m = d.monitors[i];
  const TwipArea& a = d.areas[i];
  return {m.left + TwipsToPixels(t.x - a.left, m.dpi), m.top + TwipsToPixels(t.y - a.top, m.dpi)};
}

bool OnMonitor(const MonitorPixels& m, PixelPoint p) {
  return p.x >= m.left && p.x < m.right && p.y >= m.top && p.y < m.bottom;
}

// The first monitor whose twip area holds the point, or the count when none does.
size_t AreaAt(const Desktop& d, TwipPoint t) {
  for (size_t i = 0; i < d.areas.size(); ++i) {
    const TwipArea& a = d.areas[i];
    if (t.x >= a.left && t.x < a.right && t.y >= a.top && t.y < a.bottom) return i;
  }
  return d.areas.size();
}

// The monitor a point off every monitor belongs to. Each monitor's edge towards
// the one it was placed against splits the plane: what lies beyond it belongs
// to that monitor (or to one placed beyond it in turn), the rest stays with
// the other. Both conversions of a monitor keep a point on its side of such an
// edge, so a point off the monitors finds the same one in pixels and in twips.
// `edges(i)` gives monitor i's low and high edge on an axis, in either unit.
template <class Edges>
size_t Owner(const Desktop& d, double x, double y, Edges edges) {
  size_t owner = 0;
  for (bool deeper = true; deeper;) {
    deeper = false;
    for (const Placement& p : d.placements) {
      if (p.against != owner || p.monitor == owner) continue;
      const auto [low, high] = edges(p.monitor, p.horizontal);
      const double v = p.horizontal ? x : y;
      if (p.after ? v >= low : v < high) {
        owner = p.monitor;
        deeper = true;
        break;
      }
    }
  }
  return owner;
}

size_t PixelOwner(const Desktop& d, PixelPoint p) {
  return Owner(d, p.x, p.y, [&](size_t i, bool horizontal) {
    const MonitorPixels& m = d.monitors[i];
    return horizontal ? std::pair<double, double>(m.left, m.right) : std::pair<double, double>(m.top, m.bottom);
  });
}

size_t TwipOwner(const Desktop& d, TwipPoint t) {
  return Owner(d, t.x, t.y, [&](size_t i, bool horizontal) {
    const TwipArea& a = d.areas[i];
    return horizontal ? std::pair(a.left, a.right) : std::pair(a.top, a.bottom);
  });
}

size_t MonitorAtTwips(const Desktop& d, TwipPoint t) {
  const size_t on = AreaAt(d, t);
  return on < d.areas.size() ? on : TwipOwner(d, t);
}

// Squared gap in pixels between two monitors (0 where they touch).
double MonitorGap(const MonitorPixels& a, const MonitorPixels& b) {
  const double dx = std::max({0, a.left - b.right, b.left - a.right});
  const double dy = std::max({0, a.top - b.bottom, b.top - a.bottom});
  return dx * dx + dy * dy;
}

// One axis of monitor n placed against monitor m: where n's twips begin. Past
// m's edge it starts where m's twips end (a gap keeps m's scale); beside m it
// takes m's twips at the first pixel row or column the two share.
double Origin(int nLow, int nHigh, int nDpi, int mLow, int mHigh, int mDpi, double mTwipLow, double mTwipHigh) {
  if (nLow >= mHigh) return std::ceil(mTwipHigh + PixelsToTwips(nLow - mHigh, mDpi));
  if (nHigh <= mLow)
    return std::floor(mTwipLow - PixelsToTwips(mLow - nHigh, mDpi) - PixelsToTwips(nHigh - nLow, nDpi));
  const int shared = std::max(nLow, mLow);
  return RoundToTwips(mTwipLow + PixelsToTwips(shared - mLow, mDpi) - PixelsToTwips(shared - nLow, nDpi));
}

TwipArea AreaFrom(const MonitorPixels& m, double left, double top) {
  return {left, top, left + PixelsToTwips(m.right - m.left, m.dpi), top + PixelsToTwips(m.bottom - m.top, m.dpi)};
}

bool Overlap(const TwipArea& a, const TwipArea& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Places monitor n against placed monitor m, then pushes it on, away from m,
// past every placed area it would overlap.
TwipArea Place(const Desktop& d, size_t n, size_t m, const std::vector<bool>& placed, Placement& placement) {
  const MonitorPixels &pn = d.monitors[n], &pm = d.monitors[m];
  const TwipArea& am = d.areas[m];
  TwipArea a = AreaFrom(pn, Origin(pn.left, pn.right, pn.dpi, pm.left, pm.right, pm.dpi, am.left, am.right),
                        Origin(pn.top, pn.bottom, pn.dpi, pm.top, pm.bottom, pm.dpi, am.top, am.bottom));
  // The axis on which n lies past m, and which way; monitors that overlap in
  // pixels (a mirrored screen) go to the right.
  const bool horizontal = pn.left >= pm.right || pn.right <= pm.left || !(pn.top >= pm.bottom || pn.bottom <= pm.top);
  const bool forward = horizontal ? pn.right > pm.left : pn.bottom > pm.top;
  placement = {n, m, horizontal, forward};
  for (bool moved = true; moved;) {
    moved = false;
    for (size_t j = 0; j < d.monitors.size(); ++j) {
      if (!placed[j] || !Overlap(a, d.areas[j])) continue;
      const TwipArea& b = d.areas[j];
      const double width = a.right - a.left, height = a.bottom - a.top;
      const double left = horizontal ? (forward ? std::ceil(b.right) : std::floor(b.left - width)) : a.left;
      const double top = horizontal ? a.top : (forward ? std::ceil(b.bottom) : std::floor(b.top - height));
      a = AreaFrom(pn, left, top);
      moved = true;
    }
  }
  return a;
}

}  // namespace

ScreenTwips PrimaryScreenSize(const Desktop& desktop) {
  if (desktop.areas.empty()) return {0, 0};
  const TwipArea& a = desktop.areas.front();
  return {a.right - a.left, a.bottom - a.top};
}

Desktop LayOutDesktop(std::vector<MonitorPixels> monitors, int systemDpi) {
  Desktop d{std::move(monitors), {}, {}, systemDpi};
  const size_t count = d.monitors.size();
  d.areas.resize(count);
  if (count == 0) return d;
  const MonitorPixels& primary = d.monitors[0];
  d.areas[0] = AreaFrom(primary, RoundToTwips(PixelsToTwips(primary.left, primary.dpi)),
                        RoundToTwips(PixelsToTwips(primary.top, primary.dpi)));
  std::vector<bool> placed(count, false);
  placed[0] = true;
  // Outward from the primary: next the monitor nearest to one already placed.
  for (size_t round = 1; round < count; ++round) {
    size_t next = 0, against = 0;
    double best = INFINITY;
    for (size_t n = 0; n < count; ++n)
      for (size_t m = 0; m < count; ++m)
        if (!placed[n] && placed[m] && MonitorGap(d.monitors[n], d.monitors[m]) < best)
          best = MonitorGap(d.monitors[n], d.monitors[m]), next = n, against = m;
    Placement placement{};
    d.areas[next] = Place(d, next, against, placed, placement);
    d.placements.push_back(placement);
    placed[next] = true;
  }
  return d;
}

TwipPoint DesktopTwips(const Desktop& d, PixelPoint p) {
  if (d.monitors.empty())
    return {RoundToTwips(PixelsToTwips(p.x, d.systemDpi)), RoundToTwips(PixelsToTwips(p.y, d.systemDpi))};
  for (size_t i = 0; i < d.monitors.size(); ++i)
    if (OnMonitor(d.monitors[i], p)) return ToTwips(d, i, p);
  // Off every monitor. Where monitors of other scales sit on two sides of the
  // one it belongs to, its twips may fall where they convert back elsewhere:
  // then another monitor whose twips do come back converts it.
  const size_t owner = PixelOwner(d, p);
  const TwipPoint first = ToTwips(d, owner, p);
  auto comesBack = [&](TwipPoint t) {
    const PixelPoint back = DesktopPixels(d, t);
    return back.x == p.x && back.y == p.y;
  };
  if (comesBack(first)) return first;
  for (size_t i = 0; i < d.monitors.size(); ++i)
    if (i != owner && comesBack(ToTwips(d, i, p))) return ToTwips(d, i, p);
  return first;
}

PixelPoint DesktopPixels(const Desktop& d, TwipPoint t) {
  if (d.monitors.empty()) return {TwipsToPixels(t.x, d.systemDpi), TwipsToPixels(t.y, d.systemDpi)};
  return ToPixels(d, MonitorAtTwips(d, t), t);
}

int DesktopDpiAt(const Desktop& d, TwipPoint t) {
  return d.monitors.empty() ? d.systemDpi : d.monitors[MonitorAtTwips(d, t)].dpi;
}
