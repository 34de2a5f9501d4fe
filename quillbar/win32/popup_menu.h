// The layout windows' pop-up menus, opened by a click or by the keyboard.
#pragma once
#include <windows.h>

#include "palette_window.h"

// The one gate for every way to act on the palette (mouse, keys, a screen
// reader's default action): closed while a command waits for a busy AutoCAD,
// while a box owned by the palette is up (the palette is disabled) and while a
// pop-up menu is open. Mouse and keys are held back by the system and the busy
// wait; what a screen reader posts arrives anyway and is dropped here.
bool PaletteTakesInput(HWND palette);

// Shows one of the window's menus as a pop-up under `button` (screen pixels), or
// at its corner when it is empty (the pointer); returns once it is dismissed.
void ShowPopupMenu(PaletteWindow& w, MenuId menu, const RECT& button);
