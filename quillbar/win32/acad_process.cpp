#include "acad_process.h"

#include <tlhelp32.h>

#include <cwchar>

#include "scoped_win.h"

namespace {

bool AutoCADImage(const wchar_t* path) {
  const wchar_t* name = std::wcsrchr(path, L'\\');
  return _wcsicmp(name ? name + 1 : path, L"acad.exe") == 0;
}

Elevation PalettesElevation() {
  static const Elevation own = ElevationOf(GetCurrentProcessId());
  return own;
}

bool AutoCADImageOf(HANDLE process) {
  wchar_t path[MAX_PATH];
  DWORD size = MAX_PATH;
  return QueryFullProcessImageNameW(process, 0, path, &size) && AutoCADImage(path);
}

// Of an open process: a token that may not be read is an elevated one's.
Elevation TokenElevationOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token))
    return GetLastError() == ERROR_ACCESS_DENIED ? Elevation::Elevated : Elevation::Unknown;
  const ScopedKernelHandle owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) return Elevation::Unknown;
  return elevation.TokenIsElevated ? Elevation::Elevated : Elevation::Normal;
}

ScopedKernelHandle OpenToQuery(DWORD process) {
  return ScopedKernelHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
}

}  // namespace

bool AutoCADProcess(DWORD process) {
  const ScopedKernelHandle p = OpenToQuery(process);
  return p && AutoCADImageOf(p.get());
}

Elevation ElevationOf(DWORD process) {
  const ScopedKernelHandle p = OpenToQuery(process);
  return p ? TokenElevationOf(p.get()) : Elevation::Unknown;
}

ProcessKind KindOf(DWORD process) {
  const ScopedKernelHandle p = OpenToQuery(process);
  if (!p || !AutoCADImageOf(p.get())) return ProcessKind::OtherProgram;
  return ElevationDiffers(PalettesElevation(), TokenElevationOf(p.get())) ? ProcessKind::AutoCADElevation
                                                                     : ProcessKind::AutoCAD;
}

Elevation RunningAutoCADElevation() {
  const ScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  DWORD ownSession = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &ownSession);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (snapshot && Process32FirstW(snapshot.get(), &entry)) do {
      // Another user's AutoCAD on the same computer is no concern of this palette.
      DWORD session = 0;
      if (!AutoCADImage(entry.szExeFile) || !ProcessIdToSessionId(entry.th32ProcessID, &session) ||
          session != ownSession)
        continue;
      const Elevation e = ElevationOf(entry.th32ProcessID);
      if (ElevationDiffers(PalettesElevation(), e)) return e;
    } while (Process32NextW(snapshot.get(), &entry));
  return PalettesElevation();
}
