#include "layout_window.h"

#include <array>

#include "art_ids.h"
#include "busy_wait.h"
#include "commands.h"
#include "error.h"
#include "error_report.h"
#include "form_load.h"
#include "layouts.h"
#include "monitors.h"
#include "palette.h"
#include "palette_window.h"
#include "state.h"

namespace {

struct MenuHandle {
  HMENU h = nullptr;
  ~MenuHandle() { reset(); }
  void reset(HMENU m = nullptr) {
    if (h) DestroyMenu(h);
    h = m;
  }
};

// What exists of one open layout.
struct OpenLayoutState {
  HWND hwnd = nullptr;
  std::array<MenuHandle, 4> popups;  // mnuIO, mnuMODELING, mnuDRAW, mnuHHELP
};

std::array<OpenLayoutState, 4> g_layouts;

OpenLayoutState& Slot(int n) { return g_layouts.at(static_cast<size_t>(n - 1)); }

// Every layout carries the same menus, built from the command table.
void BuildMenus(OpenLayoutState& layout) {
  const auto commands = CommandTable();
  for (size_t m = 0; m < MenuTree().size(); ++m) {
    const MenuDef& def = MenuTree()[m];
    layout.popups[m].reset(CreatePopupMenu());
    if (!layout.popups[m].h) ThrowLastError();
    for (size_t i = def.first; i < def.first + def.count; ++i)
      if (!AppendMenuA(layout.popups[m].h, MF_STRING, static_cast<UINT_PTR>(CommandId(i)), commands[i].caption))
        ThrowLastError();
  }
}

const LayoutDef* DefOf(HWND hwnd) { return reinterpret_cast<const LayoutDef*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

LRESULT CALLBACK LayoutProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ForgetDesktop(msg);
  if (msg == WM_SETCURSOR && LOWORD(lp) == HTCLIENT && ShowWaitCursor()) return TRUE;
  if (const LayoutDef* def = DefOf(hwnd)) {
    LRESULT result = 0;
    if (PaletteWindowMessage(hwnd, *def, msg, wp, lp, result)) return result;
  }
  switch (msg) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lp);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_COMMAND:
      if (HIWORD(wp) == 0 && lp == 0) {  // a menu entry
        if (const auto index = CommandIndexForId(LOWORD(wp))) {
          try {
            ChooseCommand(hwnd, DefOf(hwnd)->number, *index);
          } catch (...) {
            EndWithErrorReport(hwnd);
          }
          return 0;
        }
      }
      break;
    case WM_DESTROY: {
      if (const LayoutDef* def = DefOf(hwnd)) {
        DetachPaletteWindow(*def);
        OpenLayoutState& slot = Slot(def->number);
        slot.hwnd = nullptr;
        for (auto& popup : slot.popups) popup.reset();
      }
      bool anyOpen = false;
      for (const auto& layout : g_layouts) anyOpen = anyOpen || layout.hwnd;
      if (!anyOpen) PostQuitMessage(0);
      return 0;
    }
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void RegisterLayoutClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = LayoutProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = nullptr;  // each control's cursor is set on WM_SETCURSOR
  wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(IDI_QUILLBAR));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kLayoutClass;
  if (!RegisterClassExA(&wc)) ThrowLastError();
  registered = true;
}

}  // namespace

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

ScreenTwips PrimaryScreenTwips() {
  const double twipsPerPixel = 1440.0 / ScreenDpi();
  return {GetSystemMetrics(SM_CXSCREEN) * twipsPerPixel, GetSystemMetrics(SM_CYSCREEN) * twipsPerPixel};
}

void OpenLayout(int n) {
  OpenLayoutState& slot = Slot(n);
  if (slot.hwnd) return;
  RegisterLayoutClass();
  const LayoutDef& def = GetLayout(n);
  // The style has no frame, so the window rectangle is the client area. The
  // window starts where Form_Load places it (the designed position on each axis
  // whose saved coordinate the layout does not take), at that monitor's scale.
  const RECT r = WindowRectAt(FormLoadPosition(def, DesignedPosition(def, PrimaryScreenTwips()), State().paletteLeft,
                                               State().paletteTop), def.clientWidth, def.clientHeight);
  HWND hwnd = CreateWindowExA(0, kLayoutClass, "", WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top, nullptr,
                              nullptr, GetModuleHandleA(nullptr), const_cast<LayoutDef*>(&def));
  if (!hwnd) ThrowLastError();
  FitToWindowDpi(hwnd, def.clientWidth, def.clientHeight);
  slot.hwnd = hwnd;
  try {
    BuildMenus(slot);
    AttachPaletteWindow(hwnd, def);
    Form_Load(n);
    AddPaletteTooltips(def);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
  } catch (...) {
    DestroyWindow(hwnd);
    throw;
  }
}

void CloseLayout(int n) {
  if (HWND hwnd = Slot(n).hwnd) DestroyWindow(hwnd);
}

bool IsLayoutOpen(int n) { return Slot(n).hwnd != nullptr; }

HWND LayoutWindow(int n) { return Slot(n).hwnd; }

HMENU LayoutPopupMenu(int n, int menu) { return Slot(n).popups.at(static_cast<size_t>(menu)).h; }
