#include "automation.h"

#include "busy.h"
#include "com_result.h"
#include "error.h"

namespace {

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

}  // namespace

void Invoke(IDispatch* object, const wchar_t* name, DISPID& id, WORD flags, VARIANT* args, UINT count,
            VARIANT* result) {
  if (id == DISPID_UNKNOWN) id = DispIdOf(object, name);
  DISPPARAMS params{args, nullptr, count, 0};
  EXCEPINFO info{};
  UINT badArg = 0;
  const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, &badArg);
  if (FAILED(hr)) ThrowInvokeError(hr, info);
}

ComPtr<IDispatch> RunningObject(const CLSID& clsid) {
  ComPtr<IUnknown> running;
  ComPtr<IDispatch> app;
  const HRESULT hr = GetActiveObject(clsid, nullptr, running.GetAddressOf());
  if (hr == MK_E_UNAVAILABLE) return nullptr;
  // A busy AutoCAD can refuse even the hand-over of its object.
  CheckHr(hr);
  CheckHr(running.As(&app));
  return app;
}

HWND ReadMainWindow(IDispatch* app, DISPID& id) {
  Variant result, number;
  try {
    Invoke(app, L"HWND", id, DISPATCH_PROPERTYGET, nullptr, 0, result.receive());
  } catch (const SystemError& e) {
    if (ServerBusy(e.number) || ServerGone(e.number)) throw;
    return nullptr;  // an AutoCAD without the property
  }
  // HWND is a LONG_PTR: VT_I8 on 64-bit AutoCAD, VT_I4 on older ones.
  VARIANT read = result.get();
  if (FAILED(VariantChangeType(number.receive(), &read, 0, VT_I8))) return nullptr;
  return reinterpret_cast<HWND>(static_cast<LONG_PTR>(number.get().llVal));
}

ComPtr<IDispatch> ReadActiveDocument(IDispatch* app, DISPID& id) {
  Variant result;
  Invoke(app, L"ActiveDocument", id, DISPATCH_PROPERTYGET, nullptr, 0, result.receive());
  const VARIANT v = result.get();
  ComPtr<IDispatch> drawing;
  if (v.vt == VT_DISPATCH && v.pdispVal)
    drawing = v.pdispVal;
  else if (v.vt == VT_UNKNOWN && v.punkVal)
    CheckHr(v.punkVal->QueryInterface(IID_PPV_ARGS(&drawing)));
  return drawing;
}

void SendCommand(IDispatch* drawing, DISPID& id, const std::string& text) {
  Variant arg;
  VARIANT& in = *arg.receive();
  in.bstrVal = BstrFromAnsi(text).release();
  in.vt = VT_BSTR;
  Variant ignored;
  Invoke(drawing, L"SendCommand", id, DISPATCH_METHOD, &in, 1, ignored.receive());
}
