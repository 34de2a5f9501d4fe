// The palette's layout windows: one window class and one window procedure for
// all four layouts. Each open window owns a PaletteWindow.
#pragma once
#include <windows.h>

#include "palette.h"

// Creates layout n (1 to kLayoutCount), runs its load behaviour (placing, currentLayout,
// topmost) and shows it. Nothing happens if it is already open. Throws
// SystemError when the window cannot be made.
void OpenLayout(int n);
// Destroys layout n if it is open. When the last layout closes the program ends.
void CloseLayout(int n);

