// The yardstick for the palette's start-up time, memory and drag rate: a program
// that does nothing but show a 128 x 49 pixel topmost pop-up window and follow
// the mouse with it while the left button is held (the least a drag can do:
// one window move per movement event), then waits to be closed.
#include <windows.h>
#include <windowsx.h>

#include "yardstick.h"

namespace {

POINT g_grab;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_LBUTTONDOWN) {
    g_grab = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    return 0;
  }
  if (msg == WM_MOUSEMOVE && (wp & MK_LBUTTON)) {
    RECT r;
    GetWindowRect(hwnd, &r);
    SetWindowPos(hwnd, nullptr, r.left + GET_X_LPARAM(lp) - g_grab.x, r.top + GET_Y_LPARAM(lp) - g_grab.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const HWND hwnd = MakeYardstickWindow(instance, "MinimalWindow", Proc, 0);
  if (!hwnd) return 1;
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ShowYardstickWindow(hwnd);
  return 0;
}
