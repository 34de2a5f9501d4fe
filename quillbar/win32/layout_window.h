// The palette's layout windows: one window class and one window procedure for
// all four layouts; the window's user data points at its LayoutDef.
#pragma once
#include <windows.h>

#include "startup.h"

// Creates layout n (1 to 4), runs its load behaviour (placing, currentLayout,
// topmost) and shows it. Nothing happens if it is already open. Throws
// SystemError when the window cannot be made.
void OpenLayout(int n);
// Destroys layout n if it is open. When the last layout closes the program ends.
void CloseLayout(int n);
bool IsLayoutOpen(int n);
HWND LayoutWindow(int n);  // nullptr when not open
// Pop-up menu `menu` (0 to 3, in menu-tree order) of an open layout.
HMENU LayoutPopupMenu(int n, int menu);

// Window class of every layout window.
inline constexpr char kLayoutClass[] = "QuillbarLayout";

// The screen's logical dots per inch, for twips <-> pixels.
int ScreenDpi();
// The primary screen's size in twips.
ScreenTwips PrimaryScreenTwips();
