// The drawing and the mouse of a layout window: its controls painted from the
// layout's definition (double-buffered), per-control cursors and tooltips, the
// mouse routed to the palette's handlers in twips, pop-up menus at the pointer.
#pragma once
#include <windows.h>

#include "layouts.h"

// Prepares an open layout window: the fonts and pictures for its dpi. Throws
// SystemError when something cannot be made.
void AttachPaletteWindow(HWND hwnd, const LayoutDef& def);
// One tooltip per control. Made after Form_Load: while the window owns a
// tooltip, Wine does not raise the hidden window into the topmost band.
void AddPaletteTooltips(const LayoutDef& def);
// Releases what AttachPaletteWindow made (on WM_DESTROY).
void DetachPaletteWindow(const LayoutDef& def);

// Handles the messages that belong to the palette's drawing and mouse; returns
// false for every other message. Errors end the program with the error report.
bool PaletteWindowMessage(HWND hwnd, const LayoutDef& def, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// Connects the palette's handlers (PaletteWindows()) to the real layout windows.
void UseRealPaletteWindows();

// The dots per inch a layout window is drawn with.
int WindowDpi(int layout);

// Twips of a window at `dpi` as pixels; edges are converted, not sizes, so
// neighbouring controls neither overlap nor leave gaps at any scaling.
RECT PixelRect(const TwipRect& r, int dpi);
