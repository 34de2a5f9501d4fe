#include "form_load.h"

#include "numbers.h"

TwipPoint DesignedPosition(const LayoutDef& layout, ScreenTwips screen) {
  return {static_cast<int32_t>(RoundHalfEven((screen.width - layout.clientWidth) / 2)),
          static_cast<int32_t>(RoundHalfEven((screen.height - layout.clientHeight) / 2))};
}

TwipPoint FormLoadPosition(const LayoutDef& layout, TwipPoint designed, int32_t paletteLeft, int32_t paletteTop) {
  return {layout.appliesSaved(paletteLeft) ? paletteLeft : designed.x,
          layout.appliesSaved(paletteTop) ? paletteTop : designed.y};
}
