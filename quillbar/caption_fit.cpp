#include "caption_fit.h"

#include "numbers.h"
#include "twips.h"

namespace {

// A left-aligned caption keeps this many pixels clear at its right end, as its
// leading space does at its left: text that runs up to the edge looks cut off.
constexpr int kRightMargin = 2;

bool Whole(const LayoutDef& layout, const ControlDef& c, const TextExtent& text, int dpi) {
  const PixelEdges full = TwipsToPixelEdges(c.rect, dpi), seen = TwipsToPixelEdges(VisibleRect(layout, c), dpi);
  // Where the text starts: centred text shares the spare room of the whole control.
  const int left = c.centred ? full.left + (full.right - full.left - text.width) / 2 : full.left;
  const int right = seen.right - (c.centred ? 0 : kRightMargin);
  return left >= seen.left && left + text.width <= right && full.top + text.height <= seen.bottom;
}

}  // namespace

int FontPixelHeight(FontId font, int dpi) {
  const double points = font == FontId::Symbol ? 9.75 : 8.25;
  return static_cast<int>(RoundHalfEven(points * dpi / 72));
}

int FittingFontHeight(const LayoutDef& layout, FontId font, int dpi, const MeasureText& measure) {
  for (int height = FontPixelHeight(font, dpi); height > 1; --height) {
    bool fits = true;
    for (const ControlDef& c : layout.controls) {
      if (c.kind != ControlKind::Label || c.font != font) continue;
      if (!Whole(layout, c, measure(c.text ? c.text : kPaletteTitle, height), dpi)) {
        fits = false;
        break;
      }
    }
    if (fits) return height;
  }
  return 1;
}
