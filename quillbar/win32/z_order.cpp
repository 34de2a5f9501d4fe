#include "z_order.h"

#include <dwmapi.h>

#include "system_dll.h"

namespace {

// Cloaked by the window manager; where the call is missing (before Windows 8,
// Wine) nothing is.
bool Cloaked(HWND window) {
  using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
  static const auto getAttribute = DllFunction<GetAttributeFn>(LoadSystemDll(L"dwmapi.dll"), "DwmGetWindowAttribute");
  DWORD cloaked = 0;
  return getAttribute && SUCCEEDED(getAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked;
}

bool FullyTransparent(HWND window, LONG_PTR exStyle) {
  if (!(exStyle & WS_EX_LAYERED)) return false;
  BYTE alpha = 255;
  DWORD flags = 0;
  return GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) && alpha == 0;
}

// Seen, once known visible: the cheap tests first, as the walks ask this of
// every visible window of other programs above AutoCAD's.
bool SeenIfVisible(HWND window, LONG_PTR exStyle) {
  RECT r;
  return !IsIconic(window) && GetWindowRect(window, &r) && !IsRectEmpty(&r) && !FullyTransparent(window, exStyle) &&
         !Cloaked(window);
}

}  // namespace

bool ShownOnThisDesktop(HWND window) { return Shown(window) && !Cloaked(window); }

bool Seen(HWND window) {
  return window && IsWindowVisible(window) && SeenIfVisible(window, GetWindowLongPtrA(window, GWL_EXSTYLE));
}

bool MayWorkIn(HWND window, DWORD& process) {
  if (!IsWindowVisible(window)) return false;
  const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
  if (exStyle & WS_EX_TOPMOST) return false;
  process = ProcessOf(window);
  return process != GetCurrentProcessId() && SeenIfVisible(window, exStyle);
}
