// The monitors of the desktop and the dpi of each, and of a window. The
// per-monitor calls are looked up at run time: a system without them gets the
// system dpi everywhere.
#pragma once
#include <windows.h>

#include "desktop.h"

// Every monitor as it is now, the primary one first.
Desktop CurrentDesktop();

// The dpi a window is drawn with (GetDpiForWindow), else the system dpi.
int DpiOfWindow(HWND hwnd);
