// Late-bound automation of AutoCAD. The application object (acadApp) is held from
// the attach on and replaced when the palette attaches again, or when another
// AutoCAD release that runs beside it is in front at a choice; a drawing is read
// afresh for each command and never kept.
#pragma once
#include <string>

#include "com_holders.h"

// acadApp: the running object registered as "AutoCAD.Application" or, when that
// finds none, the first one in the running object table whose class has a
// versioned ProgID ("AutoCAD.Application.24"). AutoCAD is never launched. False
// when no AutoCAD is registered; other failures throw SystemError.
bool AttachApplication();

// With several AutoCAD releases in the running object table, acadApp first
// becomes the one whose main window is highest in the z-order (one without a
// shown main window comes last); with one, nothing more is asked of it. Then
// acadApp's ActiveDocument; null when it yields no object. Throws SystemError with
// the call's error (AutoCAD's own number and description when it raised one).
ComPtr<IDispatch> ActiveDocument();

// Calls SendCommand on the drawing with the text; returns when the call returns.
// Throws SystemError with the call's error.
void SendCommandTo(IDispatch* drawing, const std::string& text);

// acadApp's main window (its HWND property), read once per application object; null when
// it cannot be read now (AutoCAD busy or gone) or names no window.
HWND AcadMainWindow();

// Lets go of acadApp (program end).
void ReleaseAutoCAD();
