// The window both start-up yardsticks show, a 128 x 49 pixel pop-up in the middle
// of the primary screen as the palette's minimal layout is, and their loop.
#pragma once
#include <windows.h>

inline HWND MakeYardstickWindow(HINSTANCE instance, const char* className, WNDPROC proc, DWORD exStyle) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = className;
  if (!RegisterClassA(&wc)) return nullptr;
  return CreateWindowExA(exStyle, className, "", WS_POPUP, GetSystemMetrics(SM_CXSCREEN) / 2,
                         GetSystemMetrics(SM_CYSCREEN) / 2, 128, 49, nullptr, nullptr, instance, nullptr);
}

// Shows the window and runs until it is closed.
inline void ShowYardstickWindow(HWND hwnd) {
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
