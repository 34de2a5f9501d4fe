// The end-to-end tests' eyes and hands inside the Wine prefix: finds top-level
// windows and message boxes, reads a box's text and presses its buttons.
// Every wait is a bounded poll; exit code 3 means the time ran out.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Args {
  std::string verb, title, cls, press;
  bool hasTitle = false, hasClass = false;
  DWORD timeoutMs = 10000;
  UINT id = 0;
};

struct Found {
  std::vector<HWND> windows;
  const Args* args;
};

std::string ClassOf(HWND w) {
  char name[256] = {};
  GetClassNameA(w, name, sizeof name);
  return name;
}

std::string TitleOf(HWND w) {
  char text[1024] = {};
  GetWindowTextA(w, text, sizeof text);
  return text;
}

BOOL CALLBACK Collect(HWND w, LPARAM param) {
  auto* found = reinterpret_cast<Found*>(param);
  const Args& a = *found->args;
  if (!IsWindowVisible(w)) return TRUE;
  if (a.hasClass && ClassOf(w) != a.cls) return TRUE;
  if (a.hasTitle && TitleOf(w) != a.title) return TRUE;
  found->windows.push_back(w);
  return TRUE;
}

std::vector<HWND> FindAll(const Args& a) {
  Found found{{}, &a};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
  return found.windows;
}

HWND WaitFor(const Args& a) {
  const DWORD start = GetTickCount();
  for (;;) {
    auto all = FindAll(a);
    if (!all.empty()) return all.front();
    if (GetTickCount() - start > a.timeoutMs) return nullptr;
    Sleep(50);
  }
}

int Box(Args a) {
  a.cls = "#32770";
  a.hasClass = true;
  HWND box = WaitFor(a);
  if (!box) {
    std::fprintf(stderr, "vdriver: no message box titled \"%s\"\n", a.title.c_str());
    return 3;
  }
  char text[4096] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  std::fwrite(text, 1, std::strlen(text), stdout);
  std::fflush(stdout);
  if (!a.press.empty()) {
    int id = a.press == "ok" ? IDOK : a.press == "cancel" ? IDCANCEL : a.press == "yes" ? IDYES : IDNO;
    HWND button = GetDlgItem(box, id);
    if (!button) {
      std::fprintf(stderr, "vdriver: the box has no \"%s\" button\n", a.press.c_str());
      return 4;
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  }
  return 0;
}

int Window(const Args& a) {
  HWND w = WaitFor(a);
  if (!w) {
    std::fprintf(stderr, "vdriver: no window of class \"%s\"\n", a.cls.c_str());
    return 3;
  }
  RECT r, c;
  GetWindowRect(w, &r);
  GetClientRect(w, &c);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  LONG style = GetWindowLongA(w, GWL_STYLE), ex = GetWindowLongA(w, GWL_EXSTYLE);
  std::printf("hwnd=%llu pid=%lu x=%ld y=%ld w=%ld h=%ld cx=%ld cy=%ld clientx=%ld clienty=%ld style=0x%08lx "
              "exstyle=0x%08lx topmost=%d caption=\"%s\"\n",
              static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)), pid, r.left, r.top,
              r.right - r.left, r.bottom - r.top, c.right, c.bottom, origin.x, origin.y,
              static_cast<unsigned long>(style), static_cast<unsigned long>(ex), (ex & WS_EX_TOPMOST) ? 1 : 0,
              TitleOf(w).c_str());
  return 0;
}

int Gone(const Args& a) {
  const DWORD start = GetTickCount();
  while (!FindAll(a).empty()) {
    if (GetTickCount() - start > a.timeoutMs) return 3;
    Sleep(50);
  }
  return 0;
}

int Count(const Args& a) {
  std::printf("%u\n", static_cast<unsigned>(FindAll(a).size()));
  return 0;
}

int Command(const Args& a) {
  HWND w = WaitFor(a);
  if (!w) return 3;
  // Sent, not posted: the command has been handled when this returns.
  SendMessageA(w, WM_COMMAND, MAKEWPARAM(a.id, 0), 0);
  return 0;
}

int Screen() {
  HDC dc = GetDC(nullptr);
  std::printf("w=%d h=%d dpi=%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
              GetDeviceCaps(dc, LOGPIXELSX));
  ReleaseDC(nullptr, dc);
  return 0;
}

int List() {
  Args all;
  for (HWND w : FindAll(all)) {
    RECT r;
    GetWindowRect(w, &r);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    std::printf("pid=%lu class=\"%s\" title=\"%s\" x=%ld y=%ld w=%ld h=%ld\n", pid, ClassOf(w).c_str(),
                TitleOf(w).c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: vdriver box --title T [--press ok|cancel|yes|no] [--timeout MS]\n"
               "       vdriver window --class C [--title T] [--timeout MS]\n"
               "       vdriver gone --class C [--title T] [--timeout MS]\n"
               "       vdriver count --class C [--title T]\n"
               "       vdriver command --class C --id N [--timeout MS]\n"
               "       vdriver screen | list\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Texts go out byte for byte: no LF to CR LF translation.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) return Usage();
  Args a;
  a.verb = argv[1];
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string k = argv[i], v = argv[i + 1];
    if (k == "--title") a.title = v, a.hasTitle = true;
    else if (k == "--class") a.cls = v, a.hasClass = true;
    else if (k == "--press") a.press = v;
    else if (k == "--timeout") a.timeoutMs = static_cast<DWORD>(std::strtoul(v.c_str(), nullptr, 10));
    else if (k == "--id") a.id = static_cast<UINT>(std::strtoul(v.c_str(), nullptr, 10));
    else return Usage();
  }
  if (a.verb == "box" && a.hasTitle) return Box(a);
  if (a.verb == "window" && (a.hasClass || a.hasTitle)) return Window(a);
  if (a.verb == "gone" && (a.hasClass || a.hasTitle)) return Gone(a);
  if (a.verb == "count") return Count(a);
  if (a.verb == "command" && (a.hasClass || a.hasTitle)) return Command(a);
  if (a.verb == "screen") return Screen();
  if (a.verb == "list") return List();
  return Usage();
}
