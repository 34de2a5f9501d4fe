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
