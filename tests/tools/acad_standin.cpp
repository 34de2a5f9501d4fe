// A stand-in for AutoCAD in tests and demos: it registers an automation object
// as "AutoCAD.Application" in the running object table, serves ActiveDocument
// and the drawings' SendCommand, and records every command string it receives.
//
//   acad.exe --log FILE [--ready FILE] [--no-register] [--versioned] [--fail-send]
//            [--drawings N] [--null-document] [--log-drawing] [--control FILE]
//            [--busy-while FILE [--refusals FILE]] [--running N] [--window TITLE]
//            [--owned TITLE] [--compute MS] [--calls FILE]
//
// --log FILE     each SendCommand string is appended as one line, CR shown as
//                <CR>, LF as <LF> and escape as <ESC>, written through at once
// --ready FILE   created once the stand-in is set up (registered, or not when
//                asked not to), so a test can wait for it
// --no-register  run without registering: AutoCAD still loading
// --versioned    register only under a class of its own whose ProgID is
//                "AutoCAD.Application.24" (its keys are written at start), as a
//                release that was not installed last does
// --fail-send    SendCommand fails with an error of AutoCAD's own
// --drawings N   N drawings open at start (Drawing1.dwg ... DrawingN.dwg), the
//                first in front; 0 is AutoCAD's start screen. Default 1.
// --null-document  with no drawing open, ActiveDocument yields no object
//                (otherwise it fails with an exception, as AutoCAD does)
// --log-drawing  each logged line starts with the name of the drawing that got it
// --control FILE  while running, FILE is read and removed as soon as it appears;
//                each of its lines is one act of the user:
//                  open           a new drawing opens, in front
//                  front N        DrawingN comes to the front
//                  close N        DrawingN is closed; calls on it fail as disconnected
//                  close-on-send  the drawing in front closes as the next command
//                                 reaches it (AutoCAD closing an untouched drawing)
//                  raise          its main window comes to the front
//                  minimise       its main window is minimised
//                  compute MS     its thread takes no messages for MS ms from now
//                  quit           AutoCAD ends (its object is revoked)
// --busy-while FILE  while FILE exists every incoming call is refused, as a
//                busy AutoCAD does (its message filter answers SERVERCALL_REJECTED)
// --refusals FILE    each refused call is appended to FILE as one line
// --running N    a command is running, N prompts deep: a string that does not
//                start with N escapes is typed into it and logged after
//                "into the running command: "; N escapes end it and the rest
//                runs as a command, which then waits at its first prompt (N = 1)
// --window TITLE the main window (the application's HWND) is shown, titled
//                TITLE; otherwise it is hidden
// --owned TITLE  with --window, a captioned pop-up it owns, titled TITLE, is shown
//                above the main window (as AutoCAD's floating command line) and
//                comes along above it whenever it is activated, as on Windows
// --compute MS   a moment (100 ms) after it has answered a command, its thread
//                takes no messages for MS ms (a command that computes)
// --calls FILE   each incoming call is appended to FILE as one line
//
// It runs until "quit", its window ("VeskAcadStandin") gets WM_CLOSE or the process is ended.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// {5B0C6E1A-3F7D-4C2B-9A61-2E8D4F3B7C10}, as registered for the ProgID by the test prefix.
const CLSID kAcadClsid = {0x5b0c6e1a, 0x3f7d, 0x4c2b, {0x9a, 0x61, 0x2e, 0x8d, 0x4f, 0x3b, 0x7c, 0x10}};
// A release's own class, registered by the stand-in itself when asked to.
const CLSID kVersionedClsid = {0x5b0c6e1a, 0x3f7d, 0x4c2b, {0x9a, 0x61, 0x2e, 0x8d, 0x4f, 0x3b, 0x7c, 0x24}};
constexpr const wchar_t* kVersionedClsidText = L"{5B0C6E1A-3F7D-4C2B-9A61-2E8D4F3B7C24}";
constexpr const wchar_t* kVersionedProgId = L"AutoCAD.Application.24";

std::wstring g_logPath;
bool g_failSend = false, g_nullDocument = false, g_logDrawing = false, g_closeOnSend = false;
std::wstring g_busyPath, g_refusalsPath, g_controlPath, g_callsPath;
DWORD g_computeMs = 0;
constexpr UINT_PTR kComputeTimer = 2;
int g_runningDepth = -1;  // prompts deep of the running command; -1: not tracked
HWND g_window = nullptr, g_owned = nullptr;

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

void LogCommand(const std::wstring& drawing, const std::wstring& command) {
  std::wstring line = g_logDrawing ? drawing + L" " : L"";
  for (wchar_t c : command) {
    if (c == 0x1b)
      line += L"<ESC>";
    else if (c == L'\r')
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
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO call) override {
    if (!g_callsPath.empty())
      AppendLine(g_callsPath, "call method " + std::to_string(call ? call->wMethod : 0) + "\n");
    if (g_busyPath.empty() || GetFileAttributesW(g_busyPath.c_str()) == INVALID_FILE_ATTRIBUTES)
      return SERVERCALL_ISHANDLED;
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

constexpr DISPID kActiveDocument = 1, kSendCommand = 2, kName = 3, kHwnd = 4;

struct Object : IDispatch {
  const Member* members;
  size_t count;
  std::wstring name;
  bool open = true;  // a closed drawing answers every call as disconnected
  Object(const Member* m, size_t n, std::wstring objectName) : members(m), count(n), name(std::move(objectName)) {}

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
    if (!open) return RPC_E_DISCONNECTED;
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

const Member kAppMembers[] = {{L"ActiveDocument", kActiveDocument}, {L"Name", kName}, {L"HWND", kHwnd}};
const Member kDocMembers[] = {{L"SendCommand", kSendCommand}, {L"Name", kName}};
Object g_app(kAppMembers, 3, L"AutoCAD");
// Every drawing ever opened, numbered from 1; they live for the whole process.
std::vector<Object*> g_drawings;
// The open drawings, the one in front last.
std::vector<Object*> g_order;

void OpenDrawing() {
  g_drawings.push_back(new Object(kDocMembers, 2, L"Drawing" + std::to_wstring(g_drawings.size() + 1) + L".dwg"));
  g_order.push_back(g_drawings.back());
}

Object* Drawing(size_t number) { return number >= 1 && number <= g_drawings.size() ? g_drawings[number - 1] : nullptr; }

void CloseDrawing(Object* drawing) {
  if (!drawing) return;
  drawing->open = false;
  g_order.erase(std::remove(g_order.begin(), g_order.end(), drawing), g_order.end());
}

void Raise(Object* drawing) {
  if (!drawing || !drawing->open) return;
  g_order.erase(std::remove(g_order.begin(), g_order.end(), drawing), g_order.end());
  g_order.push_back(drawing);
}

HRESULT Raised(EXCEPINFO* info, SCODE code, const wchar_t* description) {
  if (info) {
    *info = EXCEPINFO{};
    info->bstrSource = SysAllocString(L"AutoCAD");
    info->bstrDescription = SysAllocString(description);
    info->scode = code;
  }
  return DISP_E_EXCEPTION;
}

HRESULT STDMETHODCALLTYPE Object::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                         EXCEPINFO* info, UINT* badArg) {
  if (!open) return RPC_E_DISCONNECTED;
  if (id == kName && (flags & DISPATCH_PROPERTYGET)) {
    if (result) {
      result->vt = VT_BSTR;
      result->bstrVal = SysAllocString(name.c_str());
    }
    return S_OK;
  }
  if (this == &g_app && id == kHwnd && (flags & DISPATCH_PROPERTYGET)) {
    if (result) {
      result->vt = VT_I8;
      result->llVal = reinterpret_cast<LONG_PTR>(g_window);
    }
    return S_OK;
  }
  if (this == &g_app && id == kActiveDocument && (flags & DISPATCH_PROPERTYGET)) {
    if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    // AutoCAD's "zero document" state: no drawing is active.
    if (g_order.empty() && !g_nullDocument) return Raised(info, E_FAIL, L"No active document.");
    if (result) {
      result->vt = VT_DISPATCH;
      result->pdispVal = g_order.empty() ? nullptr : g_order.back();
      if (result->pdispVal) result->pdispVal->AddRef();
    }
    return S_OK;
  }
  if (this != &g_app && id == kSendCommand && (flags & DISPATCH_METHOD)) {
    if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, &params->rgvarg[0], 0, VT_BSTR))) {
      if (badArg) *badArg = 0;
      return DISP_E_TYPEMISMATCH;
    }
    std::wstring command(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&text);
    if (g_failSend) return Raised(info, E_FAIL, L"The command line is not available.");
    if (g_closeOnSend && !g_order.empty() && g_order.back() == this) {
      g_closeOnSend = false;
      CloseDrawing(this);
      return RPC_E_DISCONNECTED;
    }
    if (g_runningDepth > 0) {
      const size_t escapes = std::min(command.find_first_not_of(L'\x1b'), command.size());
      if (escapes < static_cast<size_t>(g_runningDepth)) {
        g_runningDepth -= static_cast<int>(escapes);
        LogCommand(name, L"into the running command: " + command);
        return S_OK;
      }
    }
    if (g_runningDepth >= 0) g_runningDepth = 1;
    LogCommand(name, command);
    // A moment later, once this answer has gone out (under Wine a message posted
    // now is taken before the answer leaves).
    if (g_computeMs) SetTimer(g_window, kComputeTimer, 100, nullptr);
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

// The user's acts, read from the control file (see the top of this file).
void ActOnControlFile(HWND window) {
  if (GetFileAttributesW(g_controlPath.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  std::string acts;
  {
    std::ifstream in(g_controlPath.c_str(), std::ios::binary);
    acts.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (!DeleteFileW(g_controlPath.c_str())) return;  // still being written: next tick
  std::istringstream lines(acts);
  std::string act;
  size_t number = 0;
  while (lines >> act) {
    if (act == "open")
      OpenDrawing();
    else if (act == "front" && lines >> number)
      Raise(Drawing(number));
    else if (act == "close" && lines >> number)
      CloseDrawing(Drawing(number));
    else if (act == "close-on-send")
      g_closeOnSend = true;
    else if (act == "raise")
      SetForegroundWindow(window);
    else if (act == "minimise")
      ShowWindow(window, SW_MINIMIZE);
    else if (act == "compute" && lines >> number)
      Sleep(static_cast<DWORD>(number));
    else if (act == "quit")
      DestroyWindow(window);
  }
}

LRESULT CALLBACK StandinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kComputeTimer) {
    KillTimer(hwnd, kComputeTimer);
    Sleep(g_computeMs);
    return 0;
  }
  if (msg == WM_TIMER) {
    ActOnControlFile(hwnd);
    return 0;
  }
  // As Windows does with an owner's windows: activated, it brings them along above it.
  if (msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE && hwnd == g_window && g_owned)
    SetWindowPos(g_owned, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (msg == WM_DESTROY && hwnd == g_window) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool SetClassKey(const std::wstring& key, const wchar_t* value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr))
    return false;
  const LONG rc = RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                 static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return rc == ERROR_SUCCESS;
}

// The keys a release's set-up writes for its own class.
bool RegisterVersionedClass() {
  return SetClassKey(std::wstring(kVersionedProgId) + L"\\CLSID", kVersionedClsidText) &&
         SetClassKey(std::wstring(L"CLSID\\") + kVersionedClsidText + L"\\ProgID", kVersionedProgId);
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
  bool registerObject = true, versioned = false;
  std::wstring windowTitle, ownedTitle;
  int drawings = 1;
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
    else if (arg == L"--versioned")
      versioned = true;
    else if (arg == L"--drawings" && i + 1 < argc)
      drawings = _wtoi(argv[++i]);
    else if (arg == L"--null-document")
      g_nullDocument = true;
    else if (arg == L"--log-drawing")
      g_logDrawing = true;
    else if (arg == L"--control" && i + 1 < argc)
      g_controlPath = argv[++i];
    else if (arg == L"--busy-while" && i + 1 < argc)
      g_busyPath = argv[++i];
    else if (arg == L"--refusals" && i + 1 < argc)
      g_refusalsPath = argv[++i];
    else if (arg == L"--running" && i + 1 < argc)
      g_runningDepth = _wtoi(argv[++i]);
    else if (arg == L"--window" && i + 1 < argc)
      windowTitle = argv[++i];
    else if (arg == L"--owned" && i + 1 < argc)
      ownedTitle = argv[++i];
    else if (arg == L"--compute" && i + 1 < argc)
      g_computeMs = static_cast<DWORD>(_wtoi(argv[++i]));
    else if (arg == L"--calls" && i + 1 < argc)
      g_callsPath = argv[++i];
    else {
      fwprintf(stderr, L"acad stand-in: unknown argument %ls\n", argv[i]);
      return 2;
    }
  }
  LocalFree(argv);
  if (g_logPath.empty()) {
    fwprintf(stderr, L"usage: acad.exe --log FILE [--ready FILE] [--no-register] [--versioned] [--fail-send] "
                     L"[--drawings N] [--null-document] [--log-drawing] [--control FILE] "
                     L"[--busy-while FILE [--refusals FILE]] [--running N] [--window TITLE] [--owned TITLE] "
                     L"[--compute MS] [--calls FILE]\n");
    return 2;
  }

  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  if ((!g_busyPath.empty() || !g_callsPath.empty()) && FAILED(CoRegisterMessageFilter(&g_busyFilter, nullptr)))
    return 1;
  WNDCLASSW wc{};
  wc.lpfnWndProc = StandinProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VeskAcadStandin";
  RegisterClassW(&wc);
  // Hidden unless asked for: it then only receives WM_CLOSE from a test that
  // wants the stand-in gone.
  HWND window = windowTitle.empty()
                    ? CreateWindowW(L"VeskAcadStandin", L"AutoCAD stand-in", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                                    nullptr, wc.hInstance, nullptr)
                    : CreateWindowW(L"VeskAcadStandin", windowTitle.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 400, 300,
                                    nullptr, nullptr, wc.hInstance, nullptr);
  g_window = window;
  if (!windowTitle.empty()) ShowWindow(window, SW_SHOW);
  if (!windowTitle.empty() && !ownedTitle.empty()) {
    g_owned = CreateWindowW(L"VeskAcadStandin", ownedTitle.c_str(), WS_POPUP | WS_CAPTION, 60, 360, 360, 80, window,
                            nullptr, wc.hInstance, nullptr);
    ShowWindow(g_owned, SW_SHOWNOACTIVATE);
  }
  if (!g_controlPath.empty()) SetTimer(window, 1, 50, nullptr);
  for (int i = 0; i < drawings; ++i) OpenDrawing();
  // The first drawing is in front.
  if (!g_order.empty()) std::rotate(g_order.begin(), g_order.begin() + 1, g_order.end());

  DWORD cookie = 0;
  if (versioned && !RegisterVersionedClass()) {
    fwprintf(stderr, L"acad stand-in: the versioned class could not be registered\n");
    return 1;
  }
  if (registerObject) {
    const HRESULT hr = RegisterActiveObject(&g_app, versioned ? kVersionedClsid : kAcadClsid, ACTIVEOBJECT_STRONG,
                                            &cookie);
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
