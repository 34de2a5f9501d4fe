// Twips as a Win32 RECT, for what asks Windows about a control's place: the
// painting, the tooltips, the keyboard's menus and the screen reader's view.
// twips.h stays portable (the unit tests build it on Linux), so the RECT is here.
#pragma once
#include <windows.h>

#include "twips.h"

// Twips of a window at `dpi` as a pixel RECT (TwipsToPixelEdges).
inline RECT PixelRect(const TwipRect& r, int dpi) {
  const PixelEdges e = TwipsToPixelEdges(r, dpi);
  return {e.left, e.top, e.right, e.bottom};
}
