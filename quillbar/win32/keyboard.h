// The palette by keyboard: a focus rectangle that Tab, the arrows, Home and End
// move between the controls, Enter / Space / Alt+Down to use them, Esc to hand
// the keyboard back to AutoCAD, Alt+F4 to close as "X" does. The screen reader's view of the
// same controls is in accessible.h.
#pragma once
#include <windows.h>

struct PaletteWindow;

// The opening layout takes the keyboard state of the one it replaces (a switch).
void TakeKeyboardState(PaletteWindow& opening, const PaletteWindow& closing);

// The keyboard's and the focus's handlers of a layout window, called from its
// window procedure. OnKeyDown and OnSysKeyDown are true when the key is answered
// (the procedure returns 0), false when the default handling should see it too.
// The window may be gone when a handler returns.
bool OnKeyDown(PaletteWindow& w, WPARAM key);
bool OnSysKeyDown(PaletteWindow& w, WPARAM key);
void OnActivate(PaletteWindow& w, WPARAM wp, LPARAM lp);
void OnFocusChange(PaletteWindow& w, bool gained);
void OnUpdateUiState(PaletteWindow& w, WPARAM wp);
// kDefaultActionMessage: runs the default action of accessible child `child`.
void OnDefaultAction(PaletteWindow& w, WPARAM child);

// The window that was active before the palette, while the palette has the
// keyboard (the user came from there to it); null otherwise or when it is gone.
HWND CameFrom(const PaletteWindow& w);

// Moves the focus to stop `stop` and tells screen readers.
void SetFocusStop(PaletteWindow& w, int stop);

// Does what a click on focus stop `stop` does, unless the palette takes no input
// now (PaletteTakesInput, choose_command.h); may close the window.
void ActivateStop(PaletteWindow& w, int stop);

// Posted to a layout window to run the default action of accessible child `wParam`
// outside the caller's call, so a cross-process caller does not wait for the menu.
inline constexpr UINT kDefaultActionMessage = WM_APP + 0x51;
