// A stand-in for AutoCAD in tests and demos: it registers an automation object
// as "AutoCAD.Application" in the running object table, serves ActiveDocument
// and the document's SendCommand, and records every command string it receives.
//
//   acad.exe --log FILE [--ready FILE] [--no-register] [--fail-send]
//            [--busy-while FILE [--refusals FILE]]
//
// --log FILE     each SendCommand string is appended as one line, CR shown as
//                <CR> and LF as <LF>, written through at once
// --ready FILE   created once the stand-in is set up (registered, or not when
//                asked not to), so a test can wait for it
// --no-register  run without registering: AutoCAD still loading
// --fail-send    SendCommand fails: the drawing was closed
// --busy-while FILE  while FILE exists every incoming call is refused, as a
//                busy AutoCAD does (its message filter answers SERVERCALL_REJECTED)
// --refusals FILE    each refused call is appended to FILE as one line
//
// It runs until its window ("VeskAcadStandin") gets WM_CLOSE or the process is ended.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

// {5B0C6E1A-3F7D-4C2B-9A61-2E8D4F3B7C10}, as registered for the ProgID by the test prefix.
const CLSID kAcadClsid = {0x5b0c6e1a, 0x3f7d, 0x4c2b, {0x9a, 0x61, 0x2e, 0x8d, 0x4f, 0x3b, 0x7c, 0x10}};

std::wstring g_logPath;
bool g_failSend = false;
std::wstring g_busyPath, g_refusalsPath;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

void AppendLine(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  FlushFileBuffers(f);
  CloseHandle(f);
}

void LogCommand(const std::wstring& command) {
  std::wstring line;
  for (wchar_t c : command) {
    if (c == L'\r')
      line += L"<CR>";
    else if (c == L'\n')
      line += L"<LF>";
    else
      line += c;
  }
  AppendLine(g_logPath, Utf8(line) + "\n");
}

// The server side of a busy AutoCAD: while the busy file exists, every call
// that comes in is refused before it runs.
struct BusyFilter : IMessageFilter {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IMessageFilter) {
      *out = static_cast<IMessageFilter*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    if (GetFileAttributesW(g_busyPath.c_str()) == INVALID_FILE_ATTRIBUTES) return SERVERCALL_ISHANDLED;
    if (!g_refusalsPath.empty()) AppendLine(g_refusalsPath, "refused\n");
    return SERVERCALL_REJECTED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};
BusyFilter g_busyFilter;

// One late-bound object with a fixed set of names. The objects live for the
// whole process, so reference counts are not needed to free them.
struct Member {
  const wchar_t* name;
  DISPID id;
};

constexpr DISPID kActiveDocument = 1, kSendCommand = 2, kName = 3;

struct Object : IDispatch {
  const Member* members;
  size_t count;
  Object(const Member* m, size_t n) : members(m), count(n) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT n, LCID, DISPID* ids) override {
    HRESULT hr = S_OK;
    for (UINT i = 0; i < n; ++i) {
      ids[i] = DISPID_UNKNOWN;
      for (size_t k = 0; k < count; ++k)
        if (_wcsicmp(names[i], members[k].name) == 0) ids[i] = members[k].id;
      if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* info, UINT* badArg) override;
};

const Member kAppMembers[] = {{L"ActiveDocument", kActiveDocument}, {L"Name", kName}};
const Member kDocMembers[] = {{L"SendCommand", kSendCommand}, {L"Name", kName}};
Object g_app(kAppMembers, 2);
Object g_doc(kDocMembers, 2);

HRESULT STDMETHODCALLTYPE Object::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                         EXCEPINFO* info, UINT* badArg) {
  if (id == kName && (flags & DISPATCH_PROPERTYGET)) {
    if (result) {
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocString(this == &g_app ? L"AutoCAD" : L"Drawing1.dwg");
    }
    return S_OK;
  }
  if (this == &g_app && id == kActiveDocument && (flags & DISPATCH_PROPERTYGET)) {
    if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (result) {
      g_doc.AddRef();
      result->vt = VT_DISPATCH;
      result->pdispVal = &g_doc;
    }
    return S_OK;
  }
  if (this == &g_doc && id == kSendCommand && (flags & DISPATCH_METHOD)) {
    if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, &params->rgvarg[0], 0, VT_BSTR))) {
      if (badArg) *badArg = 0;
      return DISP_E_TYPEMISMATCH;
    }
    std::wstring command(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&text);
    if (g_failSend) {
      if (info) {
        *info = EXCEPINFO{};
        info->bstrSource = SysAllocString(L"AutoCAD");
        info->bstrDescription = SysAllocString(L"The drawing is no longer open.");
        info->scode = static_cast<SCODE>(0x80010108);  // RPC_E_DISCONNECTED
      }
      return DISP_E_EXCEPTION;
    }
    LogCommand(command);
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

LRESULT CALLBACK StandinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void Touch(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring readyPath;
  bool registerObject = true;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--log" && i + 1 < argc)
      g_logPath = argv[++i];
    else if (arg == L"--ready" && i + 1 < argc)
      readyPath = argv[++i];
    else if (arg == L"--no-register")
      registerObject = false;
    else if (arg == L"--fail-send")
      g_failSend = true;
    else if (arg == L"--busy-while" && i + 1 < argc)
      g_busyPath = argv[++i];
    else if (arg == L"--refusals" && i + 1 < argc)
      g_refusalsPath = argv[++i];
    else {
      fwprintf(stderr, L"acad stand-in: unknown argument %ls\n", argv[i]);
      return 2;
    }
  }
  LocalFree(argv);
  if (g_logPath.empty()) {
    fwprintf(stderr, L"usage: acad.exe --log FILE [--ready FILE] [--no-register] [--fail-send] "
                     L"[--busy-while FILE [--refusals FILE]]\n");
    return 2;
  }

  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  if (!g_busyPath.empty() && FAILED(CoRegisterMessageFilter(&g_busyFilter, nullptr))) return 1;
  WNDCLASSW wc{};
  wc.lpfnWndProc = StandinProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VeskAcadStandin";
  RegisterClassW(&wc);
  // Hidden: it only receives WM_CLOSE from a test that wants the stand-in gone.
  CreateWindowW(L"VeskAcadStandin", L"AutoCAD stand-in", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance,
                nullptr);

  DWORD cookie = 0;
  if (registerObject) {
    const HRESULT hr = RegisterActiveObject(&g_app, kAcadClsid, ACTIVEOBJECT_STRONG, &cookie);
    if (FAILED(hr)) {
      fwprintf(stderr, L"acad stand-in: RegisterActiveObject failed 0x%08lX\n", static_cast<unsigned long>(hr));
      return 1;
    }
  }
  if (!readyPath.empty()) Touch(readyPath);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (registerObject) RevokeActiveObject(cookie, nullptr);
  CoUninitialize();
  return 0;
}
