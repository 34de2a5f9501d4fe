#include "palette_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>
#include <string>

#include "caption_fonts.h"
#include "error.h"
#include "error_report.h"
#include "form_load.h"
#include "layout_window.h"
#include "numbers.h"
#include "palette.h"
#include "pictures.h"

namespace {

struct Font {
  HFONT h = nullptr;
  ~Font() { reset(); }
  void reset(HFONT f = nullptr) {
    if (h) DeleteObject(h);
    h = f;
  }
};

// What a layout window holds beside its definition while it is open.
struct WindowParts {
  HWND hwnd = nullptr;
  int dpi = 96;
  std::string titleText;        // lblTitle's caption, set when the layout opens
  std::array<Font, 2> fonts;    // FontId::Default, FontId::Symbol
  HWND tooltip = nullptr;       // owned by the layout window, destroyed with it
};

std::array<WindowParts, 4> g_parts;

WindowParts& Parts(int layout) { return g_parts.at(static_cast<size_t>(layout - 1)); }

int Pixels(double twips, int dpi) { return TwipsToPixels(twips, dpi); }

double Twips(int pixels, int dpi) { return pixels * 1440.0 / dpi; }

// A picture at natural size keeps its pixel count at 96 dpi and grows with the dpi.
SIZE PictureSize(const ControlDef& c, int dpi) {
  if (c.stretched) {
    RECT r = PixelRect(c.rect, dpi);
    return {r.right - r.left, r.bottom - r.top};
  }
  const Picture& natural = NaturalPicture(c.picture);
  return {Pixels(natural.width * 15.0, dpi), Pixels(natural.height * 15.0, dpi)};
}

void PaintControl(HDC dc, const LayoutDef& def, const ControlDef& c, const WindowParts& parts) {
  const int dpi = parts.dpi;
  const RECT full = PixelRect(c.rect, dpi);
  const int saved = SaveDC(dc);
  // Every control is cut off at the client area; lines have no area of their own.
  const RECT clip = PixelRect(c.kind == ControlKind::Line ? def.client() : VisibleRect(def, c), dpi);
  IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  switch (c.kind) {
    case ControlKind::Label: {
      const char* text = c.text ? c.text : parts.titleText.c_str();
      SelectObject(dc, parts.fonts[c.font == FontId::Symbol ? 1 : 0].h);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(c.colour == ColourId::WindowText ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
      RECT box = full;
      DrawTextA(dc, text, -1, &box, (c.centred ? DT_CENTER : DT_LEFT) | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
      if (c.framed) FrameRect(dc, &full, GetSysColorBrush(COLOR_WINDOWFRAME));
      break;
    }
    case ControlKind::Picture: {
      const SIZE size = PictureSize(c, dpi);
      HDC source = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(source, PictureBitmap(c.picture, size.cx, size.cy));
      BitBlt(dc, full.left, full.top, size.cx, size.cy, source, 0, 0, SRCCOPY);
      SelectObject(source, old);
      DeleteDC(source);
      break;
    }
    case ControlKind::Line: {
      HPEN pen = CreatePen(PS_SOLID, dpi >= 192 ? dpi / 96 : 1, GetSysColor(COLOR_WINDOWTEXT));
      HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, full.left, full.top, nullptr);
      LineTo(dc, full.right, full.top);
      SelectObject(dc, old);
      DeleteObject(pen);
      break;
    }
  }
  RestoreDC(dc, saved);
}

// The whole client area is drawn off screen and copied in one step: no flicker.
void Paint(HWND hwnd, const LayoutDef& def) {
  const WindowParts& parts = Parts(def.number);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  HDC buffer = CreateCompatibleDC(dc);
  HBITMAP canvas = CreateCompatibleBitmap(dc, client.right, client.bottom);
  HGDIOBJ oldCanvas = SelectObject(buffer, canvas);
  FillRect(buffer, &client, GetSysColorBrush(COLOR_BTNFACE));
  for (auto c = def.controls.rbegin(); c != def.controls.rend(); ++c) PaintControl(buffer, def, *c, parts);
  BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, oldCanvas);
  DeleteObject(canvas);
  DeleteDC(buffer);
  EndPaint(hwnd, &ps);
}

void AddTooltips(const LayoutDef& def, WindowParts& parts) {
  parts.tooltip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parts.hwnd, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
  if (!parts.tooltip) ThrowLastError();
  // The tooltip control shows the first tool that holds the pointer, so the
  // tools go in in stacking order, top-most first, like the mouse itself.
  for (size_t i = 0; i < def.controls.size(); ++i) {
    const ControlDef& c = def.controls[i];
    if (!c.tooltip) continue;
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = 0;  // mouse messages are relayed by Mouse(), not by subclassing
    tool.hwnd = parts.hwnd;
    tool.uId = i;
    tool.rect = PixelRect(VisibleRect(def, c), parts.dpi);
    tool.lpszText = const_cast<char*>(c.tooltip);
    if (!SendMessageA(parts.tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool))) ThrowLastError();
  }
}

void MakeFonts(WindowParts& parts, const LayoutDef& def) {
  parts.fonts[0].reset(MakeCaptionFont(def, FontId::Default, parts.dpi));
  parts.fonts[1].reset(MakeCaptionFont(def, FontId::Symbol, parts.dpi));
}

// The window moved to a monitor of another scaling: the whole palette scales.
void ChangeDpi(HWND hwnd, const LayoutDef& def, int dpi, const RECT& suggested) {
  WindowParts& parts = Parts(def.number);
  parts.dpi = dpi;
  MakeFonts(parts, def);
  SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, Pixels(def.clientWidth, dpi),
               Pixels(def.clientHeight, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  for (size_t i = 0; i < def.controls.size(); ++i) {
    if (!def.controls[i].tooltip) continue;
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = hwnd;
    tool.uId = i;
    tool.rect = PixelRect(VisibleRect(def, def.controls[i]), dpi);
    SendMessageA(parts.tooltip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

int16_t ButtonMask(WPARAM wp) {
  return static_cast<int16_t>(((wp & MK_LBUTTON) ? kLeftButton : 0) | ((wp & MK_RBUTTON) ? kRightButton : 0) |
                              ((wp & MK_MBUTTON) ? kMiddleButton : 0));
}

int16_t ShiftMask(WPARAM wp) {
  return static_cast<int16_t>(((wp & MK_SHIFT) ? 1 : 0) | ((wp & MK_CONTROL) ? 2 : 0) |
                              ((GetKeyState(VK_MENU) < 0) ? 4 : 0));
}

void Mouse(HWND hwnd, const LayoutDef& def, UINT msg, WPARAM wp, LPARAM lp) {
  const int n = def.number, dpi = Parts(n).dpi;
  // The tooltips see the mouse too, except while a drag or a press holds it:
  // a drag then costs no tooltip work per step.
  if (Parts(n).tooltip && !(msg == WM_MOUSEMOVE && PaletteHoldsMouse(n))) {
    MSG relayed{hwnd, msg, wp, lp, 0, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}};
    SendMessageA(Parts(n).tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  const double x = Twips(GET_X_LPARAM(lp), dpi), y = Twips(GET_Y_LPARAM(lp), dpi);
  const int16_t shift = ShiftMask(wp);
  switch (msg) {
    case WM_MOUSEMOVE:
      PaletteMouseMove(n, ButtonMask(wp), shift, x, y);
      return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const int16_t button = msg == WM_LBUTTONDOWN ? kLeftButton : msg == WM_RBUTTONDOWN ? kRightButton : kMiddleButton;
      PaletteMouseDown(n, button, shift, x, y);
      // The pressed control keeps the mouse while a button is held, also when
      // the pointer leaves the window.
      if (IsWindow(hwnd) && PaletteHoldsMouse(n) && GetCapture() != hwnd) SetCapture(hwnd);
      return;
    }
    default: {
      const int16_t button = msg == WM_LBUTTONUP ? kLeftButton : msg == WM_RBUTTONUP ? kRightButton : kMiddleButton;
      PaletteMouseUp(n, button, ButtonMask(wp), shift, x, y);
      // A click may have closed this very window.
      if (IsWindow(hwnd) && !PaletteHoldsMouse(n) && GetCapture() == hwnd) ReleaseCapture();
      return;
    }
  }
}

}  // namespace

RECT PixelRect(const TwipRect& r, int dpi) {
  return {Pixels(r.left, dpi), Pixels(r.top, dpi), Pixels(r.right(), dpi), Pixels(r.bottom(), dpi)};
}

int WindowDpi(int layout) { return Parts(layout).dpi; }

void AttachPaletteWindow(HWND hwnd, const LayoutDef& def) {
  WindowParts& parts = Parts(def.number);
  parts.hwnd = hwnd;
  parts.dpi = ScreenDpi();
  parts.titleText.clear();
  MakeFonts(parts, def);
  // Decoding here makes a broken picture a failure to open the layout, not to paint it.
  for (const ControlDef& c : def.controls)
    if (c.kind == ControlKind::Picture) PictureSize(c, parts.dpi), NaturalPicture(c.picture);
}

void AddPaletteTooltips(const LayoutDef& def) { AddTooltips(def, Parts(def.number)); }

void DetachPaletteWindow(const LayoutDef& def) {
  WindowParts& parts = Parts(def.number);
  PaletteMouseLost(def.number);
  parts.hwnd = nullptr;
  parts.tooltip = nullptr;
  for (Font& f : parts.fonts) f.reset();
}

bool PaletteWindowMessage(HWND hwnd, const LayoutDef& def, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  try {
    switch (msg) {
      case WM_ERASEBKGND:
        result = 1;  // WM_PAINT covers every pixel
        return true;
      case WM_PAINT:
        Paint(hwnd, def);
        result = 0;
        return true;
      case WM_SETCURSOR: {
        if (LOWORD(lp) != HTCLIENT) return false;
        POINT at;
        GetCursorPos(&at);
        ScreenToClient(hwnd, &at);
        const int dpi = Parts(def.number).dpi;
        const ControlDef* c = HitTest(def, Twips(at.x, dpi), Twips(at.y, dpi));
        SetCursor(LoadCursor(nullptr, c && c->cursor == CursorId::Move ? IDC_SIZEALL : IDC_ARROW));
        result = TRUE;
        return true;
      }
      case WM_MOUSEMOVE:
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_MBUTTONDOWN:
      case WM_MBUTTONUP:
        Mouse(hwnd, def, msg, wp, lp);
        result = 0;
        return true;
      case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hwnd) PaletteMouseLost(def.number);
        result = 0;
        return true;
      case 0x02E0: {  // WM_DPICHANGED
        ChangeDpi(hwnd, def, LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
        result = 0;
        return true;
      }
    }
  } catch (...) {
    EndWithErrorReport(hwnd);
  }
  return false;
}

void UseRealPaletteWindows() {
  PaletteWindowOps& w = PaletteWindows();
  w.setCaption = [](int n, const char* caption) { SetWindowTextA(LayoutWindow(n), caption); };
  w.setTitleText = [](int n, const char* text) {
    Parts(n).titleText = text;
    InvalidateRect(LayoutWindow(n), nullptr, FALSE);
  };
  w.windowPosition = [](int n) {
    RECT r{};
    GetWindowRect(LayoutWindow(n), &r);
    const int dpi = Parts(n).dpi;
    return TwipPoint{static_cast<int32_t>(RoundHalfEven(Twips(r.left, dpi))),
                     static_cast<int32_t>(RoundHalfEven(Twips(r.top, dpi)))};
  };
  w.moveWindow = [](int n, int32_t left, int32_t top) {
    const int dpi = Parts(n).dpi;
    SetWindowPos(LayoutWindow(n), nullptr, Pixels(left, dpi), Pixels(top, dpi), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  // HWND_TOPMOST with SWP_NOSIZE | SWP_NOMOVE (3); the result is not examined.
  w.makeTopmost = [](int n) { SetWindowPos(LayoutWindow(n), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE); };
  w.openLayout = OpenLayout;
  w.closeLayout = CloseLayout;
  w.popupMenu = [](int n, MenuId menu) {
    HWND hwnd = LayoutWindow(n);
    POINT at;
    GetCursorPos(&at);
    // The owner must be in front, or the menu does not close when the user clicks elsewhere.
    SetForegroundWindow(hwnd);
    TrackPopupMenu(LayoutPopupMenu(n, static_cast<int>(menu) - 1), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0,
                   hwnd, nullptr);
  };
}
