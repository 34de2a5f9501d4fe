#include "monitors.h"

#include <optional>
#include <utility>
#include <vector>

#include "scoped_win.h"
#include "system_dll.h"

namespace {

using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

int MonitorDpi(HMONITOR monitor, int systemDpi) {
  // Windows 8.1 and later; shcore.dll stays loaded for the rest of the run.
  static const auto getDpiForMonitor =
      DllFunction<GetDpiForMonitorFn>(LoadSystemDll(L"shcore.dll"), "GetDpiForMonitor");
  UINT x = 0, y = 0;
  if (getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0)
    return static_cast<int>(x);
  return systemDpi;
}

struct Found {
  std::vector<MonitorPixels> monitors;
  int systemDpi;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
  auto& found = *reinterpret_cast<Found*>(param);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  const MonitorPixels m{r.left, r.top, r.right, r.bottom, MonitorDpi(monitor, found.systemDpi)};
  if (info.dwFlags & MONITORINFOF_PRIMARY)
    found.monitors.insert(found.monitors.begin(), m);
  else
    found.monitors.push_back(m);
  return TRUE;
}

Desktop ReadDesktop() {
  // The system dpi stays as it was at the program's start until the user signs out.
  static const int systemDpi = ScreenDpi();
  Found found{{}, systemDpi};
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&found));
  return LayOutDesktop(std::move(found.monitors), systemDpi);
}

std::optional<Desktop> known;

}  // namespace

int ScreenDpi() {
  ScopedWindowDC screen(nullptr);
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
  return dpi > 0 ? dpi : 96;
}

ScreenTwips PrimaryScreenTwips() {
  // The same areas every other conversion uses.
  if (const Desktop& desktop = CurrentDesktop(); !desktop.areas.empty()) return PrimaryScreenSize(desktop);
  const int dpi = ScreenDpi();
  return {PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi), PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi)};
}

const Desktop& CurrentDesktop() {
  if (!known) known = ReadDesktop();
  return *known;
}

void ForgetDesktop(UINT msg) {
  if (msg == WM_DISPLAYCHANGE || msg == WM_SETTINGCHANGE || msg == WM_DPICHANGED) known.reset();
}

int DpiOfWindow(HWND hwnd) {
  // Windows 10 (1607) and later.
  static const auto getDpiForWindow =
      DllFunction<GetDpiForWindowFn>(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
  const UINT dpi = getDpiForWindow ? getDpiForWindow(hwnd) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : ScreenDpi();
}

void FitToWindowDpi(HWND hwnd, int32_t width, int32_t height) {
  const int dpi = DpiOfWindow(hwnd);
  RECT r;
  GetWindowRect(hwnd, &r);
  const int cx = TwipsToPixels(width, dpi), cy = TwipsToPixels(height, dpi);
  if (r.right - r.left != cx || r.bottom - r.top != cy)
    SetWindowPos(hwnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
