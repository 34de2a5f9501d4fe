// A menu choice: the command goes to the drawing in front, waiting out a busy
// AutoCAD with the palette painted, the wait cursor shown and further menu
// choices ignored until the command is delivered or given up.
#pragma once
#include <windows.h>

#include <cstddef>

// Sends entry `index` of `layout`; boxes owned by `palette` say when AutoCAD
// stayed busy, has no drawing open or is not running. Every other failure is
// thrown to the caller's error report.
void ChooseCommand(HWND palette, int layout, size_t index);

// On WM_SETCURSOR: true (and the wait cursor set) while a command is pending.
bool ShowWaitCursor();
