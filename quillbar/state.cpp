#include "state.h"

PaletteState& State() {
  static PaletteState state;
  return state;
}
