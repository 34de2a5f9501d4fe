// How the palette reads the desktop's top-level windows: whose process shows a
// window, whether it is shown and where the user can see it, whether it is
// topmost, and the walks along the z-order. Windows only; reads windows and asks
// no program anything.
#pragma once
#include <windows.h>

// The process that shows `window`; 0 for one that is gone.
inline DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

// A window of the palette's own process (its layouts, menus and boxes).
inline bool PalettesOwn(HWND window) { return ProcessOf(window) == GetCurrentProcessId(); }

// Visible and not minimised.
inline bool Shown(HWND window) { return window && IsWindowVisible(window) && !IsIconic(window); }

// Shown where the user can see it: not on another virtual desktop (the window
// manager cloaks those, yet they stay visible and keep their place in the
// z-order), not empty, and not a fully transparent layered window.
bool Seen(HWND window);

// Shown, and not on another virtual desktop: enough for a main window of
// AutoCAD's, which is neither empty nor transparent.
bool ShownOnThisDesktop(HWND window);

// A window the user may be working in: seen, not topmost and not the palette's
// own; `process` is set to its process once it is known.
bool MayWorkIn(HWND window, DWORD& process);

// In the topmost band, with the palette, the taskbar and other tools' palettes.
inline bool Topmost(HWND window) { return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// The first top-level window, from the top of the z-order down, for which
// `stop(window)` is true; null when there is none.
template <class Stop>
HWND FromTheTop(Stop stop) {
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
    if (stop(h)) return h;
  return nullptr;
}

// The same walk upwards, from the window just above `window` to the top.
template <class Stop>
HWND UpFrom(HWND window, Stop stop) {
  for (HWND h = GetWindow(window, GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV))
    if (stop(h)) return h;
  return nullptr;
}
