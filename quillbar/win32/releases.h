// The AutoCAD releases the palette knows: the one commands go to (acadApp) and
// the others running beside it, found in the running object table, and which
// of them is in front at a choice. Owns those records; the calls go through
// automation.h, and the z-order is read through z_order.h.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "busy.h"
#include "scoped_win.h"

// A release the user is not working in may be computing for minutes: its main
// window is read off the palette's thread, and a choice waits this long in all
// for such reads. Until it answers, the release counts as busy: waited for only
// when it may be the one in front.
inline constexpr DWORD kReadsWaitMs = 300;

// What a choice brings: the window the user came from to the palette (null when
// none), until when (GetTickCount64) reads of releases' main windows may be
// waited for, and the wait itself, which keeps the palette painted and returns
// once every read is done or `ms` have passed.
struct ChoiceContext {
  HWND cameFrom = nullptr;
  ULONGLONG readsUntil = 0;
  std::function<void(const std::vector<HANDLE>& reads, DWORD ms)> waitForReads;
};

// acadApp: the running object registered as "AutoCAD.Application" or, when that
// finds none, the first one in the running object table whose class has a
// versioned ProgID ("AutoCAD.Application.24"). AutoCAD is never launched. False
// when no AutoCAD is registered; other failures throw SystemError.
bool AttachApplication();

// acadApp first becomes the release the user works in: the one the user came
// from, else the one whose windows the user sees highest in the z-order; a
// release closed and started again is attached anew, and one whose main window
// cannot be read yet because it is busy, or one still starting, is waited for as
// a busy AutoCAD is (the busy error is thrown). Where the user works in a second
// copy of a release, or in an AutoCAD started with other rights, that is the
// answer and nothing is read. Else acadApp's main window, once per application
// object, and its ActiveDocument into `drawing`. Throws SystemError with the
// call's error (AutoCAD's own number and description when it raised one).
DrawingRead ActiveDocument(const ChoiceContext& choice, ComPtr<IDispatch>& drawing);

// Calls SendCommand on a drawing of acadApp's with the text; returns when the
// call returns. Throws SystemError with the call's error.
void SendCommandTo(IDispatch* drawing, const std::string& text);

// acadApp's main window (its HWND property) as ActiveDocument read it; null when
// not read yet or it names no window. Asks AutoCAD nothing.
HWND AcadMainWindow();

// Lets go of acadApp and the others (program end).
void ReleaseAutoCAD();
