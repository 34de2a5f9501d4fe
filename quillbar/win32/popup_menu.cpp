#include "popup_menu.h"

#include "choose_command.h"

void ShowPopupMenu(PaletteWindow& w, MenuId menu, const RECT& button) {
  // The owner must be in front, or the menu does not close when the user clicks elsewhere.
  SetForegroundWindow(w.hwnd);
  // Opened at the pointer (an empty rectangle), or under a button, which it then leaves uncovered.
  TPMPARAMS keepClear{sizeof(TPMPARAMS), button};
  const bool atPointer = IsRectEmpty(&button);
  NoteMenuOpen(true);
  TrackPopupMenuEx(w.popups.at(static_cast<size_t>(menu) - 1).get(),
                   TPM_LEFTALIGN | TPM_RIGHTBUTTON | (atPointer ? 0 : TPM_VERTICAL), button.left, button.bottom, w.hwnd,
                   atPointer ? nullptr : &keepClear);
  NoteMenuOpen(false);
}
