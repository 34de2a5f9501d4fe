// The owners of Windows resources, for both programs: each frees or restores
// what it holds when it goes out of scope, also when an exception passes. All
// are a ScopedHandle, so none can be copied and no resource is ever freed twice.
// Windows only.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <string_view>

#include "error.h"
#include "scoped_handle.h"
#include "wide_text.h"

// COM interface pointers are held by WRL's ComPtr.
using Microsoft::WRL::ComPtr;

// Kernel objects (files, mutexes, processes, threads, events). CreateFile fails
// with INVALID_HANDLE_VALUE, most other calls with a null handle; neither is closed.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Empty() { return nullptr; }
  static bool Valid(Handle h) { return h && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;

// Memory the system allocated for the caller and LocalFree frees (FormatMessage's
// text, a file's security descriptor).
using ScopedLocal = ScopedHandle<NullableHandleTraits<HLOCAL, LocalFree>>;

// A GDI object (font, bitmap, pen) that is deleted with its owner.
template <class H>
using ScopedGdiObject = ScopedHandle<NullableHandleTraits<H, DeleteObject>>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedPen = ScopedGdiObject<HPEN>;

// A pop-up menu that is destroyed with its owner.
using ScopedMenu = ScopedHandle<NullableHandleTraits<HMENU, DestroyMenu>>;

// The owners below pair two calls: what the second one needs is held with the handle.

// A memory DC compatible with another; deleted with its owner.
class ScopedMemoryDC : public ScopedHandle<NullableHandleTraits<HDC, DeleteDC>> {
 public:
  explicit ScopedMemoryDC(HDC compatibleWith) : ScopedHandle(CreateCompatibleDC(compatibleWith)) {}
};

// The DC of a window (or of the screen, for nullptr); released with its owner.
struct WindowDCTraits {
  struct Handle {
    HWND window;
    HDC dc;
  };
  static Handle Empty() { return {}; }
  static bool Valid(const Handle& h) { return h.dc != nullptr; }
  static void Close(const Handle& h) { ReleaseDC(h.window, h.dc); }
};
class ScopedWindowDC : public ScopedHandle<WindowDCTraits> {
 public:
  explicit ScopedWindowDC(HWND window) : ScopedHandle({window, GetDC(window)}) {}
  HDC get() const { return ScopedHandle::get().dc; }
};

// BeginPaint / EndPaint.
struct PaintTraits {
  struct Handle {
    HWND window;
    PAINTSTRUCT ps;
  };
  static Handle Empty() { return {}; }
  static bool Valid(const Handle& h) { return h.window != nullptr; }
  static void Close(const Handle& h) { EndPaint(h.window, &h.ps); }
};
class ScopedPaint : public ScopedHandle<PaintTraits> {
 public:
  explicit ScopedPaint(HWND window) : ScopedHandle(Begin(window)) {}
  HDC get() const { return ScopedHandle::get().ps.hdc; }

 private:
  static PaintTraits::Handle Begin(HWND window) {
    PaintTraits::Handle h{window, {}};
    BeginPaint(window, &h.ps);
    return h;
  }
};

// An object selected into a DC; the DC's earlier object goes back with the owner.
struct SelectTraits {
  struct Handle {
    HDC dc;
    HGDIOBJ earlier;
  };
  static Handle Empty() { return {}; }
  static bool Valid(const Handle& h) { return h.earlier != nullptr; }
  static void Close(const Handle& h) { SelectObject(h.dc, h.earlier); }
};
class ScopedSelect : public ScopedHandle<SelectTraits> {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : ScopedHandle({dc, object ? SelectObject(dc, object) : nullptr}) {}
};

// SaveDC / RestoreDC: clipping and selections made in between are undone.
struct SaveDCTraits {
  struct Handle {
    HDC dc;
    int saved;
  };
  static Handle Empty() { return {}; }
  static bool Valid(const Handle& h) { return h.saved != 0; }
  static void Close(const Handle& h) { RestoreDC(h.dc, h.saved); }
};
class ScopedSaveDC : public ScopedHandle<SaveDCTraits> {
 public:
  explicit ScopedSaveDC(HDC dc) : ScopedHandle({dc, SaveDC(dc)}) {}
};

// COM on this thread, single-threaded apartment, for the owner's lifetime; held
// is what CoInitializeEx said, and only a success is undone.
struct ComInitTraits {
  using Handle = HRESULT;
  static Handle Empty() { return CO_E_NOTINITIALIZED; }
  static bool Valid(Handle hr) { return SUCCEEDED(hr); }
  static void Close(Handle) { CoUninitialize(); }
};
class ScopedCom : public ScopedHandle<ComInitTraits> {
 public:
  ScopedCom() : ScopedHandle(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  HRESULT result() const { return get(); }
};

// A BSTR that is freed with its owner.
using Bstr = ScopedHandle<NullableHandleTraits<BSTR, SysFreeString>>;
// A BSTR of the text; throws SystemError (E_OUTOFMEMORY) when none can be made.
inline Bstr MakeBstr(std::wstring_view text) {
  Bstr b(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  if (!b) ThrowSystemError(static_cast<unsigned long>(E_OUTOFMEMORY));
  return b;
}
// The same from text in the ANSI code page.
inline Bstr BstrFromAnsi(const std::string& text) { return MakeBstr(Widen(text)); }

// A VARIANT that is cleared with its owner. A call fills it through receive().
struct VariantTraits {
  using Handle = VARIANT;
  static Handle Empty() {
    VARIANT v;
    VariantInit(&v);
    return v;
  }
  static bool Valid(const Handle& v) { return v.vt != VT_EMPTY; }
  static void Close(Handle v) { VariantClear(&v); }
};
using Variant = ScopedHandle<VariantTraits>;
