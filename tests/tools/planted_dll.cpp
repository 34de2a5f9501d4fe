// A DLL that someone planted beside a program: the planting test copies it there
// under the names of system DLLs (shcore.dll, uxtheme.dll, ...). Whenever a
// process loads it, it leaves <its own path>.loaded, naming that process.
// It exports nothing, so a program that did take it fails where it needs it.
#include <windows.h>

#include <cwchar>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[MAX_PATH + 16];
  const DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  std::wcscpy(marker + length, L".loaded");
  char program[MAX_PATH] = "?";
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  const HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, program, static_cast<DWORD>(lstrlenA(program)), &written, nullptr);
    CloseHandle(file);
  }
  return TRUE;
}
