// The monitors of the desktop and the dpi of each, and of a window. The
// per-monitor calls are looked up at run time: a system without them gets the
// system dpi everywhere.
#pragma once
#include <windows.h>

#include "desktop.h"

// The system's logical dots per inch.
int ScreenDpi();
// The primary screen's size in twips, at the primary monitor's own dpi.
ScreenTwips PrimaryScreenTwips();

// Every monitor, the primary one first. Read once and kept: a drag converts
// positions several times per mouse step.
const Desktop& CurrentDesktop();
// Called with every message of a layout window: the monitors are read again
// after the display, its settings or a window's dpi changed.
void ForgetDesktop(UINT msg);

// The dpi a window is drawn with (GetDpiForWindow), else the system dpi.
int DpiOfWindow(HWND hwnd);

// Gives a new window its size, width x height twips at its own dpi, once it
// stands where it opens.
void FitToWindowDpi(HWND hwnd, int32_t width, int32_t height);
