#include "form_load.h"

#include "twips.h"

TwipPoint DesignedPosition(const LayoutDef& layout, ScreenTwips screen) {
  return {RoundToTwips((screen.width - layout.clientWidth) / 2), RoundToTwips((screen.height - layout.clientHeight) / 2)};
}

TwipPoint FormLoadPosition(const LayoutDef& layout, TwipPoint designed, int32_t paletteLeft, int32_t paletteTop) {
  return {layout.appliesSaved(paletteLeft) ? paletteLeft : designed.x,
          layout.appliesSaved(paletteTop) ? paletteTop : designed.y};
}
