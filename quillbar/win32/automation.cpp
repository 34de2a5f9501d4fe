#include "automation.h"

#include <cwchar>

#include "busy.h"
#include "com_holders.h"
#include "error.h"

namespace {

ComPtr<IDispatch> acadApp;
// The member numbers of the two names the palette calls, looked up once per
// attached AutoCAD: an object's DISPIDs stay fixed for its life, and every
// drawing of one AutoCAD is of one type. A lookup is a round trip to AutoCAD.
DISPID activeDocumentId = DISPID_UNKNOWN;
DISPID sendCommandId = DISPID_UNKNOWN;
DISPID hwndId = DISPID_UNKNOWN;
// Its main window, read once: it lives as long as the application does.
HWND mainWindow = nullptr;
bool mainWindowRead = false;

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

// A class whose ProgID is a versioned AutoCAD application's: "AutoCAD.Application.24".
bool VersionedAcadClass(const CLSID& clsid) {
  LPOLESTR progId = nullptr;
  if (FAILED(ProgIDFromCLSID(clsid, &progId))) return false;
  constexpr wchar_t prefix[] = L"AutoCAD.Application.";
  constexpr size_t length = sizeof prefix / sizeof prefix[0] - 1;
  const bool versioned = _wcsnicmp(progId, prefix, length) == 0 && progId[length] != L'\0';
  CoTaskMemFree(progId);
  return versioned;
}

// With several releases installed, the version-independent name points at the one
// installed last; another release that runs is registered under its own class
// only. Its entry in the running object table displays as "!{CLSID}".
ComPtr<IDispatch> RunningVersionedAutoCAD() {
  ComPtr<IRunningObjectTable> table;
  CheckHr(GetRunningObjectTable(0, table.GetAddressOf()));
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
    if (display.size() != 39 || display[0] != L'!' || FAILED(CLSIDFromString(display.c_str() + 1, &clsid)) ||
        !VersionedAcadClass(clsid))
      continue;
    ComPtr<IUnknown> running;
    ComPtr<IDispatch> app;
    if (SUCCEEDED(table->GetObject(entry.Get(), running.GetAddressOf())) && SUCCEEDED(running.As(&app))) return app;
  }
  return nullptr;
}

}  // namespace

bool AttachApplication() {
  CLSID clsid;
  ComPtr<IUnknown> running;
  ComPtr<IDispatch> app;
  if (SUCCEEDED(CLSIDFromProgID(L"AutoCAD.Application", &clsid)) &&
      SUCCEEDED(GetActiveObject(clsid, nullptr, running.GetAddressOf())))
    CheckHr(running.As(&app));
  else
    app = RunningVersionedAutoCAD();
  if (!app) return false;
  acadApp = app;
  activeDocumentId = sendCommandId = hwndId = DISPID_UNKNOWN;
  mainWindow = nullptr;
  mainWindowRead = false;
  return true;
}

ComPtr<IDispatch> ActiveDocument() {
  // Never attached (start-up attaches first): as if AutoCAD had gone.
  if (!acadApp) ThrowSystemError(static_cast<unsigned long>(CO_E_OBJNOTCONNECTED));
  Variant result;
  Invoke(acadApp.Get(), L"ActiveDocument", activeDocumentId, DISPATCH_PROPERTYGET, nullptr, 0, &result.v);
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
  Invoke(drawing, L"SendCommand", sendCommandId, DISPATCH_METHOD, &arg.v, 1, &ignored.v);
}

HWND AcadMainWindow() {
  if (mainWindowRead || !acadApp) return mainWindow;
  Variant result, number;
  try {
    Invoke(acadApp.Get(), L"HWND", hwndId, DISPATCH_PROPERTYGET, nullptr, 0, &result.v);
  } catch (const SystemError& e) {
    // Busy now: asked again next time. An AutoCAD without the property is not asked again.
    mainWindowRead = e.number != kCallRejected && e.number != kRetryLater;
    return nullptr;
  }
  mainWindowRead = true;
  if (SUCCEEDED(VariantChangeType(&number.v, &result.v, 0, VT_I8)))
    mainWindow = reinterpret_cast<HWND>(static_cast<LONG_PTR>(number.v.llVal));
  return mainWindow;
}

void ReleaseAutoCAD() { acadApp.Reset(); }
