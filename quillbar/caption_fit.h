// The size of the captions' fonts at any display scale: the size the dpi asks
// for, or smaller where a caption would not lie whole inside its control. The
// text is measured through a seam, so the rule runs without Windows.
#pragma once
#include <functional>

#include "layouts.h"

struct TextExtent {
  int width = 0, height = 0;  // pixels
};

// The extent of `text` in one face whose em height is `pixelHeight` pixels.
using MeasureText = std::function<TextExtent(const char* text, int pixelHeight)>;

// The em height in pixels that a font asks for at `dpi`: 8.25 pt for the
// window's default font, 9.75 pt for "X" and "/", to the nearest pixel.
int FontPixelHeight(FontId font, int dpi);

// The em height for the captions of `layout` drawn in `font` at `dpi`: the
// font's own height, or the largest smaller one at which every such caption
// lies whole inside the visible part of its control (left-aligned from the
// control's left edge and ending 2 pixels short of its right edge, or centred
// on the whole control; from its top edge). 1 when no height fits.
int FittingFontHeight(const LayoutDef& layout, FontId font, int dpi, const MeasureText& measure);
