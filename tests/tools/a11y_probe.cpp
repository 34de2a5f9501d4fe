// Asks a palette window, from another process as a screen reader does, what its
// IAccessible says: the children's roles and names, their places against the
// rectangles the palette paints, hit-tests at their centres, the focus, and a
// child's default action. Exit code 1 when a place or a hit-test is wrong, 3 when
// no palette window showed in time.
//
//   a11y_probe tree --layout N     prints "children=7" and "<id> <role> <name>" per child
//   a11y_probe focus               prints "focus=<id> focused=<0|1>"
//   a11y_probe do --child N        runs the child's default action
//   a11y_probe events --seconds N  prints "ready", then "focus <id>" for the first
//                                  focus event of a palette child within N seconds
#include <windows.h>

#include <oleacc.h>

#include <fcntl.h>
#include <io.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "focus.h"
#include "layouts.h"
#include "twips.h"

namespace {

HWND FindPalette() {
  for (int i = 0; i < 200; ++i) {
    HWND w = FindWindowA("QuillbarLayout", nullptr);
    if (w && IsWindowVisible(w)) return w;
    Sleep(50);
  }
  return nullptr;
}

VARIANT Id(long child) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = child;
  return v;
}

std::string RoleName(const VARIANT& role) {
  if (role.vt != VT_I4) return "none";
  switch (role.lVal) {
    case ROLE_SYSTEM_BUTTONMENU: return "buttonmenu";
    case ROLE_SYSTEM_PUSHBUTTON: return "pushbutton";
    case ROLE_SYSTEM_STATICTEXT: return "statictext";
    case ROLE_SYSTEM_CLIENT: return "client";
    default: return std::to_string(role.lVal);
  }
}

std::string Name(IAccessible* a, long child) {
  BSTR name = nullptr;
  if (FAILED(a->get_accName(Id(child), &name)) || !name) return "<none>";
  std::string text;
  for (const wchar_t* c = name; *c; ++c) text += static_cast<char>(*c);
  SysFreeString(name);
  return text;
}

bool Near(long a, long b) { return std::labs(a - b) <= 1; }

int Tree(IAccessible* a, HWND hwnd, int layoutNumber) {
  const LayoutDef& layout = GetLayout(layoutNumber);
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  long count = 0;
  a->get_accChildCount(&count);
  std::printf("children=%ld\n", count);
  int failures = 0;
  for (long child = 1; child <= count; ++child) {
    VARIANT role;
    VariantInit(&role);
    a->get_accRole(Id(child), &role);
    std::printf("%ld %s %s\n", child, RoleName(role).c_str(), Name(a, child).c_str());
    const ControlDef* c = AccessibleChild(layout, static_cast<int>(child));
    if (!c) continue;
    const PixelEdges e = TwipsToPixelEdges(VisibleRect(layout, *c), dpi);
    const long px = origin.x + e.left, py = origin.y + e.top, pw = e.right - e.left, ph = e.bottom - e.top;
    long x = 0, y = 0, w = 0, h = 0;
    const HRESULT hr = a->accLocation(&x, &y, &w, &h, Id(child));
    if (FAILED(hr) || !Near(x, px) || !Near(y, py) || !Near(x + w, px + pw) || !Near(y + h, py + ph)) {
      std::printf("FAIL: child %ld at %ld,%ld %ldx%ld, painted at %ld,%ld %ldx%ld\n", child, x, y, w, h, px, py, pw,
                  ph);
      ++failures;
    }
    VARIANT hit;
    VariantInit(&hit);
    const long cx = px + pw / 2, cy = py + ph / 2;
    if (FAILED(a->accHitTest(cx, cy, &hit)) || hit.vt != VT_I4 || hit.lVal != child) {
      std::printf("FAIL: hit-test at %ld,%ld (child %ld's centre) gives %ld\n", cx, cy, child,
                  hit.vt == VT_I4 ? hit.lVal : -1L);
      ++failures;
    }
  }
  return failures ? 1 : 0;
}

int Focus(IAccessible* a) {
  VARIANT focus;
  VariantInit(&focus);
  a->get_accFocus(&focus);
  const long child = focus.vt == VT_I4 ? focus.lVal : -1;
  VARIANT state;
  VariantInit(&state);
  if (child > 0) a->get_accState(Id(child), &state);
  std::printf("focus=%ld focused=%d\n", child, state.vt == VT_I4 && (state.lVal & STATE_SYSTEM_FOCUSED) ? 1 : 0);
  return 0;
}

long g_focusedChild = -1;

void CALLBACK OnFocusEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (object == OBJID_CLIENT && child > 0 && std::string(cls) == "QuillbarLayout") g_focusedChild = child;
}

// Listens as a screen reader does, outside the palette's process.
int Events(int seconds) {
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocusEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
  if (!hook) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
  while (g_focusedChild < 0 && static_cast<LONG>(end - GetTickCount()) > 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  UnhookWinEvent(hook);
  if (g_focusedChild < 0) return 3;
  std::printf("focus %ld\n", g_focusedChild);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  SetProcessDPIAware();
  if (argc < 2) return 2;
  const std::string verb = argv[1];
  const int value = argc > 3 ? std::atoi(argv[3]) : 0;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  if (verb == "events") return Events(value);
  HWND hwnd = FindPalette();
  if (!hwnd) return 3;
  IAccessible* a = nullptr;
  // __uuidof: MinGW's static IID_IAccessible is not the interface's id.
  const HRESULT hr = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                reinterpret_cast<void**>(&a));
  if (FAILED(hr) || !a) {
    std::printf("FAIL: AccessibleObjectFromWindow 0x%08lx\n", static_cast<unsigned long>(hr));
    return 1;
  }
  int result = 2;
  if (verb == "tree") result = Tree(a, hwnd, value);
  else if (verb == "focus") result = Focus(a);
  else if (verb == "do") result = SUCCEEDED(a->accDoDefaultAction(Id(value))) ? 0 : 1;
  a->Release();
  CoUninitialize();
  return result;
}
