// The fonts of a layout window's captions at its dpi. At 96 dpi the captions
// ask for "MS Sans Serif", whose bitmap sizes do not grow with the dpi; at
// other scales they take a scalable face. At every scale a font whose captions
// would not lie whole inside their controls is made smaller until they do.
#pragma once
#include <windows.h>

#include "layouts.h"

// The font for the captions of `def` drawn in `font` at `dpi`, owned by the
// caller. Made when a window is prepared and when its dpi changes, never while
// painting. Throws SystemError when no font can be made.
HFONT MakeCaptionFont(const LayoutDef& def, FontId font, int dpi);
