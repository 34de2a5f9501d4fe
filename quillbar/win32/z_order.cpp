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

bool FullyTransparent(HWND window) {
  if (!(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED)) return false;
  BYTE alpha = 255;
  DWORD flags = 0;
  return GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) && alpha == 0;
}

}  // namespace

bool Seen(HWND window) {
  RECT r;
  return Shown(window) && GetWindowRect(window, &r) && !IsRectEmpty(&r) && !FullyTransparent(window) &&
         !Cloaked(window);
}
