#include "layout_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>
#include <memory>
#include <string>

#include "accessible.h"
#include "art_ids.h"
#include "choose_command.h"
#include "commands.h"
#include "error.h"
#include "error_report.h"
#include "keyboard.h"
#include "layouts.h"
#include "monitors.h"
#include "numbers.h"
#include "palette_paint.h"
#include "palette_window.h"
#include "popup_menu.h"
#include "state.h"
#include "twips_rect.h"

namespace {

// The open layout windows, by layout number less one.
std::array<PaletteWindow*, kLayoutCount> g_open{};

PaletteWindow*& Slot(int n) { return g_open.at(static_cast<size_t>(n - 1)); }

HWND WindowOf(int n) { return Slot(n) ? Slot(n)->hwnd : nullptr; }

PaletteWindow* PartsOf(HWND hwnd) { return reinterpret_cast<PaletteWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

// Every layout carries the same menus, built from the command table.
void BuildMenus(PaletteWindow& w) {
  const auto commands = CommandTable();
  for (size_t m = 0; m < MenuTree().size(); ++m) {
    const MenuDef& def = MenuTree()[m];
    w.popups[m].reset(CreatePopupMenu());
    if (!w.popups[m].get()) ThrowLastError();
    for (size_t i = def.first; i < def.first + def.count; ++i)
      if (!AppendMenuA(w.popups[m].get(), MF_STRING, static_cast<UINT_PTR>(CommandId(i)), commands[i].caption))
        ThrowLastError();
  }
}

TOOLINFOA Tool(const PaletteWindow& w, size_t control) {
  const ControlDef& c = w.def->controls[control];
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.uFlags = 0;  // mouse messages are relayed by OnMouse, not by subclassing
  tool.hwnd = w.hwnd;
  tool.uId = control;
  tool.rect = PixelRect(VisibleRect(*w.def, c), w.dpi);
  tool.lpszText = const_cast<char*>(c.tooltip);
  return tool;
}

// The palette works without its tooltips: a failure to make one is noted for a
// debugger and the palette goes on.
void NoteTooltipFailure(const char* what) {
  const std::string note = std::string("Quillbar: ") + what + ": error " + std::to_string(GetLastError()) + "\n";
  OutputDebugStringA(note.c_str());
}

// One tooltip per control, made when the pointer first comes over the window,
// so opening a layout does not pay for it. (Wine also does not raise a hidden
// window into the topmost band while it owns a tooltip.)
void AddTooltips(PaletteWindow& w) {
  w.tooltipTried = true;
  w.tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, w.hwnd, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!w.tooltip) return NoteTooltipFailure("no tooltip window");
  // The tooltip control shows the first tool that holds the pointer, so the
  // tools go in in stacking order, top-most first, like the mouse itself.
  for (size_t i = 0; i < w.def->controls.size(); ++i) {
    if (!w.def->controls[i].tooltip) continue;
    TOOLINFOA tool = Tool(w, i);
    if (!SendMessageA(w.tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)))
      NoteTooltipFailure(w.def->controls[i].name);
  }
}

int16_t ButtonMask(WPARAM wp) {
  return static_cast<int16_t>(((wp & MK_LBUTTON) ? kLeftButton : 0) | ((wp & MK_RBUTTON) ? kRightButton : 0) |
                              ((wp & MK_MBUTTON) ? kMiddleButton : 0));
}

int16_t ButtonOf(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: return kLeftButton;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: return kRightButton;
    default: return kMiddleButton;
  }
}

// --- Message handlers -------------------------------------------------------

void OnMouse(PaletteWindow& w, UINT msg, WPARAM wp, LPARAM lp) {
  const HWND hwnd = w.hwnd;
  const int n = w.def->number;
  const PaletteWindowOps& ops = *w.windows;
  // The tooltips see the mouse too, except while a drag or a press holds it:
  // a drag then costs no tooltip work per step.
  if (!(msg == WM_MOUSEMOVE && PaletteHoldsMouse(n))) {
    if (!w.tooltipTried) AddTooltips(w);
    MSG relayed{hwnd, msg, wp, lp, 0, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}};
    if (w.tooltip) SendMessageA(w.tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  const double x = PixelsToTwips(GET_X_LPARAM(lp), w.dpi), y = PixelsToTwips(GET_Y_LPARAM(lp), w.dpi);
  switch (msg) {
    case WM_MOUSEMOVE:
      PaletteMouseMove(ops, n, ButtonMask(wp), x, y);
      return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      PaletteMouseDown(ops, n, ButtonOf(msg), x, y);
      // The pressed control keeps the mouse while a button is held, also when
      // the pointer leaves the window. (A press may have closed this window.)
      if (IsWindow(hwnd) && PaletteHoldsMouse(n) && GetCapture() != hwnd) SetCapture(hwnd);
      return;
    default:
      PaletteMouseUp(ops, n, ButtonOf(msg), ButtonMask(wp), x, y);
      // A click may have closed this very window.
      if (IsWindow(hwnd) && !PaletteHoldsMouse(n) && GetCapture() == hwnd) ReleaseCapture();
      return;
  }
}

bool OnSetCursor(const PaletteWindow& w, LPARAM lp) {
  if (LOWORD(lp) != HTCLIENT) return false;
  POINT at;
  GetCursorPos(&at);
  ScreenToClient(w.hwnd, &at);
  const ControlDef* c = HitTest(*w.def, PixelsToTwips(at.x, w.dpi), PixelsToTwips(at.y, w.dpi));
  SetCursor(LoadCursor(nullptr, c && CursorOf(*c) == CursorId::Move ? IDC_SIZEALL : IDC_ARROW));
  return true;
}

// A chosen menu entry goes to the drawing, waiting out a busy AutoCAD; any
// other failure ends the program with the error report (the caller's catch).
bool OnCommand(const PaletteWindow& w, WPARAM wp, LPARAM lp) {
  if (HIWORD(wp) != 0 || lp != 0) return false;  // not a menu entry
  const auto index = CommandIndexForId(LOWORD(wp));
  if (!index) return false;
  ChooseCommand(w.hwnd, w.def->number, *index, CameFrom(w));
  return true;
}

// The window moved to a monitor of another scaling: the whole palette scales.
void OnDpiChanged(PaletteWindow& w, int dpi, const RECT& suggested) {
  w.dpi = dpi;
  MakePaletteFonts(w);
  SetWindowPos(w.hwnd, nullptr, suggested.left, suggested.top, TwipsToPixels(w.def->clientWidth, dpi),
               TwipsToPixels(w.def->clientHeight, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  if (w.tooltip)
    for (size_t i = 0; i < w.def->controls.size(); ++i) {
      if (!w.def->controls[i].tooltip) continue;
      TOOLINFOA tool = Tool(w, i);
      SendMessageA(w.tooltip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
  InvalidateRect(w.hwnd, nullptr, FALSE);
}

// The program ends with its last layout window.
void OnDestroy(PaletteWindow& w) {
  PaletteMouseLost(w.def->number);
  Slot(w.def->number) = nullptr;
  bool anyOpen = false;
  for (const PaletteWindow* open : g_open) anyOpen = anyOpen || open;
  if (!anyOpen) PostQuitMessage(0);
}

LRESULT CALLBACK LayoutProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* w = static_cast<PaletteWindow*>(reinterpret_cast<const CREATESTRUCTA*>(lp)->lpCreateParams);
    w->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
  }
  ForgetDesktop(msg);
  PaletteWindow* w = PartsOf(hwnd);
  if (!w) return DefWindowProcA(hwnd, msg, wp, lp);
  try {
    switch (msg) {
      // The keyboard, the focus and the screen reader (keyboard.h, accessible.h).
      case WM_KEYDOWN: if (OnKeyDown(*w, wp)) return 0; break;
      case WM_SYSKEYDOWN: if (OnSysKeyDown(*w, wp)) return 0; break;
      case WM_ACTIVATE: OnActivate(*w, wp, lp); break;
      case WM_SETFOCUS: OnFocusChange(*w, true); break;
      case WM_KILLFOCUS: OnFocusChange(*w, false); break;
      case WM_UPDATEUISTATE: OnUpdateUiState(*w, wp); break;
      case WM_GETOBJECT: if (LRESULT result; AnswerGetObject(*w, wp, lp, result)) return result; break;
      case kDefaultActionMessage: OnDefaultAction(*w, wp); return 0;
      // Painting, the mouse, menus and the window's life.
      case WM_ERASEBKGND: return 1;  // WM_PAINT covers every pixel
      case WM_PAINT: PaintPalette(*w); return 0;
      case WM_SETCURSOR: if (ShowWaitCursor() || OnSetCursor(*w, lp)) return TRUE; break;
      case WM_MOUSEMOVE:
      case WM_LBUTTONDOWN: case WM_LBUTTONUP:
      case WM_RBUTTONDOWN: case WM_RBUTTONUP:
      case WM_MBUTTONDOWN: case WM_MBUTTONUP: OnMouse(*w, msg, wp, lp); return 0;
      case WM_CAPTURECHANGED: if (reinterpret_cast<HWND>(lp) != hwnd) PaletteMouseLost(w->def->number); return 0;
      case WM_COMMAND: if (OnCommand(*w, wp, lp)) return 0; break;
      // The taskbar's Close, End task or another program: saved and closed as "X" does.
      case WM_CLOSE: lblX_Click(*w->windows, w->def->number); return 0;
      case WM_DPICHANGED: OnDpiChanged(*w, LOWORD(wp), *reinterpret_cast<const RECT*>(lp)); return 0;
      case WM_DESTROY: OnDestroy(*w); return 0;
      case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        if (w->ownedByWindow) delete w;
        break;
    }
  } catch (...) {
    EndWithErrorReport(hwnd);
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

TwipPoint WindowPosition(int n) {
  RECT r{};
  GetWindowRect(WindowOf(n), &r);
  return DesktopTwips(CurrentDesktop(), {r.left, r.top});
}

void MoveWindowTo(int n, int32_t left, int32_t top) {
  const PixelPoint at = DesktopPixels(CurrentDesktop(), {left, top});
  SetWindowPos(WindowOf(n), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PopupMenu(int n, MenuId menu) {
  PaletteWindow* w = Slot(n);
  if (!w || !PaletteTakesInput(w->hwnd)) return;
  POINT at;
  GetCursorPos(&at);
  ShowPopupMenu(*w, menu, {at.x, at.y, at.x, at.y});
}

PaletteWindowOps MakeRealOps() {
  PaletteWindowOps ops;
  ops.setCaption = [](int n, const char* caption) { SetWindowTextA(WindowOf(n), caption); };
  ops.setTitleText = [](int n, const char* text) {
    if (!Slot(n)) return;
    Slot(n)->titleText = text;
    InvalidateRect(WindowOf(n), nullptr, FALSE);
  };
  ops.windowPosition = WindowPosition;
  ops.moveWindow = MoveWindowTo;
  // HWND_TOPMOST with SWP_NOSIZE | SWP_NOMOVE (3); the result is not examined.
  ops.makeTopmost = [](int n) { SetWindowPos(WindowOf(n), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE); };
  ops.screenSize = PrimaryScreenTwips;
  ops.openLayout = OpenLayout;
  ops.closeLayout = CloseLayout;
  ops.popupMenu = PopupMenu;
  return ops;
}

// The palette handlers' view of the real layout windows; each window reaches it
// through its parts (PaletteWindow::windows).
const PaletteWindowOps& RealPaletteWindows() {
  static const PaletteWindowOps ops = MakeRealOps();
  return ops;
}

}  // namespace

void OpenLayout(int n) {
  if (Slot(n)) return;
  RegisterLayoutClass();
  const LayoutDef& def = GetLayout(n);
  auto parts = std::make_unique<PaletteWindow>();
  parts->def = &def;
  parts->windows = &RealPaletteWindows();
  for (const PaletteWindow* open : g_open)
    if (open) TakeKeyboardState(*parts, *open);  // a switch keeps the focus where it was
  BuildMenus(*parts);
  // The window is made without a place or a size: Form_Load places it, and then
  // it takes its size at the scale of the monitor it stands on. The style has no
  // frame, so the window rectangle is the client area.
  HWND hwnd = CreateWindowExA(0, kLayoutClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleA(nullptr), parts.get());
  if (!hwnd) ThrowLastError();
  // The window owns its parts from here; they are freed at WM_NCDESTROY.
  parts->ownedByWindow = true;
  PaletteWindow& w = *parts;
  Slot(n) = parts.release();
  try {
    Form_Load(*w.windows, n);
    FitToWindowDpi(hwnd, def.clientWidth, def.clientHeight);
    w.dpi = DpiOfWindow(hwnd);
    MakePaletteFonts(w);
    PreparePictures(w);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
  } catch (...) {
    DestroyWindow(hwnd);
    throw;
  }
}

void CloseLayout(int n) {
  if (HWND hwnd = WindowOf(n)) DestroyWindow(hwnd);
}
