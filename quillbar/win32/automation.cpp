#include "automation.h"

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

#include "busy.h"
#include "com_holders.h"
#include "error.h"

namespace {

// One AutoCAD release found running. The member numbers of the names the
// palette calls are looked up once per application object: an object's DISPIDs
// stay fixed for its life, and every drawing of one AutoCAD is of one type. A
// lookup is a round trip to AutoCAD. Its main window is read once too: it lives
// as long as the application does.
struct Release {
  CLSID clsid = CLSID_NULL;  // its class in the running object table
  ComPtr<IDispatch> app;
  DISPID activeDocumentId = DISPID_UNKNOWN, sendCommandId = DISPID_UNKNOWN, hwndId = DISPID_UNKNOWN;
  HWND window = nullptr;
  bool windowRead = false;
};

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

ComPtr<IDispatch> ObjectOf(IRunningObjectTable* table, IMoniker* moniker) {
  ComPtr<IUnknown> running;
  ComPtr<IDispatch> app;
  if (SUCCEEDED(table->GetObject(moniker, running.GetAddressOf()))) running.As(&app);
  return app;
}

// The release's main window, its HWND property; null when it names none or
// cannot be read now.
HWND MainWindow(Release& r) {
  if (r.windowRead || !r.app) return r.window;
  Variant result, number;
  try {
    Invoke(r.app.Get(), L"HWND", r.hwndId, DISPATCH_PROPERTYGET, nullptr, 0, &result.v);
  } catch (const SystemError& e) {
    // Busy now: asked again next time. An AutoCAD without the property is not asked again.
    r.windowRead = e.number != kCallRejected && e.number != kRetryLater;
    return nullptr;
  }
  r.windowRead = true;
  if (SUCCEEDED(VariantChangeType(&number.v, &result.v, 0, VT_I8)))
    r.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(number.v.llVal));
  return r.window;
}

bool Shown(HWND window) { return window && IsWindowVisible(window) && !IsIconic(window); }

// Of several releases, the one whose main window is highest in the z-order;
// one without a shown main window comes after every one with. Ties keep the
// order given (the attached release first).
size_t FrontMost(const std::vector<Release>& releases) {
  for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
    for (size_t i = 0; i < releases.size(); ++i)
      if (releases[i].window == h && Shown(h)) return i;
  return 0;
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

// With several releases running, the commands go to the one the user works in:
// acad becomes the release in front. With one running, nothing is asked of it.
void TakeReleaseInFront() {
  if (AttachedInFront()) return;
  ComPtr<IRunningObjectTable> table;
  CheckHr(GetRunningObjectTable(0, table.GetAddressOf()));
  const std::vector<RunningEntry> running = RunningAutoCADs(table.Get());
  if (running.size() < 2) return;
  std::vector<Release> releases;
  if (acad.app && std::any_of(running.begin(), running.end(), [](const RunningEntry& e) { return e.clsid == acad.clsid; }))
    releases.push_back(std::move(acad));
  for (const RunningEntry& e : running) {
    if (std::any_of(releases.begin(), releases.end(), [&](const Release& r) { return r.clsid == e.clsid; })) continue;
    const auto known = std::find_if(others.begin(), others.end(), [&](const Release& r) { return r.clsid == e.clsid; });
    if (known != others.end()) {
      releases.push_back(std::move(*known));
    } else if (ComPtr<IDispatch> app = ObjectOf(table.Get(), e.moniker.Get())) {
      Release r;
      r.clsid = e.clsid;
      r.app = app;
      releases.push_back(std::move(r));
    }
  }
  if (releases.empty()) return;
  for (Release& r : releases) MainWindow(r);
  const size_t front = FrontMost(releases);
  acad = std::move(releases[front]);
  releases.erase(releases.begin() + static_cast<std::ptrdiff_t>(front));
  others = std::move(releases);
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
      if (e.kind == AcadClass::Versioned && (app = ObjectOf(table.Get(), e.moniker.Get()))) {
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

ComPtr<IDispatch> ActiveDocument() {
  TakeReleaseInFront();
  // Never attached (start-up attaches first): as if AutoCAD had gone.
  if (!acad.app) ThrowSystemError(static_cast<unsigned long>(CO_E_OBJNOTCONNECTED));
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

HWND AcadMainWindow() { return MainWindow(acad); }

void ReleaseAutoCAD() {
  acad = Release{};
  others.clear();
}
