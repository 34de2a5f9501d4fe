// The end-to-end tests' eyes and hands inside the Wine prefix: finds top-level
// windows and message boxes, reads a box's text and presses its buttons; it also
// prints what the scripts know of the palette (its window class, where its
// layouts put their controls, its menus, what each entry sends) from the
// palette's own tables.
// Every wait is a bounded poll; exit code 3 means the time ran out.
#include <windows.h>

#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "layouts.h"

namespace {

struct Args {
  std::string verb, title, cls, press, item, below;
  bool hasTitle = false, hasClass = false;
  DWORD timeoutMs = 10000;
  int x = 0, y = 0, moves = 0;
  DWORD pid = 0;
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

// After a press: the box is gone, so a box that the program shows next (perhaps
// under the same title) is never mistaken for this one.
bool WaitClosed(HWND box, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (IsWindow(box)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
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
    if (!WaitClosed(box, a.timeoutMs)) {
      std::fprintf(stderr, "vdriver: the box did not close\n");
      return 3;
    }
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
  // A menu entry by its item name ("mnuLAND"), so tests follow the command table.
  const std::optional<size_t> index = CommandIndexForItem(a.item);
  if (!index) {
    std::fprintf(stderr, "vdriver: no menu entry \"%s\"\n", a.item.c_str());
    return 2;
  }
  const UINT id = static_cast<UINT>(CommandId(*index));
  HWND w = WaitFor(a);
  if (!w) return 3;
  // Sent, not posted: the command has been handled when this returns.
  SendMessageA(w, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return 0;
}

// Waits until the foreground window is titled T (any window without --title)
// and prints its class and title; exit code 3 with the last one seen when it is not.
int Foreground(const Args& a) {
  const DWORD start = GetTickCount();
  for (;;) {
    const HWND w = GetForegroundWindow();
    if (!a.hasTitle || (w && TitleOf(w) == a.title) || GetTickCount() - start > a.timeoutMs) {
      std::printf("class=\"%s\" title=\"%s\"\n", w ? ClassOf(w).c_str() : "", w ? TitleOf(w).c_str() : "");
      return !a.hasTitle || (w && TitleOf(w) == a.title) ? 0 : 3;
    }
    Sleep(50);
  }
}

// Keys by xdotool's names ("Return", "End", "i", "alt+F4", "shift+Tab"), pressed
// and released in order through SendInput. They go where Wine's own foreground
// window takes its keyboard; keys sent to the X server go to the X input focus,
// which each Wine process moves by itself and not always in step with Wine.
int Keys(int count, char** names) {
  static const struct {
    const char* name;
    WORD vk;
  } kNamed[] = {{"Return", VK_RETURN}, {"Escape", VK_ESCAPE}, {"Tab", VK_TAB},   {"space", VK_SPACE},
                {"Left", VK_LEFT},     {"Right", VK_RIGHT},   {"Up", VK_UP},     {"Down", VK_DOWN},
                {"Home", VK_HOME},     {"End", VK_END},       {"F4", VK_F4},     {"alt", VK_MENU},
                {"shift", VK_SHIFT},   {"ctrl", VK_CONTROL}};
  const auto code = [&](std::string name) -> WORD {
    for (const auto& k : kNamed)
      if (name == k.name) return k.vk;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
      return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
    return 0;
  };
  std::vector<INPUT> inputs;
  for (int i = 0; i < count; ++i) {
    std::vector<WORD> chord;
    std::string rest = names[i];
    for (size_t plus; (plus = rest.find('+')) != std::string::npos; rest.erase(0, plus + 1))
      chord.push_back(code(rest.substr(0, plus)));
    chord.push_back(code(rest));
    if (std::find(chord.begin(), chord.end(), WORD{0}) != chord.end()) {
      std::fprintf(stderr, "vdriver: no key named \"%s\"\n", names[i]);
      return 2;
    }
    for (size_t k = 0; k < chord.size(); ++k) inputs.push_back({INPUT_KEYBOARD, {.ki = {chord[k], 0, 0, 0, 0}}});
    for (size_t k = chord.size(); k-- > 0;)
      inputs.push_back({INPUT_KEYBOARD, {.ki = {chord[k], 0, KEYEVENTF_KEYUP, 0, 0}}});
  }
  // A click made through the X server reaches Wine as the program under the
  // pointer reads it; a key sent before its button is up could overtake it (and
  // land in a drag the press began). Wine's own key state says when it is up.
  const DWORD start = GetTickCount();
  while ((GetAsyncKeyState(VK_LBUTTON) | GetAsyncKeyState(VK_RBUTTON) | GetAsyncKeyState(VK_MBUTTON)) < 0) {
    if (GetTickCount() - start > 5000) return 3;
    Sleep(20);
  }
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return sent == inputs.size() ? 0 : 4;
}

// Waits until the window titled --title stands above the one titled --below and
// prints the title of the higher of the two; exit code 3 with the last one seen
// when it does not in time. Each window's thread first answers a message, so every
// change that was sent to it before (an activation, a put-back) has been made.
int Above(const Args& a) {
  Args upper = a, lower = a;
  lower.title = a.below;
  const HWND top = WaitFor(upper), bottom = WaitFor(lower);
  if (!top || !bottom) return 3;
  DWORD_PTR ignored = 0;
  for (HWND w : {top, bottom}) SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, a.timeoutMs, &ignored);
  const DWORD start = GetTickCount();
  for (;;) {
    HWND first = GetTopWindow(nullptr);
    while (first && first != top && first != bottom) first = GetWindow(first, GW_HWNDNEXT);
    if (first == top || GetTickCount() - start > a.timeoutMs) {
      std::printf("%s\n", first ? TitleOf(first).c_str() : "");
      return first == top ? 0 : 3;
    }
    Sleep(50);
  }
}

// The titles of the shown, titled top-level windows, one a line, the top-most first.
int ZOrder() {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (IsWindowVisible(w) && !TitleOf(w).empty()) std::printf("%s\n", TitleOf(w).c_str());
  return 0;
}

// Whether the window's thread answers a message within the timeout: 0 if so, 3 if not.
int Answers(const Args& a) {
  HWND w = WaitFor(a);
  DWORD_PTR ignored = 0;
  return w && SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, a.timeoutMs, &ignored) ? 0 : 3;
}

// Asks the window to close, as the taskbar's Close does; returns at once.
int Close(const Args& a) {
  HWND w = WaitFor(a);
  if (!w) return 3;
  PostMessageA(w, WM_CLOSE, 0, 0);
  return 0;
}

// Drag benchmark: a left press at client point x, y of the window, then `moves`
// movement events with the left button held, posted in runs of 500. Every event
// of a run lies one pixel right (or, in the next run, left) of the grab point,
// so each moves the window by one pixel; a run has been handled when the window
// stands 500 pixels on. Prints the events handled per second.
int Drag(const Args& a) {
  HWND w = WaitFor(a);
  if (!w) return 3;
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.x, a.y));
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  int done = 0;
  for (int run = 0; done < a.moves; ++run) {
    const int step = run % 2 ? -1 : 1, count = a.moves - done < 500 ? a.moves - done : 500;
    RECT r;
    GetWindowRect(w, &r);
    const LONG target = r.left + step * count;
    for (int i = 0; i < count; ++i) PostMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(a.x + step, a.y));
    const DWORD start = GetTickCount();
    for (;;) {
      GetWindowRect(w, &r);
      if (r.left == target) break;
      if (GetTickCount() - start > 60000) {
        std::fprintf(stderr, "vdriver: the window stopped at %ld, not %ld\n", r.left, target);
        return 3;
      }
      Sleep(1);
    }
    done += count;
  }
  QueryPerformanceCounter(&t1);
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(a.x, a.y));
  const double seconds = double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart);
  std::printf("moves=%d seconds=%.3f per_second=%.0f\n", a.moves, seconds, seconds > 0 ? a.moves / seconds : 0.0);
  return 0;
}

// Working set of process `pid` (GetProcessMemoryInfo).
int Memory(const Args& a) {
  HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, a.pid);
  if (!p) return 3;
  PROCESS_MEMORY_COUNTERS m{};
  const BOOL ok = GetProcessMemoryInfo(p, &m, sizeof m);
  CloseHandle(p);
  if (!ok) return 4;
  std::printf("working_set_kb=%llu peak_kb=%llu private_kb=%llu\n",
              static_cast<unsigned long long>(m.WorkingSetSize / 1024),
              static_cast<unsigned long long>(m.PeakWorkingSetSize / 1024),
              static_cast<unsigned long long>(m.PagefileUsage / 1024));
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

// True when controls [0, above) of the layout (lines aside) cover every point of
// the rectangle [x0, x1) x [y0, y1): each cell between their edges is tested by its centre.
bool Covered(const LayoutDef& layout, size_t above, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  std::vector<int32_t> xs{x0, x1}, ys{y0, y1};
  for (size_t i = 0; i < above; ++i) {
    const TwipRect r = VisibleRect(layout, layout.controls[i]);
    for (int32_t x : {r.left, r.right()})
      if (x > x0 && x < x1) xs.push_back(x);
    for (int32_t y : {r.top, r.bottom()})
      if (y > y0 && y < y1) ys.push_back(y);
  }
  std::sort(xs.begin(), xs.end());
  std::sort(ys.begin(), ys.end());
  for (size_t a = 0; a + 1 < xs.size(); ++a)
    for (size_t b = 0; b + 1 < ys.size(); ++b) {
      if (xs[a] == xs[a + 1] || ys[b] == ys[b + 1]) continue;
      const double cx = (xs[a] + xs[a + 1]) / 2.0, cy = (ys[b] + ys[b + 1]) / 2.0;
      bool hit = false;
      for (size_t i = 0; i < above && !hit; ++i)
        hit = layout.controls[i].kind != ControlKind::Line &&
              VisibleRect(layout, layout.controls[i]).contains(cx, cy);
      if (!hit) return false;
    }
  return true;
}

// The visible rectangle of control `index` less every strip along an edge that
// the controls above it cover completely, so its centre is a point the control
// itself receives (where the covers only cut a corner, the whole rectangle stays).
TwipRect PressableRect(const LayoutDef& layout, size_t index) {
  TwipRect r = VisibleRect(layout, layout.controls[index]);
  std::vector<int32_t> xs, ys;
  for (size_t i = 0; i < index; ++i) {
    const TwipRect c = VisibleRect(layout, layout.controls[i]);
    xs.insert(xs.end(), {c.left, c.right()});
    ys.insert(ys.end(), {c.top, c.bottom()});
  }
  for (bool changed = true; changed;) {
    changed = false;
    int32_t left = r.left, right = r.right(), top = r.top, bottom = r.bottom();
    for (int32_t x : xs) {
      if (x > left && x < right && Covered(layout, index, x, top, right, bottom)) right = x, changed = true;
      if (x > left && x < right && Covered(layout, index, left, top, x, bottom)) left = x, changed = true;
    }
    for (int32_t y : ys) {
      if (y > top && y < bottom && Covered(layout, index, left, y, right, bottom)) bottom = y, changed = true;
      if (y > top && y < bottom && Covered(layout, index, left, top, right, y)) top = y, changed = true;
    }
    r = {left, top, right - left, bottom - top};
  }
  return r;
}

// Control and layout characters as the stand-in AutoCAD logs them.
std::string Visible(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\x1b' ? "<ESC>" : c == '\r' ? "<CR>" : std::string(1, c);
  return out;
}

// What the scripts know of the palette, from its own tables, one fact a line:
//   class <the layout windows' class>
//   rect <layout>:<part> left top width height  (twips; parts client, title,
//        lblMin, lblX, button1 to button4: what a press may hit)
//   menu <menu>:<name> <first entry> <entries>  (numbered as the buttons that open them)
//   entry <menu>:<position> <item> <caption>    (caption as the menu shows it, without "&")
//   command <layout>:<item> <text sent>          (<ESC>, <CR> as the stand-in logs them)
int Facts() {
  std::printf("class %s\n", kLayoutClass);
  for (int n = 1; n <= kLayoutCount; ++n) {
    const LayoutDef& layout = GetLayout(n);
    std::printf("rect %d:client 0 0 %d %d\n", n, static_cast<int>(layout.clientWidth),
                static_cast<int>(layout.clientHeight));
    for (size_t i = 0; i < layout.controls.size(); ++i) {
      const ControlDef& c = layout.controls[i];
      std::string part;
      if (c.role == ControlRole::Title) part = "title";
      else if (c.role == ControlRole::Switch) part = "lblMin";
      else if (c.role == ControlRole::Close) part = "lblX";
      else if (c.role == ControlRole::Command) part = std::string("button") + c.name[std::strlen(c.name) - 1];
      else continue;
      const TwipRect r = PressableRect(layout, i);
      std::printf("rect %d:%s %d %d %d %d\n", n, part.c_str(), static_cast<int>(r.left), static_cast<int>(r.top),
                  static_cast<int>(r.width), static_cast<int>(r.height));
    }
  }
  const auto commands = CommandTable();
  for (size_t m = 0; m < MenuTree().size(); ++m) {
    const MenuDef& menu = MenuTree()[m];
    std::printf("menu %u:%s %u %u\n", static_cast<unsigned>(m + 1), menu.name, static_cast<unsigned>(menu.first),
                static_cast<unsigned>(menu.count));
    for (size_t i = menu.first; i < menu.first + menu.count; ++i) {
      std::string caption = commands[i].caption;
      std::erase(caption, '&');
      std::printf("entry %u:%u %s %s\n", static_cast<unsigned>(m + 1), static_cast<unsigned>(i - menu.first),
                  commands[i].item, caption.c_str());
    }
  }
  for (int n = 1; n <= kLayoutCount; ++n)
    for (size_t i = 0; i < commands.size(); ++i)
      std::printf("command %d:%s %s\n", n, commands[i].item, Visible(CommandText(n, i)).c_str());
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: vdriver box --title T [--press ok|cancel|yes|no] [--timeout MS]\n"
               "       vdriver window --class C [--title T] [--timeout MS]\n"
               "       vdriver gone --class C [--title T] [--timeout MS]\n"
               "       vdriver count --class C [--title T]\n"
               "       vdriver command --class C --item mnuNAME [--timeout MS]\n"
               "       vdriver close --class C [--timeout MS]\n"
               "       vdriver answers --class C [--timeout MS]\n"
               "       vdriver foreground [--title T] [--timeout MS]\n"
               "       vdriver zorder\n"
               "       vdriver above --title T --below T [--timeout MS]\n"
               "       vdriver keys KEY...   (xdotool's names: Return, End, i, alt+F4)\n"
               "       vdriver drag --class C --x X --y Y --moves N\n"
               "       vdriver memory --pid P\n"
               "       vdriver screen | list | facts\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Texts go out byte for byte: no LF to CR LF translation.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) return Usage();
  Args a;
  a.verb = argv[1];
  if (a.verb == "keys") return Keys(argc - 2, argv + 2);
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string k = argv[i], v = argv[i + 1];
    if (k == "--title") a.title = v, a.hasTitle = true;
    else if (k == "--class") a.cls = v, a.hasClass = true;
    else if (k == "--press") a.press = v;
    else if (k == "--timeout") a.timeoutMs = static_cast<DWORD>(std::strtoul(v.c_str(), nullptr, 10));
    else if (k == "--item") a.item = v;
    else if (k == "--below") a.below = v;
    else if (k == "--x") a.x = std::atoi(v.c_str());
    else if (k == "--y") a.y = std::atoi(v.c_str());
    else if (k == "--moves") a.moves = std::atoi(v.c_str());
    else if (k == "--pid") a.pid = static_cast<DWORD>(std::strtoul(v.c_str(), nullptr, 10));
    else return Usage();
  }
  if (a.verb == "box" && a.hasTitle) return Box(a);
  if (a.verb == "window" && (a.hasClass || a.hasTitle)) return Window(a);
  if (a.verb == "gone" && (a.hasClass || a.hasTitle)) return Gone(a);
  if (a.verb == "count") return Count(a);
  if (a.verb == "command" && (a.hasClass || a.hasTitle)) return Command(a);
  if (a.verb == "close" && a.hasClass) return Close(a);
  if (a.verb == "answers" && a.hasClass) return Answers(a);
  if (a.verb == "foreground") return Foreground(a);
  if (a.verb == "zorder") return ZOrder();
  if (a.verb == "above" && a.hasTitle && !a.below.empty()) return Above(a);
  if (a.verb == "drag" && a.hasClass) return Drag(a);
  if (a.verb == "memory" && a.pid) return Memory(a);
  if (a.verb == "screen") return Screen();
  if (a.verb == "list") return List();
  if (a.verb == "facts") return Facts();
  return Usage();
}
