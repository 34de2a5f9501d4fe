#include "automation.h"

#include <algorithm>
#include <cwchar>
#include <optional>
#include <utility>
#include <vector>

#include "busy.h"
#include "com_holders.h"
#include "error.h"
#include "message_filter.h"

namespace {

// One AutoCAD release found running, known by its running object: a release
// closed and started again registers a new one under the same class. The member
// numbers of the names the palette calls are looked up once per application
// object: an object's DISPIDs stay fixed for its life, and every drawing of one
// AutoCAD is of one type. A lookup is a round trip to AutoCAD. Its main window is
// read once too: it lives as long as the application does.
struct Release {
  CLSID clsid = CLSID_NULL;  // its class in the running object table
  ComPtr<IUnknown> object;   // the running object (COM gives one pointer per object)
  ComPtr<IDispatch> app;
  DISPID activeDocumentId = DISPID_UNKNOWN, sendCommandId = DISPID_UNKNOWN, hwndId = DISPID_UNKNOWN;
  HWND window = nullptr;
  bool windowRead = false;
};

// A release the user is not working in may be computing for minutes: a call into
// it is given up after this long, and it counts as not in front for that choice.
constexpr unsigned kBehindCallMs = 300;

Release acad;                   // acadApp: the release the commands go to
std::vector<Release> others;    // the other releases running at the last choice

// An automation failure: DISP_E_EXCEPTION carries the server's own number and text.
[[noreturn]] void ThrowInvokeError(HRESULT hr, EXCEPINFO& info) {
  if (hr == DISP_E_EXCEPTION) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    const unsigned long number = info.scode ? static_cast<unsigned long>(info.scode) : info.wCode;
    std::string description = info.bstrDescription ? Narrow(info.bstrDescription) : std::string();
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
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
};

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
    if (kind != AcadClass::None && !seen) found.push_back({clsid, kind, entry});
  }
  return found;
}

// Reads the release's main window, its HWND property, unless read already;
// 0, or the call's error (busy, gone, cancelled): then asked again next time. An
// AutoCAD without the property is not asked again.
unsigned long ReadMainWindow(Release& r) {
  if (r.windowRead) return 0;
  Variant result, number;
  try {
    if (!r.app) CheckHr(r.object.As(&r.app));
    Invoke(r.app.Get(), L"HWND", r.hwndId, DISPATCH_PROPERTYGET, nullptr, 0, &result.v);
  } catch (const SystemError& e) {
    if (!r.app || e.number == kCallRejected || e.number == kRetryLater || ServerGone(e.number) ||
        e.number == static_cast<unsigned long>(RPC_E_CALL_CANCELED))
      return e.number ? e.number : static_cast<unsigned long>(E_FAIL);
  }
  r.windowRead = true;
  if (SUCCEEDED(VariantChangeType(&number.v, &result.v, 0, VT_I8)))
    r.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(number.v.llVal));
  return 0;
}

bool Busy(unsigned long error) { return error == kCallRejected || error == kRetryLater; }

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

bool Shown(HWND window) { return window && IsWindowVisible(window) && !IsIconic(window); }

// A process of AutoCAD's, by its program's name.
bool AutoCADProcess(DWORD process) {
  HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  if (!p) return false;
  wchar_t path[MAX_PATH];
  DWORD size = MAX_PATH;
  const bool read = QueryFullProcessImageNameW(p, 0, path, &size);
  CloseHandle(p);
  const wchar_t* name = read ? std::wcsrchr(path, L'\\') : nullptr;
  return name && _wcsicmp(name + 1, L"acad.exe") == 0;
}

// The shown windows a user can work in, from the top down, each marked by the
// release whose process shows it (see ReleaseInFront).
std::vector<int> WindowsByRelease(const std::vector<Release>& releases, bool busyUnread) {
  std::vector<DWORD> processes;
  for (const Release& r : releases) processes.push_back(r.window && IsWindow(r.window) ? ProcessOf(r.window) : 0);
  const DWORD ownProcess = GetCurrentProcessId();
  std::vector<int> windows;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (!Shown(h) || (GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_TOPMOST)) continue;
    const DWORD process = ProcessOf(h);
    if (process == ownProcess) continue;
    const auto known = std::find(processes.begin(), processes.end(), process);
    windows.push_back(known != processes.end() ? static_cast<int>(known - processes.begin())
                      : busyUnread && AutoCADProcess(process) ? kUnknownAutoCAD
                                                              : kOtherProgram);
  }
  return windows;
}

// The attached release's main window is in front of every other shown window
// but its own process's, the palette's and topmost ones: no other release can
// be further up, and the running object table need not be walked.
bool AttachedInFront() {
  DWORD acadProcess = 0, ownProcess = GetCurrentProcessId();
  if (!Shown(acad.window) || !GetWindowThreadProcessId(acad.window, &acadProcess)) return false;
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (h == acad.window) return true;
    DWORD process = 0;
    GetWindowThreadProcessId(h, &process);
    if (Shown(h) && process != acadProcess && process != ownProcess &&
        !(GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_TOPMOST))
      return false;
  }
  return false;
}

// A kept release that is still the running object `object` of class `clsid`.
// Its main window is gone when the release was closed (COM may hand a restarted
// copy the old object's pointer: under Wine a new process can reuse the old one's
// numbers); then it is a new release.
bool Same(const Release& kept, const CLSID& clsid, IUnknown* object) {
  return kept.object && kept.clsid == clsid && kept.object.Get() == object &&
         (!kept.windowRead || !kept.window || IsWindow(kept.window));
}

// The kept release that is still `object` of class `clsid`, moved out of `kept`.
std::optional<Release> TakeKept(std::vector<Release>& kept, const CLSID& clsid, IUnknown* object) {
  const auto r = std::find_if(kept.begin(), kept.end(), [&](const Release& k) { return Same(k, clsid, object); });
  if (r == kept.end()) return std::nullopt;
  Release taken = std::move(*r);
  kept.erase(r);
  return taken;
}

// With several releases running, the commands go to the one the user works in:
// acad becomes the release in front. A release closed and started again is a new
// one; one whose calls fail as gone is dropped. A release whose main window is
// busy being read may be the one in front: then this throws the busy error, and
// the choice waits. With one release running, nothing is asked of it.
void TakeReleaseInFront() {
  if (AttachedInFront()) return;
  ComPtr<IRunningObjectTable> table;
  CheckHr(GetRunningObjectTable(0, table.GetAddressOf()));
  const std::vector<RunningEntry> running = RunningAutoCADs(table.Get());
  if (running.size() < 2) return;
  std::vector<Release> kept = std::move(others), releases;
  kept.insert(kept.begin(), std::move(acad));
  acad = Release{};
  // Taking a new release's object from the table asks that AutoCAD, which may refuse as busy.
  bool busyUnread = false;
  std::vector<ComPtr<IUnknown>> objects(running.size());
  for (size_t i = 0; i < running.size(); ++i) {
    const HRESULT hr = table->GetObject(running[i].moniker.Get(), objects[i].GetAddressOf());
    if (FAILED(hr)) objects[i].Reset();
    busyUnread = busyUnread || Busy(static_cast<unsigned long>(hr));
  }
  // The attached release first, so that it wins a tie; then the others, kept or new.
  for (size_t i = 0; i < running.size(); ++i)
    if (objects[i] && Same(kept.front(), running[i].clsid, objects[i].Get())) {
      releases.push_back(std::move(kept.front()));
      objects[i].Reset();
    }
  for (size_t i = 0; i < running.size(); ++i) {
    if (!objects[i]) continue;
    if (std::optional<Release> r = TakeKept(kept, running[i].clsid, objects[i].Get())) {
      releases.push_back(std::move(*r));
    } else {
      Release fresh;
      fresh.clsid = running[i].clsid;
      fresh.object = objects[i];
      releases.push_back(std::move(fresh));
    }
  }
  for (auto r = releases.begin(); r != releases.end();) {
    unsigned long error = 0;
    {
      CallDeadline bound(kBehindCallMs);
      error = ReadMainWindow(*r);
    }
    busyUnread = busyUnread || Busy(error);
    r = ServerGone(error) ? releases.erase(r) : r + 1;
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
  acad.object = running;
  acad.app = app;
  others.clear();
  return true;
}

ComPtr<IDispatch> ActiveDocument() {
  TakeReleaseInFront();
  // Never attached (start-up attaches first): as if AutoCAD had gone.
  if (!acad.object) ThrowSystemError(static_cast<unsigned long>(CO_E_OBJNOTCONNECTED));
  // Its main window is read here, where a busy AutoCAD is waited out, so that
  // nothing after the delivery has to ask AutoCAD.
  const unsigned long error = ReadMainWindow(acad);
  if (error) ThrowSystemError(error);
  Variant result;
  Invoke(acad.app.Get(), L"ActiveDocument", acad.activeDocumentId, DISPATCH_PROPERTYGET, nullptr, 0, &result.v);
  ComPtr<IDispatch> drawing;
  if (result.v.vt == VT_DISPATCH && result.v.pdispVal)
    drawing = result.v.pdispVal;
  else if (result.v.vt == VT_UNKNOWN && result.v.punkVal)
    CheckHr(result.v.punkVal->QueryInterface(IID_PPV_ARGS(&drawing)));
  return drawing;
}

void SendCommandTo(IDispatch* drawing, const std::string& text) {
  const std::wstring wide = Widen(text);
  Variant arg;
  arg.v.vt = VT_BSTR;
  arg.v.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (!arg.v.bstrVal) ThrowSystemError(static_cast<unsigned long>(E_OUTOFMEMORY));
  Variant ignored;
  Invoke(drawing, L"SendCommand", acad.sendCommandId, DISPATCH_METHOD, &arg.v, 1, &ignored.v);
}

HWND AcadMainWindow() { return acad.window; }

void ReleaseAutoCAD() {
  acad = Release{};
  others.clear();
}
