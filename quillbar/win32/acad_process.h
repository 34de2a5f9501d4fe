// What the palette reads of a process from outside: whether it is AutoCAD's, and
// whether it runs elevated. Windows only; asks the process nothing.
#pragma once
#include <windows.h>

#include "release_in_front.h"

// A process of AutoCAD's, by its program's name.
bool AutoCADProcess(DWORD process);

// Whether `process` runs elevated. A process whose token may not be read is
// elevated: Windows keeps an elevated token from programs that are not.
Elevation ElevationOf(DWORD process);

// What the process showing a window is, against the palette's own rights.
ProcessKind KindOf(DWORD process);

// The elevation of an acad.exe of this user's session that differs from the
// palette's; the palette's own where none differs, or none runs.
Elevation RunningAutoCADElevation();
