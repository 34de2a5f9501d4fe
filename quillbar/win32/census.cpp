#include "census.h"

#include <wbemidl.h>

#include "com_result.h"
#include "scoped_win.h"

bool IsProcessRunning(const std::string& imageName) {
  ComPtr<IWbemLocator> locator;
  CheckHr(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&locator)));
  ComPtr<IWbemServices> services;
  CheckHr(locator->ConnectServer(MakeBstr(L"ROOT\\CIMV2").get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                 services.GetAddressOf()));
  // The impersonation that the "winmgmts:" moniker sets by default. Where the
  // proxy cannot take it, the query itself reports the problem.
  CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                    RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
  ComPtr<IEnumWbemClassObject> processes;
  CheckHr(services->ExecQuery(MakeBstr(L"WQL").get(), MakeBstr(L"Select * from win32_Process").get(),
                              WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                              processes.GetAddressOf()));
  const std::wstring wanted = Widen(imageName);
  for (;;) {
    ComPtr<IWbemClassObject> process;
    ULONG got = 0;
    const HRESULT hr = processes->Next(static_cast<LONG>(WBEM_INFINITE), 1, process.GetAddressOf(), &got);
    CheckHr(hr);
    if (got == 0) return false;
    Variant name;
    CheckHr(process->Get(L"Name", 0, name.receive(), nullptr, nullptr));
    const VARIANT v = name.get();
    if (v.vt == VT_BSTR && v.bstrVal && std::wstring_view(v.bstrVal, SysStringLen(v.bstrVal)) == wanted)
      return true;
  }
}
