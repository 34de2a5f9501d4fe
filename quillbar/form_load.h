// Where a layout window opens: the saved palette position on each axis that the
// layout accepts, otherwise the layout's designed position.
#pragma once
#include <cstdint>

#include "layouts.h"
#include "twips.h"

// The designed position of a layout: centred on the primary screen.
TwipPoint DesignedPosition(const LayoutDef& layout, ScreenTwips screen);

// Form_Load's placement: paletteLeft / paletteTop where the layout's test accepts
// them, the designed coordinate elsewhere. Neither variable is changed.
TwipPoint FormLoadPosition(const LayoutDef& layout, TwipPoint designed, int32_t paletteLeft, int32_t paletteTop);

// Twips on a screen of `dpi` dots per inch as whole pixels (15 twips per pixel at 96 dpi).
int TwipsToPixels(double twips, int dpi);

// A rectangle's edges in pixels (right and bottom exclusive). The edges are
// converted, not the sizes, so neighbouring controls neither overlap nor leave
// gaps at any scaling; the painting and the caption fitting both measure so.
struct PixelEdges {
  int left, top, right, bottom;
};
PixelEdges TwipsToPixelEdges(const TwipRect& r, int dpi);
