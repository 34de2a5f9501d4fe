// What a screen reader finds in a layout window: an IAccessible for its client
// area whose children are the controls (command buttons, "/", "X", the title),
// with names, roles, places, states, the keyboard focus and default actions.
// oleacc is loaded from the system folder the first time a reader asks, so a
// user who never asks pays nothing for it.
#pragma once
#include <windows.h>

struct PaletteWindow;

// Answers WM_GETOBJECT for OBJID_CLIENT (true, with `result`) with the window's
// one accessible object; false for any other object or when oleacc cannot be
// loaded, which leaves the default answer.
bool AnswerGetObject(PaletteWindow& w, WPARAM wp, LPARAM lp, LRESULT& result);
