// A menu choice: the command goes to the drawing in front, waiting out a busy
// AutoCAD with the palette painted, the wait cursor shown and further menu
// choices ignored until the command is delivered or given up; and the gate that
// every way of acting on the palette passes, which that wait closes.
#pragma once
#include <windows.h>

#include <cstddef>

// Sends entry `index` of `layout` to the AutoCAD the user works in, the one of
// `cameFrom` (the window the user came from to the palette, null when none) where
// that is an AutoCAD; boxes owned by `palette` say when AutoCAD stayed busy, has
// no drawing open, is not running or cannot be reached. Every other failure is
// thrown to the caller's error report.
void ChooseCommand(HWND palette, int layout, size_t index, HWND cameFrom);

// On WM_SETCURSOR: true (and the wait cursor set) while a command is pending.
bool ShowWaitCursor();

// The one gate for every way to act on the palette (mouse, keys, a screen
// reader's default action): closed while a command waits for a busy AutoCAD,
// while a box owned by the palette is up (the palette is disabled) and while a
// pop-up menu is open. Mouse and keys are held back by the system and the busy
// wait; what a screen reader posts arrives anyway and is dropped here.
bool PaletteTakesInput(HWND palette);

// Told by the pop-up menu when it opens and closes, for the gate.
void NoteMenuOpen(bool open);
