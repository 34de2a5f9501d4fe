// What one open layout window holds beside its definition: made before the
// window, attached to it at WM_NCCREATE (GWLP_USERDATA), freed with it.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <array>
#include <string>

#include "commands.h"
#include "layouts.h"
#include "palette.h"
#include "scoped_win.h"

// Where the keyboard focus is, and whether it shows.
struct KeyboardState {
  int focus = 0;            // focus stop, 0 to 5 (FocusOrder)
  bool cuesShown = false;   // the focus rectangle shows: hidden until the keyboard is used
  HWND before = nullptr;    // the window that was active before the palette
};

struct PaletteWindow {
  const LayoutDef* def = nullptr;
  HWND hwnd = nullptr;
  int dpi = 96;                         // the dots per inch it is drawn with
  std::string titleText;                // lblTitle's caption, set when the layout opens
  std::array<ScopedFont, 2> fonts;      // FontId::Default, FontId::Symbol
  std::array<ScopedMenu, kMenuCount> popups;  // mnuIO, mnuMODELING, mnuDRAW, mnuHHELP
  HWND tooltip = nullptr;               // made at the first hover; destroyed with the window
  bool tooltipTried = false;            // the palette goes on without tooltips it could not make
  bool ownedByWindow = false;           // false while the window is being made
  KeyboardState keys;                   // the focus rectangle and where Esc goes
  const PaletteWindowOps* windows = nullptr;  // the palette handlers' view of the layout windows
  ComPtr<IAccessible> accessible;       // made at a screen reader's first request (accessible.h)
};
