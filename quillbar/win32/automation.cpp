#include "automation.h"

#include <algorithm>
#include <cwchar>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "busy.h"
#include "com_result.h"
#include "scoped_win.h"
#include "error.h"
#include "z_order.h"

namespace {

struct WindowReading;

// One AutoCAD release found running, known by its entry in the running object
// table: a release closed and started again registers a new one under the same
// class, at another time. The member numbers of the names the palette calls are
// looked up once per application object: an object's DISPIDs stay fixed for its
// life, and every drawing of one AutoCAD is of one type. A lookup is a round trip
// to AutoCAD. Its main window is read once too: it lives as long as the
// application does.
struct Release {
  CLSID clsid = CLSID_NULL;  // its class in the running object table
  FILETIME registered{};     // when its object was registered there
  ComPtr<IMoniker> moniker;  // its entry, to take its object once commands go to it
  ComPtr<IDispatch> app;
  DISPID activeDocumentId = DISPID_UNKNOWN, sendCommandId = DISPID_UNKNOWN, hwndId = DISPID_UNKNOWN;
  HWND window = nullptr;
  bool windowRead = false;
  std::shared_ptr<WindowReading> reading;  // a read of its main window still under way
};

// A release the user is not working in may be computing for minutes: its main
// window is read off the palette's thread, waited for this long at a time. Until
// it answers, the release counts as busy: waited for only when it may be in front.
constexpr DWORD kBehindCallMs = 300;

Release acad;                   // acadApp: the release the commands go to
std::vector<Release> others;    // the other releases running at the last choice

// An automation failure: DISP_E_EXCEPTION carries the server's own number and text.
[[noreturn]] void ThrowInvokeError(HRESULT hr, EXCEPINFO& info) {
  if (hr == DISP_E_EXCEPTION) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    const unsigned long number = info.scode ? static_cast<unsigned long>(info.scode) : info.wCode;
    const Bstr source(info.bstrSource), text(info.bstrDescription), helpFile(info.bstrHelpFile);
    const std::string description = text ? Narrow(text.get()) : std::string();
    if (description.empty()) ThrowSystemError(number ? number : static_cast<unsigned long>(hr));
    throw SystemError(number, description);
  }
  ThrowSystemError(static_cast<unsigned long>(hr));
}

DISPID DispIdOf(IDispatch* object, const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  CheckHr(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
  return id;
}

// object.name(args...) by name, its number kept in `id`; the arguments in
// DISPPARAMS order (last first).
void Invoke(IDispatch* object, const wchar_t* name, DISPID& id, WORD flags, VARIANT* args, UINT count,
            VARIANT* result) {
  if (id == DISPID_UNKNOWN) id = DispIdOf(object, name);
  DISPPARAMS params{args, nullptr, count, 0};
  EXCEPINFO info{};
  UINT badArg = 0;
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, &badArg);
  if (FAILED(hr)) ThrowInvokeError(hr, info);
}

// Which AutoCAD a class is, by its ProgID: the version-independent
// "AutoCAD.Application", or a release's own ("AutoCAD.Application.24").
enum class AcadClass { None, Plain, Versioned };

AcadClass ReadAcadClass(const CLSID& clsid) {
  LPOLESTR progId = nullptr;
  if (FAILED(ProgIDFromCLSID(clsid, &progId))) return AcadClass::None;
  constexpr wchar_t prefix[] = L"AutoCAD.Application";
  constexpr size_t length = sizeof prefix / sizeof prefix[0] - 1;
  AcadClass kind = AcadClass::None;
  if (_wcsnicmp(progId, prefix, length) == 0)
    kind = progId[length] == L'\0' ? AcadClass::Plain
           : progId[length] == L'.' && progId[length + 1] != L'\0' ? AcadClass::Versioned
                                                                     : AcadClass::None;
  CoTaskMemFree(progId);
  return kind;
}

// A class's ProgID does not change while the palette runs; each choice walks the
// table, and a registry read per entry would cost more than the command itself.
AcadClass AcadClassOf(const CLSID& clsid) {
  static std::vector<std::pair<CLSID, AcadClass>> known;
  for (const auto& [c, kind] : known)
    if (c == clsid) return kind;
  known.emplace_back(clsid, ReadAcadClass(clsid));
  return known.back().second;
}

struct RunningEntry {
  CLSID clsid;
  AcadClass kind;
  ComPtr<IMoniker> moniker;
  FILETIME registered;  // read (a round trip to the table) only where releases are told apart
};

// The entries with the time each was registered; one that went meanwhile is left out.
std::vector<RunningEntry> WithRegistrationTimes(IRunningObjectTable* table, std::vector<RunningEntry> entries) {
  std::erase_if(entries, [&](RunningEntry& e) { return FAILED(table->GetTimeOfLastChange(e.moniker.Get(), &e.registered)); });
  return entries;
}

// Every AutoCAD in the running object table, one entry per class: a class's
// entry displays as "!{CLSID}". (Two copies of one release register one name,
// and the table gives the first.)
std::vector<RunningEntry> RunningAutoCADs(IRunningObjectTable* table) {
  std::vector<RunningEntry> found;
  ComPtr<IEnumMoniker> entries;
  CheckHr(table->EnumRunning(entries.GetAddressOf()));
  ComPtr<IBindCtx> context;
  CheckHr(CreateBindCtx(0, context.GetAddressOf()));
  ComPtr<IMoniker> entry;
  while (entries->Next(1, entry.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
    LPOLESTR name = nullptr;
    if (FAILED(entry->GetDisplayName(context.Get(), nullptr, &name))) continue;
    const std::wstring display = name;
    CoTaskMemFree(name);
    CLSID clsid;
    if (display.size() != 39 || display[0] != L'!' || FAILED(CLSIDFromString(display.c_str() + 1, &clsid))) continue;
    const AcadClass kind = AcadClassOf(clsid);
    const bool seen = std::any_of(found.begin(), found.end(), [&](const RunningEntry& e) { return e.clsid == clsid; });
    if (kind != AcadClass::None && !seen) found.push_back({clsid, kind, entry, {}});
  }
  return found;
}

bool Busy(unsigned long error) { return error == kCallRejected || error == kRetryLater; }

// Reads AutoCAD's main window, its HWND property, into `window`; 0, or the call's
// error when AutoCAD is busy or gone (then asked again next time). An AutoCAD
// without the property is not asked again: 0 and no window.
unsigned long ReadHwnd(IDispatch* app, DISPID& id, HWND& window) {
  Variant result, number;
  try {
    Invoke(app, L"HWND", id, DISPATCH_PROPERTYGET, nullptr, 0, result.receive());
  } catch (const SystemError& e) {
    return Busy(e.number) || ServerGone(e.number) ? e.number : 0;
  }
  VARIANT read = result.get();
  if (SUCCEEDED(VariantChangeType(number.receive(), &read, 0, VT_I8)))
    window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(number.get().llVal));
  return 0;
}

// The release that commands now go to: its object, taken from the table when it
// was found there, and its main window, unless read already. 0, or the error.
unsigned long TakeObjectAndWindow(Release& r) {
  if (!r.app && r.moniker) {
    ComPtr<IRunningObjectTable> table;
    ComPtr<IUnknown> running;
    HRESULT hr = GetRunningObjectTable(0, table.GetAddressOf());
    if (SUCCEEDED(hr)) hr = table->GetObject(r.moniker.Get(), running.GetAddressOf());
    if (SUCCEEDED(hr)) hr = running.As(&r.app);
    if (FAILED(hr)) return Busy(static_cast<unsigned long>(hr)) ? static_cast<unsigned long>(hr)
                                                               : static_cast<unsigned long>(CO_E_OBJNOTCONNECTED);
  }
  if (!r.app) return static_cast<unsigned long>(CO_E_OBJNOTCONNECTED);
  if (r.windowRead) return 0;
  const unsigned long error = ReadHwnd(r.app.Get(), r.hwndId, r.window);
  r.windowRead = !error;
  return error;
}

// A read of a release's main window on a thread of its own, which may outlive
// the wait for it: the thread owns a share of what it reads, and sets `done` last.
struct WindowReading {
  CLSID clsid;
  HWND window = nullptr;
  unsigned long error = 0;
  const ScopedKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

DWORD WINAPI ReadWindowOffThread(void* param) {
  const std::unique_ptr<std::shared_ptr<WindowReading>> owned(static_cast<std::shared_ptr<WindowReading>*>(param));
  WindowReading& reading = **owned;
  if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    {
      ComPtr<IUnknown> running;
      ComPtr<IDispatch> app;
      HRESULT hr = GetActiveObject(reading.clsid, nullptr, running.GetAddressOf());
      if (SUCCEEDED(hr)) hr = running.As(&app);
      DISPID id = DISPID_UNKNOWN;
      reading.error = FAILED(hr) ? static_cast<unsigned long>(hr) : ReadHwnd(app.Get(), id, reading.window);
    }
    CoUninitialize();
  } else {
    reading.error = static_cast<unsigned long>(E_FAIL);
  }
  SetEvent(reading.done.get());
  return 0;
}

// Reads the main window of a release the user may not be working in, waiting at
// most kBehindCallMs; a read not done by then goes on, and the next look-up waits
// for it again. 0, or the error (kNoAnswerYet when it has not answered).
constexpr unsigned long kNoAnswerYet = static_cast<unsigned long>(RPC_E_CALL_CANCELED);
unsigned long ReadMainWindowBehind(Release& r) {
  if (r.windowRead) return 0;
  if (!r.reading) {
    auto reading = std::make_shared<WindowReading>();
    reading->clsid = r.clsid;
    auto* share = new std::shared_ptr<WindowReading>(reading);
    const ScopedKernelHandle thread(reading->done ? CreateThread(nullptr, 0, ReadWindowOffThread, share, 0, nullptr)
                                                  : nullptr);
    if (!thread) {
      delete share;
      return static_cast<unsigned long>(E_OUTOFMEMORY);
    }
    r.reading = std::move(reading);
  }
  if (WaitForSingleObject(r.reading->done.get(), kBehindCallMs) != WAIT_OBJECT_0) return kNoAnswerYet;
  const std::shared_ptr<WindowReading> reading = std::move(r.reading);
  if (reading->error) return reading->error;
  r.window = reading->window;
  r.windowRead = true;
  return 0;
}

// A process of AutoCAD's, by its program's name.
bool AutoCADProcess(DWORD process) {
  const ScopedKernelHandle p(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!p) return false;
  wchar_t path[MAX_PATH];
  DWORD size = MAX_PATH;
  const bool read = QueryFullProcessImageNameW(p.get(), 0, path, &size);
  const wchar_t* name = read ? std::wcsrchr(path, L'\\') : nullptr;
  return name && _wcsicmp(name + 1, L"acad.exe") == 0;
}

// The shown windows a user can work in, from the top down, each marked by the
// release whose process shows it (see ReleaseInFront).
std::vector<int> WindowsByRelease(const std::vector<Release>& releases, bool busyUnread) {
  std::vector<DWORD> processes;
  for (const Release& r : releases) processes.push_back(r.window && IsWindow(r.window) ? ProcessOf(r.window) : 0);
  std::vector<int> windows;
  FromTheTop([&](HWND h) {
    if (!Shown(h) || Topmost(h) || PalettesOwn(h)) return false;
    const DWORD process = ProcessOf(h);
    const auto known = std::find(processes.begin(), processes.end(), process);
    windows.push_back(known != processes.end() ? static_cast<int>(known - processes.begin())
                      : busyUnread && AutoCADProcess(process) ? kUnknownAutoCAD
                                                              : kOtherProgram);
    return false;
  });
  return windows;
}

// The attached release's main window is in front of every other shown window
// but its own process's, the palette's and topmost ones: no other release can
// be further up, and the running object table need not be walked.
bool AttachedInFront() {
  const DWORD acadProcess = Shown(acad.window) ? ProcessOf(acad.window) : 0;
  if (!acadProcess) return false;
  const HWND first = FromTheTop([&](HWND h) {
    return h == acad.window || (Shown(h) && !Topmost(h) && !PalettesOwn(h) && ProcessOf(h) != acadProcess);
  });
  return first == acad.window;
}

// A kept release that is still the table's entry `e`: registered at the same
// time, and its main window, once read, still there.
bool Same(const Release& kept, const RunningEntry& e) {
  return kept.clsid == e.clsid && CompareFileTime(&kept.registered, &e.registered) == 0 &&
         (!kept.window || IsWindow(kept.window));
}

// With several releases running, the commands go to the one the user works in:
// acad becomes the release in front. A release closed and started again is a new
// one; one whose calls fail as gone is dropped. A release whose main window is
// busy being read, or has not answered yet, may be the one in front: then this
// throws the busy error, and the choice waits. With one release running, nothing
// is asked of it.
void TakeReleaseInFront() {
  if (AttachedInFront()) return;
  ComPtr<IRunningObjectTable> table;
  CheckHr(GetRunningObjectTable(0, table.GetAddressOf()));
  std::vector<RunningEntry> running = RunningAutoCADs(table.Get());
  if (running.size() < 2) return;
  running = WithRegistrationTimes(table.Get(), std::move(running));
  std::vector<Release> kept = std::move(others), releases;
  kept.insert(kept.begin(), std::move(acad));
  acad = Release{};
  // The attached release first, so that it wins a tie; then the others, kept or new.
  std::vector<const RunningEntry*> entries;
  for (const RunningEntry& e : running) entries.push_back(&e);
  std::stable_partition(entries.begin(), entries.end(), [&](const RunningEntry* e) { return Same(kept.front(), *e); });
  bool busyUnread = false;
  for (const RunningEntry* e : entries) {
    const auto k = std::find_if(kept.begin(), kept.end(), [&](const Release& r) { return Same(r, *e); });
    Release r;
    if (k != kept.end()) {
      r = std::move(*k);
      kept.erase(k);
    } else {
      r.clsid = e->clsid;
      r.registered = e->registered;
      r.moniker = e->moniker;
    }
    const unsigned long error = ReadMainWindowBehind(r);
    busyUnread = busyUnread || Busy(error) || error == kNoAnswerYet;
    if (!ServerGone(error)) releases.push_back(std::move(r));
  }
  if (releases.empty()) return;
  const std::optional<size_t> front = ReleaseInFront(WindowsByRelease(releases, busyUnread), busyUnread);
  acad = std::move(releases[front.value_or(0)]);
  releases.erase(releases.begin() + static_cast<std::ptrdiff_t>(front.value_or(0)));
  others = std::move(releases);
  if (!front) ThrowSystemError(kCallRejected);  // waited out as a busy AutoCAD is
}

// The put-back after a hand-back. AutoCAD's thread raises its window when it
// takes the activation, and that can come after it has answered any message of
// ours (under Wine the raise comes back from the X server later still), so the
// palette looks again on a timer and puts the window back once it has risen. It
// never waits for AutoCAD: it only reads the z-order, and the move is posted.
constexpr UINT kRaiseLookMs = 20;
constexpr DWORD kRaiseWatchMs = 5000;
struct RaiseWatch {
  HWND acad = nullptr, above = nullptr;
  std::vector<HWND> own;  // AutoCAD's own windows that stood above it, the lowest first
  DWORD since = 0;
  UINT_PTR timer = 0;
};
RaiseWatch watch;

// True when window `a` stands above window `b` in the z-order.
bool StandsAbove(HWND a, HWND b) {
  return UpFrom(b, [a](HWND h) { return h == a; }) != nullptr;
}

void CALLBACK LookForRaise(HWND, UINT, UINT_PTR, DWORD now) {
  const RaiseWatch w = watch;
  // Watched while AutoCAD keeps the keyboard: once the user works elsewhere,
  // what is above what is theirs.
  const bool live = IsWindow(w.acad) && IsWindow(w.above) && GetForegroundWindow() == w.acad;
  const bool raised = live && StandsAbove(w.acad, w.above);
  // Its own windows go back above it as they stood.
  constexpr UINT kBack = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_ASYNCWINDOWPOS;
  if (raised) {
    SetWindowPos(w.acad, w.above, 0, 0, 0, 0, kBack);
    for (HWND h : w.own)
      if (IsWindow(h)) SetWindowPos(h, w.above, 0, 0, 0, 0, kBack);
  }
  if (raised || !live || now - w.since > kRaiseWatchMs) {
    KillTimer(nullptr, w.timer);
    watch = {};
  }
}

void WatchForRaise(HWND acad, HWND above, std::vector<HWND> own) {
  if (watch.timer) KillTimer(nullptr, watch.timer);
  watch = {acad, above, std::move(own), GetTickCount(), SetTimer(nullptr, 0, kRaiseLookMs, LookForRaise)};
}

}  // namespace

bool AttachApplication() {
  CLSID clsid;
  ComPtr<IUnknown> running;
  ComPtr<IDispatch> app;
  if (SUCCEEDED(CLSIDFromProgID(L"AutoCAD.Application", &clsid)) &&
      SUCCEEDED(GetActiveObject(clsid, nullptr, running.GetAddressOf()))) {
    CheckHr(running.As(&app));
  } else {
    // With several releases installed, the version-independent name points at the
    // one installed last; another release that runs is registered under its own
    // class only.
    ComPtr<IRunningObjectTable> table;
    CheckHr(GetRunningObjectTable(0, table.GetAddressOf()));
    for (const RunningEntry& e : RunningAutoCADs(table.Get()))
      if (e.kind == AcadClass::Versioned && SUCCEEDED(table->GetObject(e.moniker.Get(), running.GetAddressOf())) &&
          SUCCEEDED(running.As(&app))) {
        clsid = e.clsid;
        break;
      }
  }
  if (!app) return false;
  acad = Release{};
  acad.clsid = clsid;
  acad.app = app;
  ComPtr<IRunningObjectTable> table;
  CheckHr(GetRunningObjectTable(0, table.GetAddressOf()));
  for (const RunningEntry& e : WithRegistrationTimes(table.Get(), RunningAutoCADs(table.Get())))
    if (e.clsid == clsid) acad.registered = e.registered;
  others.clear();
  return true;
}

ComPtr<IDispatch> ActiveDocument() {
  TakeReleaseInFront();
  // Never attached (start-up attaches first): as if AutoCAD had gone.
  // Its main window is read here, where a busy AutoCAD is waited out, so that
  // nothing after the delivery has to ask AutoCAD.
  if (const unsigned long error = TakeObjectAndWindow(acad)) ThrowSystemError(error);
  Variant result;
  Invoke(acad.app.Get(), L"ActiveDocument", acad.activeDocumentId, DISPATCH_PROPERTYGET, nullptr, 0, result.receive());
  const VARIANT v = result.get();
  ComPtr<IDispatch> drawing;
  if (v.vt == VT_DISPATCH && v.pdispVal)
    drawing = v.pdispVal;
  else if (v.vt == VT_UNKNOWN && v.punkVal)
    CheckHr(v.punkVal->QueryInterface(IID_PPV_ARGS(&drawing)));
  return drawing;
}

void SendCommandTo(IDispatch* drawing, const std::string& text) {
  Variant arg;
  VARIANT& in = *arg.receive();
  in.bstrVal = BstrFromAnsi(text).release();
  in.vt = VT_BSTR;
  Variant ignored;
  Invoke(drawing, L"SendCommand", acad.sendCommandId, DISPATCH_METHOD, &in, 1, ignored.receive());
}

HWND AcadMainWindow() { return acad.window; }

void ReleaseAutoCAD() {
  acad = Release{};
  others.clear();
}

bool HandKeyboardToAutoCAD() {
  const HWND acad = AcadMainWindow();
  if (!Shown(acad)) return false;
  // Activation alone: nothing is raised. Activating brings a window to the top of
  // its band, so AutoCAD goes back under the window of another program that was
  // above it; AutoCAD's own windows above its main one (the command line, its
  // palettes) are AutoCAD. The palette keeps its place in the topmost band.
  const DWORD acadProcess = ProcessOf(acad);
  std::vector<HWND> own;  // AutoCAD's own shown windows above it, the lowest first
  const HWND above = UpFrom(acad, [&](HWND h) {
    if (!IsWindowVisible(h) || Topmost(h)) return false;
    if (ProcessOf(h) != acadProcess) return true;
    own.push_back(h);
    return false;
  });
  if (!SetForegroundWindow(acad)) return false;
  if (above) WatchForRaise(acad, above, std::move(own));
  return true;
}
