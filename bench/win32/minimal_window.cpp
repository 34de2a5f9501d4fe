// The yardstick for the palette's start-up time and memory: a program that does
// nothing but show a 128 x 49 pixel topmost pop-up window, then waits to be closed.
#include <windows.h>

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = "MinimalWindow";
  if (!RegisterClassA(&wc)) return 1;
  HWND hwnd = CreateWindowExA(0, "MinimalWindow", "", WS_POPUP, GetSystemMetrics(SM_CXSCREEN) / 2,
                              GetSystemMetrics(SM_CYSCREEN) / 2, 128, 49, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
