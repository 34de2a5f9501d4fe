#include "releases.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "acad_process.h"
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
  bool registeredRead = false;
  ComPtr<IMoniker> moniker;  // its entry, to take its object once commands go to it
  ComPtr<IDispatch> app;
  DISPID activeDocumentId = DISPID_UNKNOWN, sendCommandId = DISPID_UNKNOWN, hwndId = DISPID_UNKNOWN;
  HWND window = nullptr;
  bool windowRead = false;
  std::shared_ptr<WindowReading> reading;  // a read of its main window still under way
};

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
  int copies;           // entries of this class: a second copy of a release registers it again
};

// The entries with the time each was registered; one that went meanwhile is left out.
std::vector<RunningEntry> WithRegistrationTimes(IRunningObjectTable* table, std::vector<RunningEntry> entries) {
  std::erase_if(entries, [&](RunningEntry& e) { return FAILED(table->GetTimeOfLastChange(e.moniker.Get(), &e.registered)); });
  return entries;
}

// Every AutoCAD in the running object table, one entry per class: a class's
// entry displays as "!{CLSID}". Two copies of one release register one name, and
// the table gives out only the first: the entry counts them.
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
    const auto seen = std::find_if(found.begin(), found.end(), [&](const RunningEntry& e) { return e.clsid == clsid; });
    if (seen != found.end())
      ++seen->copies;
    else if (kind != AcadClass::None)
      found.push_back({clsid, kind, entry, {}, 1});
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
// the wait for it: the thread owns a share of what it reads, and sets `done` once
// `window` or `error` holds its answer.
struct WindowReading {
  CLSID clsid;
  HWND window = nullptr;
  unsigned long error = 0;
  const ScopedKernelHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// Nothing is thrown past a thread's top: the read's error is handed over in
// `error`. The answer is signalled before the thread lets go of AutoCAD's object
// and of COM, which are calls into AutoCAD too: a release that answered and then
// got busy is not kept waiting for.
DWORD WINAPI ReadWindowOffThread(void* param) {
  const std::unique_ptr<std::shared_ptr<WindowReading>> owned(static_cast<std::shared_ptr<WindowReading>*>(param));
  WindowReading& reading = **owned;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  {
    ComPtr<IDispatch> app;
    try {
      CheckHr(com);
      app = RunningObject(reading.clsid);
      if (!app) ThrowSystemError(static_cast<unsigned long>(MK_E_UNAVAILABLE));
      DISPID id = DISPID_UNKNOWN;
      reading.window = ReadMainWindow(app.Get(), id);
    } catch (const SystemError& e) {
      reading.error = e.number;
    } catch (...) {
      reading.error = static_cast<unsigned long>(E_OUTOFMEMORY);
    }
    SetEvent(reading.done.get());
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

// Starts the read of a release's main window, unless one is under way. Where no
// thread can be had the release stays unread, as one that has not answered.
void StartReading(Release& r) {
  if (r.windowRead || r.reading) return;
  auto reading = std::make_shared<WindowReading>();
  reading->clsid = r.clsid;
  auto* share = new std::shared_ptr<WindowReading>(reading);
  const ScopedKernelHandle thread(reading->done ? CreateThread(nullptr, 0, ReadWindowOffThread, share, 0, nullptr)
                                                : nullptr);
  if (!thread) {
    delete share;
    return;
  }
  r.reading = std::move(reading);
}

// Takes the answer of a read that is done. Throws the read's error.
void TakeReading(Release& r) {
  if (!r.reading || WaitForSingleObject(r.reading->done.get(), 0) != WAIT_OBJECT_0) return;
  const std::shared_ptr<WindowReading> reading = std::move(r.reading);
  if (reading->error) ThrowSystemError(reading->error);
  r.window = reading->window;
  r.windowRead = true;
}

// What the desk shows now, with `releases` known and the user coming from
// `cameFrom`: the windows the user can see down to the first of a known release,
// below which nothing decides.
Desk DeskNow(const std::vector<const Release*>& releases, HWND cameFrom, Unread unread, bool secondCopy) {
  Desk desk;
  if (cameFrom && IsWindow(cameFrom)) desk.cameFrom = WindowFacts{ProcessOf(cameFrom), true};
  for (const Release* r : releases) desk.releases.push_back(r->window && IsWindow(r->window) ? ProcessOf(r->window) : 0);
  const auto known = [&](DWORD process) {
    return process && std::find(desk.releases.begin(), desk.releases.end(), process) != desk.releases.end();
  };
  FromTheTop([&](HWND h) {
    // A known main window is told at once: the walk stops at the first there is.
    const auto r = std::find_if(releases.begin(), releases.end(), [h](const Release* r) { return r->window == h; });
    if (r != releases.end()) {
      if (!ShownOnThisDesktop(h)) return false;
      desk.windows.push_back({desk.releases[static_cast<size_t>(r - releases.begin())], true});
      return true;
    }
    DWORD process = 0;
    if (!MayWorkIn(h, process)) return false;
    desk.windows.push_back({process, true});
    return known(process);
  });
  desk.kindOf = [](unsigned long process) { return KindOf(process); };
  desk.unread = unread;
  desk.secondCopy = secondCopy;
  return desk;
}

// A kept release that is still the table's entry `e`: registered at the same
// time, and its main window, once read, still there.
bool Same(const Release& kept, const RunningEntry& e) {
  return kept.clsid == e.clsid && CompareFileTime(&kept.registered, &e.registered) == 0 &&
         (!kept.window || IsWindow(kept.window));
}

// The commands go to the AutoCAD the user works in: acad becomes that release.
// With the attached release's windows above every other AutoCAD's (or the user
// coming from it), nothing more is asked. Else the running object table is
// walked: a release closed and started again is a new one, one whose calls fail
// as gone is dropped, and the main windows not known yet are read, all at once,
// only where an AutoCAD no known release owns stands in front. Where that may be
// a release that is busy or has not answered yet, or one still starting, this
// throws the busy error and the choice waits; where it is a second copy of a
// release or one started with other rights, the answer says so.
Front TakeReleaseInFront(const ChoiceContext& choice) {
  if (acad.windowRead && ReleaseInFront(DeskNow({&acad}, choice.cameFrom, Unread::None, false)).front == Front::Release)
    return Front::Release;
  ComPtr<IRunningObjectTable> table;
  CheckHr(GetRunningObjectTable(0, table.GetAddressOf()));
  std::vector<RunningEntry> running = RunningAutoCADs(table.Get());
  const bool secondCopy = std::any_of(running.begin(), running.end(), [](const RunningEntry& e) { return e.copies > 1; });
  std::vector<Release> releases;
  if (running.size() < 2) {
    // The attached release is the one there is: asked as the release commands go
    // to. Its window gone, it has gone too, and the choice attaches anew; without
    // a main window nothing tells its windows from others', and it gets the command.
    TakeObjectAndWindow(acad);
    if (!acad.window) return Front::Release;
    if (!IsWindow(acad.window)) ThrowSystemError(static_cast<unsigned long>(CO_E_OBJNOTCONNECTED));
    releases.push_back(std::move(acad));
  } else {
    running = WithRegistrationTimes(table.Get(), std::move(running));
    // The attached release's registration is read here, where releases are told
    // apart, not at the attach: a start with one release running needs none.
    if (!acad.registeredRead)
      for (const RunningEntry& e : running)
        if (e.clsid == acad.clsid) acad.registered = e.registered;
    acad.registeredRead = true;
    std::vector<Release> kept = std::move(others);
    kept.insert(kept.begin(), std::move(acad));
    // The attached release first, so that it wins a tie; then the others, kept or new.
    std::vector<const RunningEntry*> entries;
    for (const RunningEntry& e : running) entries.push_back(&e);
    std::stable_partition(entries.begin(), entries.end(), [&](const RunningEntry* e) { return Same(kept.front(), *e); });
    for (const RunningEntry* e : entries) {
      const auto k = std::find_if(kept.begin(), kept.end(), [&](const Release& r) { return Same(r, *e); });
      Release r;
      if (k != kept.end()) {
        r = std::move(*k);
        kept.erase(k);
      } else {
        r.clsid = e->clsid;
        r.registered = e->registered;
        r.registeredRead = true;
        r.moniker = e->moniker;
      }
      releases.push_back(std::move(r));
    }
  }
  acad = Release{};
  others.clear();
  // The one place a release's failure is answered: one that has gone is dropped;
  // one that is busy, or has not answered yet, stays unread.
  const auto takeAnswers = [&] {
    std::erase_if(releases, [](Release& r) {
      try {
        TakeReading(r);
      } catch (const SystemError& e) {
        return ServerGone(e.number);
      }
      return false;
    });
  };
  const auto decide = [&](Unread unread) {
    std::vector<const Release*> known;
    for (const Release& r : releases) known.push_back(&r);
    const bool anyUnread = std::any_of(releases.begin(), releases.end(), [](const Release& r) { return !r.windowRead; });
    return ReleaseInFront(DeskNow(known, choice.cameFrom, anyUnread ? unread : Unread::None, secondCopy));
  };
  takeAnswers();
  InFront front = decide(Unread::NotAsked);
  if (front.front == Front::Read) {
    std::vector<HANDLE> reads;
    for (Release& r : releases) {
      StartReading(r);
      if (r.reading) reads.push_back(r.reading->done.get());
    }
    const ULONGLONG now = GetTickCount64();
    if (!reads.empty() && now < choice.readsUntil && choice.waitForReads) choice.waitForReads(reads, static_cast<DWORD>(choice.readsUntil - now));
    takeAnswers();
    front = decide(Unread::NoAnswer);
  }
  if (releases.empty()) ThrowSystemError(static_cast<unsigned long>(CO_E_OBJNOTCONNECTED));
  const size_t chosen = front.front == Front::Release ? std::min(front.release, releases.size() - 1) : 0;
  acad = std::move(releases[chosen]);
  releases.erase(releases.begin() + static_cast<std::ptrdiff_t>(chosen));
  others = std::move(releases);
  // Waited out as a busy AutoCAD is.
  if (front.front == Front::Read || front.front == Front::Wait) ThrowSystemError(kCallRejected);
  return front.front;
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
  others.clear();
  return true;
}

DrawingRead ActiveDocument(const ChoiceContext& choice, ComPtr<IDispatch>& drawing) {
  switch (TakeReleaseInFront(choice)) {
    case Front::SecondCopy: return DrawingRead::SecondCopy;
    case Front::OtherElevation: return DrawingRead::OtherElevation;
    default: break;
  }
  // Its main window is read here, where a busy AutoCAD is waited out, so that
  // nothing after the delivery has to ask AutoCAD.
  TakeObjectAndWindow(acad);
  drawing = ReadActiveDocument(acad.app.Get(), acad.activeDocumentId);
  return drawing ? DrawingRead::Found : DrawingRead::NoDrawing;
}

void SendCommandTo(IDispatch* drawing, const std::string& text) { SendCommand(drawing, acad.sendCommandId, text); }

HWND AcadMainWindow() { return acad.window; }

void ReleaseAutoCAD() {
  acad = Release{};
  others.clear();
}
