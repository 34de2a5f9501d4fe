#include "releases.h"

#include <algorithm>
#include <cwchar>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "automation.h"
#include "busy.h"
#include "com_result.h"
#include "error.h"
#include "release_in_front.h"
#include "z_order.h"

namespace {

struct WindowReading;

// One AutoCAD release found running, known by its entry in the running object
// table: a release closed and started again registers a new one under the same
// class, at another time. The member numbers of the names the palette calls are
// kept per application object, and its main window is read once: it lives as
// long as the application does.
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

Release acad;                 // acadApp: the release the commands go to
std::vector<Release> others;  // the other releases running at the last choice

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

// The release that commands now go to: its object, taken from the table when it
// was found there, and its main window, unless read already.
void TakeObjectAndWindow(Release& r) {
  if (!r.app && r.moniker) {
    ComPtr<IRunningObjectTable> table;
    ComPtr<IUnknown> running;
    HRESULT hr = GetRunningObjectTable(0, table.GetAddressOf());
    if (SUCCEEDED(hr)) hr = table->GetObject(r.moniker.Get(), running.GetAddressOf());
    if (SUCCEEDED(hr)) hr = running.As(&r.app);
    // A busy release is waited for; one whose object cannot be had has gone.
    if (FAILED(hr)) ThrowSystemError(ServerBusy(hr) ? hr : CO_E_OBJNOTCONNECTED);
  }
  // Never attached (start-up attaches first): as if AutoCAD had gone.
  if (!r.app) ThrowSystemError(CO_E_OBJNOTCONNECTED);
  if (r.windowRead) return;
  r.window = ReadMainWindow(r.app.Get(), r.hwndId);
  r.windowRead = true;
}

// A read of a release's main window on a thread of its own, which may outlive
// the wait for it: the thread owns a share of what it reads, and sets `done` last.
struct WindowReading {
  CLSID clsid;
  HWND window = nullptr;
  unsigned long error = 0;
  const ScopedKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// Nothing is thrown past a thread's top: the read's error is handed over in `error`.
DWORD WINAPI ReadWindowOffThread(void* param) {
  const std::unique_ptr<std::shared_ptr<WindowReading>> owned(static_cast<std::shared_ptr<WindowReading>*>(param));
  WindowReading& reading = **owned;
  if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    try {
      const ComPtr<IDispatch> app = RunningObject(reading.clsid);
      if (!app) ThrowSystemError(MK_E_UNAVAILABLE);
      DISPID id = DISPID_UNKNOWN;
      reading.window = ReadMainWindow(app.Get(), id);
    } catch (const SystemError& e) {
      reading.error = e.number;
    } catch (...) {
      reading.error = static_cast<unsigned long>(E_OUTOFMEMORY);
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
// for it again. Throws the read's error, kNoAnswerYet when it has not answered.
constexpr unsigned long kNoAnswerYet = static_cast<unsigned long>(RPC_E_CALL_CANCELED);
void ReadMainWindowBehind(Release& r) {
  if (r.windowRead) return;
  if (!r.reading) {
    auto reading = std::make_shared<WindowReading>();
    reading->clsid = r.clsid;
    auto* share = new std::shared_ptr<WindowReading>(reading);
    const ScopedKernelHandle thread(reading->done ? CreateThread(nullptr, 0, ReadWindowOffThread, share, 0, nullptr)
                                                  : nullptr);
    if (!thread) {
      delete share;
      ThrowSystemError(static_cast<unsigned long>(E_OUTOFMEMORY));
    }
    r.reading = std::move(reading);
  }
  if (WaitForSingleObject(r.reading->done.get(), kBehindCallMs) != WAIT_OBJECT_0) ThrowSystemError(kNoAnswerYet);
  const std::shared_ptr<WindowReading> reading = std::move(r.reading);
  if (reading->error) ThrowSystemError(reading->error);
  r.window = reading->window;
  r.windowRead = true;
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
    // The one place a release's failure is answered: one that has gone is
    // dropped; a busy one, or one that has not answered yet, may be in front.
    try {
      ReadMainWindowBehind(r);
    } catch (const SystemError& e) {
      if (ServerGone(e.number)) continue;
      busyUnread = busyUnread || ServerBusy(e.number) || e.number == kNoAnswerYet;
    }
    releases.push_back(std::move(r));
  }
  if (releases.empty()) return;
  const std::optional<size_t> front = ReleaseInFront(WindowsByRelease(releases, busyUnread), busyUnread);
  acad = std::move(releases[front.value_or(0)]);
  releases.erase(releases.begin() + static_cast<std::ptrdiff_t>(front.value_or(0)));
  others = std::move(releases);
  if (!front) ThrowSystemError(kCallRejected);  // waited out as a busy AutoCAD is
}

}  // namespace

bool AttachApplication() {
  CLSID clsid;
  ComPtr<IDispatch> app;
  if (SUCCEEDED(CLSIDFromProgID(L"AutoCAD.Application", &clsid))) app = RunningObject(clsid);
  if (!app) {
    // With several releases installed, the version-independent name points at the
    // one installed last; another release that runs is registered under its own
    // class only.
    ComPtr<IRunningObjectTable> table;
    CheckHr(GetRunningObjectTable(0, table.GetAddressOf()));
    ComPtr<IUnknown> running;
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
  // Its main window is read here, where a busy AutoCAD is waited out, so that
  // nothing after the delivery has to ask AutoCAD.
  TakeObjectAndWindow(acad);
  return ReadActiveDocument(acad.app.Get(), acad.activeDocumentId);
}

void SendCommandTo(IDispatch* drawing, const std::string& text) { SendCommand(drawing, acad.sendCommandId, text); }

HWND AcadMainWindow() { return acad.window; }

void ReleaseAutoCAD() {
  acad = Release{};
  others.clear();
}
