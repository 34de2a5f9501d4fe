// The palette's error policy at COM's edges: a failed call it makes throws, and a
// method it implements throws nothing back to its caller.
#pragma once
#include <windows.h>

#include <new>

#include "error.h"

// Throws SystemError for a failed HRESULT, with the system's description.
inline void CheckHr(HRESULT hr) {
  if (FAILED(hr)) ThrowSystemError(static_cast<unsigned long>(hr));
}

// The body of a COM method the program implements. Its caller is another
// process or the system, so nothing may be thrown into it: a throw becomes
// E_OUTOFMEMORY (std::bad_alloc) or E_FAIL, and the out parameters `outs` are
// emptied so the caller frees nothing.
template <class Body, class... Out>
HRESULT ComMethod(Body&& body, Out*... outs) noexcept {
  const auto empty = [&] { ((outs ? void(*outs = {}) : void()), ...); };
  try {
    return body();
  } catch (const std::bad_alloc&) {
    empty();
    return E_OUTOFMEMORY;
  } catch (...) {
    empty();
    return E_FAIL;
  }
}
