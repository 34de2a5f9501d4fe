// The late-bound calls on AutoCAD's objects: a member's number, Invoke, the error
// a failed call carries, and the calls the palette makes. Keeps nothing: each call
// is given its object and the place where that object's member number is kept.
#pragma once
#include <string>

#include "scoped_win.h"

// object.name(args...) by name, its member number looked up once into `id` (an
// object's numbers stay fixed for its life, and every drawing of one AutoCAD is of
// one type); the arguments in DISPPARAMS order (last first). Throws SystemError
// with the call's error: AutoCAD's own number and description when it raised one.
void Invoke(IDispatch* object, const wchar_t* name, DISPID& id, WORD flags, VARIANT* args, UINT count,
            VARIANT* result);

// The running object registered for class `clsid` (the first one, where two
// copies registered one class); null when none is registered. Throws SystemError
// for any other failure (a busy AutoCAD's refusal among them).
ComPtr<IDispatch> RunningObject(const CLSID& clsid);

// AutoCAD's main window, its HWND property; null for an AutoCAD without the
// property. Throws SystemError when AutoCAD is busy or gone.
HWND ReadMainWindow(IDispatch* app, DISPID& id);

// The application's ActiveDocument; null when it yields no object. Throws
// SystemError (AutoCAD has no drawing open, is busy or gone).
ComPtr<IDispatch> ReadActiveDocument(IDispatch* app, DISPID& id);

// Calls SendCommand on the drawing with the text; returns when the call returns.
// Throws SystemError with the call's error.
void SendCommand(IDispatch* drawing, DISPID& id, const std::string& text);
