// A menu choice while AutoCAD may be busy: the command is sent, and tried again
// while AutoCAD refuses it, with the palette painted, the wait cursor shown and
// further menu choices ignored until the command is delivered or given up.
#pragma once
#include <windows.h>

#include <cstddef>

// Sends entry `index` of `layout`; a box owned by `palette` says when AutoCAD
// stayed busy. Every other failure is thrown to the caller's error report.
void ChooseCommand(HWND palette, int layout, size_t index);

// On WM_SETCURSOR: true (and the wait cursor set) while a command is pending.
bool ShowWaitCursor();
