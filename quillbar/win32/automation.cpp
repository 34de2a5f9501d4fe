#include "automation.h"

#include "com_holders.h"
#include "error.h"

namespace {

ComPtr<IDispatch> acadApp;
ComPtr<IDispatch> acadDoc;

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

// object.name(args...) by name; the arguments in DISPPARAMS order (last first).
void Invoke(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT count, VARIANT* result) {
  const DISPID id = DispIdOf(object, name);
  DISPPARAMS params{args, nullptr, count, 0};
  EXCEPINFO info{};
  UINT badArg = 0;
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, &badArg);
  if (FAILED(hr)) ThrowInvokeError(hr, info);
}

}  // namespace

void AttachApplication() {
  CLSID clsid;
  CheckHr(CLSIDFromProgID(L"AutoCAD.Application", &clsid));
  ComPtr<IUnknown> running;
  CheckHr(GetActiveObject(clsid, nullptr, running.GetAddressOf()));
  ComPtr<IDispatch> app;
  CheckHr(running.As(&app));
  acadApp = app;
}

void ReadActiveDocument() {
  Variant result;
  Invoke(acadApp.Get(), L"ActiveDocument", DISPATCH_PROPERTYGET, nullptr, 0, &result.v);
  ComPtr<IDispatch> doc;
  if (result.v.vt == VT_DISPATCH && result.v.pdispVal)
    doc = result.v.pdispVal;
  else if (result.v.vt == VT_UNKNOWN && result.v.punkVal)
    CheckHr(result.v.punkVal->QueryInterface(IID_PPV_ARGS(&doc)));
  // No drawing open: there is nothing to send commands to.
  if (!doc) ThrowSystemError(static_cast<unsigned long>(DISP_E_TYPEMISMATCH));
  acadDoc = doc;
}

void SendCommandToDrawing(const std::string& text) {
  if (!acadDoc) ThrowSystemError(static_cast<unsigned long>(E_POINTER));
  const std::wstring wide = Widen(text);
  Variant arg;
  arg.v.vt = VT_BSTR;
  arg.v.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (!arg.v.bstrVal) ThrowSystemError(static_cast<unsigned long>(E_OUTOFMEMORY));
  Variant ignored;
  Invoke(acadDoc.Get(), L"SendCommand", DISPATCH_METHOD, &arg.v, 1, &ignored.v);
}

void ReleaseAutoCAD() {
  acadDoc.Reset();
  acadApp.Reset();
}
