// What one open layout window holds beside its definition: made before the
// window, attached to it at WM_NCCREATE (GWLP_USERDATA), freed with it.
#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "commands.h"
#include "keyboard.h"
#include "layouts.h"
#include "scoped_win.h"

struct PaletteWindow {
  const LayoutDef* def = nullptr;
  HWND hwnd = nullptr;
  int dpi = 96;                         // the dots per inch it is drawn with
  std::string titleText;                // lblTitle's caption, set when the layout opens
  std::array<ScopedFont, 2> fonts;      // FontId::Default, FontId::Symbol
  std::array<ScopedMenu, kMenuCount> popups;  // mnuIO, mnuMODELING, mnuDRAW, mnuHHELP
  HWND tooltip = nullptr;               // made at the first hover; destroyed with the window
  bool ownedByWindow = false;           // false while the window is being made
  KeyboardState keys;                   // the focus rectangle and where Esc goes
};
