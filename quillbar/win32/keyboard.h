// The palette by keyboard: a focus rectangle that Tab, the arrows, Home and End
// move between the controls, Enter / Space / Alt+Down to use them, Esc to hand
// the keyboard back to AutoCAD, Alt+F4 to close as "X" does. The screen reader's view of the
// same controls is in accessible.h.
#pragma once
#include <windows.h>

struct PaletteWindow;

// The opening layout takes the keyboard state of the one it replaces (a switch).
void TakeKeyboardState(PaletteWindow& opening, const PaletteWindow& closing);

// Handles the keyboard, focus, UI state and accessibility messages of a layout
// window. True when the message is answered (`result`); false lets the window
// procedure go on (the default handling too). The window may be gone when it returns.
bool PaletteKeyboardMessage(PaletteWindow& w, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// Gives AutoCAD's main window the keyboard, as its own palettes do after a tool
// is picked, without raising anything; false when that window is minimised,
// hidden or unknown.
bool HandKeyboardToAutoCAD();

// Moves the focus to stop `stop` and tells screen readers.
void SetFocusStop(PaletteWindow& w, int stop);

// Does what a click on focus stop `stop` does, unless the palette takes no input
// now (PaletteTakesInput); may close the window.
void ActivateStop(PaletteWindow& w, int stop);

// Posted to a layout window to run the default action of accessible child `wParam`
// outside the caller's call, so a cross-process caller does not wait for the menu.
inline constexpr UINT kDefaultActionMessage = WM_APP + 0x51;
