// How a layout window looks: its fonts for its dpi, and its controls painted
// from the layout's definition, bottom-most first, off screen in one step.
#pragma once
#include <windows.h>

#include "palette_window.h"

// Makes the window's fonts for its dpi. Throws SystemError when none can be made.
void MakePaletteFonts(PaletteWindow& w);

// Decodes the window's pictures at its dpi, so that a broken picture fails the
// opening of the layout rather than a paint.
void PreparePictures(const PaletteWindow& w);

// Answers WM_PAINT.
void PaintPalette(const PaletteWindow& w);
