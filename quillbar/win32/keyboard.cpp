#include "keyboard.h"

#include "acad_process.h"
#include "choose_command.h"
#include "focus.h"
#include "hand_back.h"
#include "palette.h"
#include "palette_window.h"
#include "popup_menu.h"
#include "releases.h"
#include "twips_rect.h"
#include "z_order.h"

namespace {

// The window that was active before the palette, else the front-most other
// window a user could be working in: a visible, titled, not-topmost one (so not
// the taskbar or another tool's palette).
HWND WindowBefore(const PaletteWindow& w) {
  if (w.keys.before && IsWindow(w.keys.before) && IsWindowVisible(w.keys.before)) return w.keys.before;
  return FromTheTop([](HWND h) {
    return !PalettesOwn(h) && Shown(h) && !Topmost(h) &&
           (GetWindowLongPtrA(h, GWL_STYLE) & WS_CAPTION) == WS_CAPTION &&
           !(GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  });
}

void ShowCues(PaletteWindow& w) {
  if (w.keys.cuesShown) return;
  w.keys.cuesShown = true;
  // Tell the system too, so the window's UI state says the same (this Wine keeps none).
  SendMessageA(w.hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  InvalidateRect(w.hwnd, nullptr, FALSE);
}

// The key's WM_CHAR is already queued; a menu opened now would take it as its
// first key (Wine closes the menu at once), and a closed window needs none.
// PeekMessage also runs messages other programs send meanwhile, and one of them
// (WM_CLOSE) may destroy the window and free `w`: false then.
bool DropQueuedChar(const PaletteWindow& w) {
  const HWND hwnd = w.hwnd;
  MSG m;
  while (PeekMessageA(&m, hwnd, WM_CHAR, WM_CHAR, PM_REMOVE)) {
  }
  return IsWindow(hwnd);
}

void OpenMenuAtButton(PaletteWindow& w, const ControlDef& button) {
  RECT at = PixelRect(VisibleRect(*w.def, button), w.dpi);
  MapWindowPoints(w.hwnd, nullptr, reinterpret_cast<POINT*>(&at), 2);
  ShowPopupMenu(w, button.menu, at);
}

}  // namespace

HWND CameFrom(const PaletteWindow& w) {
  const HWND before = w.keys.before;
  return before && IsWindow(before) && PalettesOwn(GetForegroundWindow()) ? before : nullptr;
}

void TakeKeyboardState(PaletteWindow& opening, const PaletteWindow& closing) {
  opening.keys = closing.keys;
  opening.keys.focus = FocusAfterSwitch(*closing.def, closing.keys.focus, *opening.def);
}

void SetFocusStop(PaletteWindow& w, int stop) {
  w.keys.focus = stop;
  InvalidateRect(w.hwnd, nullptr, FALSE);
  NotifyWinEvent(EVENT_OBJECT_FOCUS, w.hwnd, OBJID_CLIENT, stop + 1);
}

void ActivateStop(PaletteWindow& w, int stop) {
  const ControlDef* c = FocusOrder(*w.def)[static_cast<size_t>(stop)];
  if (!c || !PaletteTakesInput(w.hwnd)) return;
  switch (c->role) {
    case ControlRole::Command: OpenMenuAtButton(w, *c); break;
    case ControlRole::Switch: lblMin_Click(*w.windows, w.def->number); break;
    case ControlRole::Close: lblX_Click(*w.windows, w.def->number); break;
    default: break;
  }
}

void OnActivate(PaletteWindow& w, WPARAM wp, LPARAM lp) {
  // Activation between the palette's own windows (a switch, a menu) keeps the first one.
  if (LOWORD(wp) != WA_INACTIVE && lp && !PalettesOwn(reinterpret_cast<HWND>(lp)))
    w.keys.before = reinterpret_cast<HWND>(lp);
}

void OnFocusChange(PaletteWindow& w, bool gained) {
  InvalidateRect(w.hwnd, nullptr, FALSE);
  if (gained) NotifyWinEvent(EVENT_OBJECT_FOCUS, w.hwnd, OBJID_CLIENT, w.keys.focus + 1);
}

void OnDefaultAction(PaletteWindow& w, WPARAM child) {
  if (child >= 1 && child <= static_cast<WPARAM>(kFocusStops)) ActivateStop(w, static_cast<int>(child) - 1);
}

bool OnKeyDown(PaletteWindow& w, WPARAM key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (key) {
    case VK_TAB: SetFocusStop(w, MoveFocus(w.keys.focus, shift ? FocusMove::Previous : FocusMove::Next)); break;
    case VK_RIGHT: case VK_DOWN: SetFocusStop(w, MoveFocus(w.keys.focus, FocusMove::Next)); break;
    case VK_LEFT: case VK_UP: SetFocusStop(w, MoveFocus(w.keys.focus, FocusMove::Previous)); break;
    case VK_HOME: SetFocusStop(w, MoveFocus(w.keys.focus, FocusMove::First)); break;
    case VK_END: SetFocusStop(w, MoveFocus(w.keys.focus, FocusMove::Last)); break;
    case VK_RETURN: case VK_SPACE:
      if (!DropQueuedChar(w)) return true;
      ShowCues(w);
      ActivateStop(w, w.keys.focus);  // the window may be gone now
      return true;
    case VK_ESCAPE: {
      // Back to the AutoCAD the user came from, else to the one of the last
      // choice. Handing the keyboard over deactivates the palette, and what runs
      // then may close the window and free `w`: it is looked at again first.
      const HWND hwnd = w.hwnd, cameFrom = CameFrom(w);
      const HWND acadWindow = cameFrom && AutoCADProcess(ProcessOf(cameFrom)) ? cameFrom : AcadMainWindow();
      if (!HandKeyboardToAutoCAD(acadWindow) && IsWindow(hwnd))
        if (HWND back = WindowBefore(w)) SetForegroundWindow(back);
      return true;
    }
    default: return false;
  }
  ShowCues(w);
  return true;
}

// Alt+Down opens a command button's menu; Alt+F4 closes and saves as "X" does.
bool OnSysKeyDown(PaletteWindow& w, WPARAM key) {
  if (key == VK_F4) {
    lblX_Click(*w.windows, w.def->number);
    return true;
  }
  if (key == VK_DOWN) {
    const ControlDef* c = FocusOrder(*w.def)[static_cast<size_t>(w.keys.focus)];
    ShowCues(w);
    if (c && c->role == ControlRole::Command && PaletteTakesInput(w.hwnd)) OpenMenuAtButton(w, *c);
  }
  return false;  // the default handling still sees the Alt key's state
}

void OnUpdateUiState(PaletteWindow& w, WPARAM wp) {
  if (!(HIWORD(wp) & UISF_HIDEFOCUS)) return;
  const bool shown = LOWORD(wp) == UIS_CLEAR ? true : LOWORD(wp) == UIS_SET ? false : w.keys.cuesShown;
  if (shown == w.keys.cuesShown) return;
  w.keys.cuesShown = shown;
  InvalidateRect(w.hwnd, nullptr, FALSE);
}
