// DLLs of the system, loaded by name from the system folder only, so that a DLL
// of the same name planted beside the program, in the current folder or on PATH
// is never taken instead. Windows only; both programs use it.
#pragma once
#include <windows.h>

// Narrows every later search for a DLL by name, the system's own loads on the
// program's behalf included, to the system folder. The first call in WinMain.
void SearchSystemFolderOnly();

// The DLL `name` (for example L"shcore.dll") from the system folder, or nullptr
// when it is not there. The activation context in effect still applies, so
// comctl32 comes in the version the program's manifest asks for.
HMODULE LoadSystemDll(const wchar_t* name);

// The function `name` of `module` as a pointer of type Fn; nullptr when either is missing.
template <class Fn>
Fn DllFunction(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
