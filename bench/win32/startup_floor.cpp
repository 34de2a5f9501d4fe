// The floor for Quillbar's start-up time and memory: only what its start-up must
// do, written as plainly as possible. A WMI census of every process (looking for
// acad.exe), attach to the running "AutoCAD.Application" (no drawing is read:
// start-up needs none), then show one 128 x 49 pixel topmost pop-up window and
// wait to be closed. Any failure ends the program with a non-zero code and no window.
#include <windows.h>
#include <oleauto.h>
#include <wbemidl.h>

#include "yardstick.h"

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

bool AcadRuns() {
  IWbemLocator* locator = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              reinterpret_cast<void**>(&locator))))
    return false;
  IWbemServices* services = nullptr;
  BSTR root = SysAllocString(L"ROOT\\CIMV2"), wql = SysAllocString(L"WQL"),
       query = SysAllocString(L"Select * from win32_Process");
  bool found = false;
  if (SUCCEEDED(locator->ConnectServer(root, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &services))) {
    CoSetProxyBlanket(services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    IEnumWbemClassObject* processes = nullptr;
    if (SUCCEEDED(services->ExecQuery(wql, query, WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                      &processes))) {
      // Every process is read, as the palette's census does.
      for (;;) {
        IWbemClassObject* process = nullptr;
        ULONG got = 0;
        if (FAILED(processes->Next(static_cast<LONG>(WBEM_INFINITE), 1, &process, &got)) || got == 0) break;
        VARIANT name;
        VariantInit(&name);
        if (SUCCEEDED(process->Get(L"Name", 0, &name, nullptr, nullptr)) && name.vt == VT_BSTR &&
            lstrcmpW(name.bstrVal, L"acad.exe") == 0)
          found = true;
        VariantClear(&name);
        process->Release();
        if (found) break;
      }
      processes->Release();
    }
    services->Release();
  }
  SysFreeString(root);
  SysFreeString(wql);
  SysFreeString(query);
  locator->Release();
  return found;
}

bool Attach() {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"AutoCAD.Application", &clsid))) return false;
  IUnknown* running = nullptr;
  if (FAILED(GetActiveObject(clsid, nullptr, &running))) return false;
  IDispatch* app = nullptr;
  const HRESULT hr = running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&app));
  running->Release();
  if (FAILED(hr)) return false;
  app->Release();
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  if (!AcadRuns()) return 2;
  if (!Attach()) return 3;
  const HWND hwnd = MakeYardstickWindow(instance, "StartupFloor", Proc, WS_EX_TOPMOST);
  if (!hwnd) return 5;
  ShowYardstickWindow(hwnd);
  CoUninitialize();
  return 0;
}
