// Kernel objects (files, mutexes, processes) held by a ScopedHandle.
#pragma once
#include <windows.h>

#include "scoped_handle.h"

// CreateFile fails with INVALID_HANDLE_VALUE, most other calls with a null
// handle; neither is closed.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static bool Valid(Handle h) { return h && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
