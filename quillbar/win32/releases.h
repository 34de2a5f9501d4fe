// The AutoCAD releases the palette knows: the one commands go to (acadApp) and
// the others running beside it, found in the running object table, and which
// of them is in front at a choice. Owns those records; the calls go through
// automation.h, and the z-order is read through z_order.h.
#pragma once
#include <string>

#include "scoped_win.h"

// acadApp: the running object registered as "AutoCAD.Application" or, when that
// finds none, the first one in the running object table whose class has a
// versioned ProgID ("AutoCAD.Application.24"). AutoCAD is never launched. False
// when no AutoCAD is registered; other failures throw SystemError.
bool AttachApplication();

// With several AutoCAD releases in the running object table, acadApp first
// becomes the one whose windows are highest in the z-order (one without a shown
// main window comes last); a release closed and started again is attached anew,
// and one whose main window cannot be read yet because it is busy is waited for
// as a busy AutoCAD is (the busy error is thrown). With one, nothing more is asked
// of it. Then acadApp's main window, once per application object, and its
// ActiveDocument; null when it yields no object. Throws SystemError with the
// call's error (AutoCAD's own number and description when it raised one).
ComPtr<IDispatch> ActiveDocument();

// Calls SendCommand on a drawing of acadApp's with the text; returns when the
// call returns. Throws SystemError with the call's error.
void SendCommandTo(IDispatch* drawing, const std::string& text);

// acadApp's main window (its HWND property) as ActiveDocument read it; null when
// not read yet or it names no window. Asks AutoCAD nothing.
HWND AcadMainWindow();

// Lets go of acadApp and the others (program end).
void ReleaseAutoCAD();
