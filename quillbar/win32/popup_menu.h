// The layout windows' pop-up menus, opened by a click or by the keyboard.
#pragma once
#include <windows.h>

#include "palette_window.h"

// Shows one of the window's menus as a pop-up under `button` (screen pixels), or
// at its corner when it is empty (the pointer); returns once it is dismissed.
void ShowPopupMenu(PaletteWindow& w, MenuId menu, const RECT& button);
