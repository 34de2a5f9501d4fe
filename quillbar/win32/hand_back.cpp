#include "hand_back.h"

#include <vector>

#include "z_order.h"

namespace {

// The put-back after a hand-back. AutoCAD's thread raises its window when it
// takes the activation, and that can come after it has answered any message of
// ours (under Wine the raise comes back from the X server later still), so the
// palette looks again on a timer and puts the window back once it has risen. It
// never waits for AutoCAD: it only reads the z-order, and the move is posted.
constexpr UINT kRaiseLookMs = 20;
constexpr DWORD kRaiseWatchMs = 5000;
struct RaiseWatch {
  HWND acadWindow = nullptr, above = nullptr;
  std::vector<HWND> own;  // AutoCAD's own windows that stood above it, the lowest first
  DWORD since = 0;
  UINT_PTR timer = 0;
};
RaiseWatch watch;

// True when window `a` stands above window `b` in the z-order.
bool StandsAbove(HWND a, HWND b) {
  return UpFrom(b, [a](HWND h) { return h == a; }) != nullptr;
}

void CALLBACK LookForRaise(HWND, UINT, UINT_PTR, DWORD now) {
  const RaiseWatch w = watch;
  // Watched while AutoCAD keeps the keyboard: once the user works elsewhere,
  // what is above what is theirs.
  const bool live = IsWindow(w.acadWindow) && IsWindow(w.above) && GetForegroundWindow() == w.acadWindow;
  const bool raised = live && StandsAbove(w.acadWindow, w.above);
  // Its own windows go back above it as they stood.
  constexpr UINT kBack = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_ASYNCWINDOWPOS;
  if (raised) {
    SetWindowPos(w.acadWindow, w.above, 0, 0, 0, 0, kBack);
    for (HWND h : w.own)
      if (IsWindow(h)) SetWindowPos(h, w.above, 0, 0, 0, 0, kBack);
  }
  if (raised || !live || now - w.since > kRaiseWatchMs) {
    KillTimer(nullptr, w.timer);
    watch = {};
  }
}

void WatchForRaise(HWND acadWindow, HWND above, std::vector<HWND> own) {
  if (watch.timer) KillTimer(nullptr, watch.timer);
  watch = {acadWindow, above, std::move(own), GetTickCount(), SetTimer(nullptr, 0, kRaiseLookMs, LookForRaise)};
}

}  // namespace

bool HandKeyboardToAutoCAD(HWND acadWindow) {
  if (!Shown(acadWindow)) return false;
  // Activation alone: nothing is raised. Activating brings a window to the top of
  // its band, so AutoCAD goes back under the window of another program that was
  // above it; AutoCAD's own windows above its main one (the command line, its
  // palettes) are AutoCAD. The palette keeps its place in the topmost band.
  const DWORD acadProcess = ProcessOf(acadWindow);
  std::vector<HWND> own;  // AutoCAD's own shown windows above it, the lowest first
  const HWND above = UpFrom(acadWindow, [&](HWND h) {
    if (!Seen(h) || Topmost(h)) return false;  // what the user cannot see is not above it
    if (ProcessOf(h) != acadProcess) return true;
    own.push_back(h);
    return false;
  });
  if (!SetForegroundWindow(acadWindow)) return false;
  if (above) WatchForRaise(acadWindow, above, std::move(own));
  return true;
}
