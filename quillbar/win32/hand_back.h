// Handing the keyboard back to AutoCAD after a command was sent, or on Esc, and
// putting AutoCAD back under the window that stood above it. Knows only AutoCAD's
// main window; asks AutoCAD nothing.
#pragma once
#include <windows.h>

// Gives `acadWindow` the keyboard, as AutoCAD's own palettes do after a tool is
// picked, without raising anything; false when that window is minimised, hidden
// or null.
bool HandKeyboardToAutoCAD(HWND acadWindow);
