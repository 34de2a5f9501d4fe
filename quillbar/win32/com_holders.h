// Small owners for the COM values the palette handles (BSTR and VARIANT), and the
// text and error helpers of every COM call. COM interface pointers use WRL's ComPtr.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <new>
#include <string>
#include <string_view>

#include "wide_text.h"

using Microsoft::WRL::ComPtr;

// A BSTR that is freed with its owner.
struct Bstr {
  Bstr() = default;
  explicit Bstr(std::wstring_view text) : b(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(b); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return b; }
  BSTR b = nullptr;
};

// A VARIANT that is cleared with its owner.
struct Variant {
  Variant() { VariantInit(&v); }
  ~Variant() { VariantClear(&v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT v;
};

// Throws SystemError for a failed HRESULT, with the system's description.
void CheckHr(HRESULT hr);

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
