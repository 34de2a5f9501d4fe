// Owners for the Win32 handles the palette pairs: each frees or restores what it
// holds when it goes out of scope, also when an exception passes. None can be
// copied, so no handle is ever freed twice. Handles freed by one call are held
// by the programs' one ScopedHandle; the rest pair two calls.
#pragma once
#include <windows.h>
#include <objbase.h>

#include "scoped_handle.h"

// A GDI object (font, bitmap, pen) that is deleted with its owner.
template <class H>
using ScopedGdiObject = ScopedHandle<NullableHandleTraits<H, DeleteObject>>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedPen = ScopedGdiObject<HPEN>;

// A pop-up menu that is destroyed with its owner.
using ScopedMenu = ScopedHandle<NullableHandleTraits<HMENU, DestroyMenu>>;

// A memory DC compatible with another; deleted with its owner.
class ScopedMemoryDC {
 public:
  explicit ScopedMemoryDC(HDC compatibleWith) : h_(CreateCompatibleDC(compatibleWith)) {}
  ~ScopedMemoryDC() {
    if (h_) DeleteDC(h_);
  }
  ScopedMemoryDC(const ScopedMemoryDC&) = delete;
  ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
  HDC get() const { return h_; }

 private:
  HDC h_;
};

// The DC of a window (or of the screen, for nullptr); released with its owner.
class ScopedWindowDC {
 public:
  explicit ScopedWindowDC(HWND hwnd) : hwnd_(hwnd), h_(GetDC(hwnd)) {}
  ~ScopedWindowDC() {
    if (h_) ReleaseDC(hwnd_, h_);
  }
  ScopedWindowDC(const ScopedWindowDC&) = delete;
  ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
  HDC get() const { return h_; }

 private:
  HWND hwnd_;
  HDC h_;
};

// BeginPaint / EndPaint.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND hwnd) : hwnd_(hwnd), h_(BeginPaint(hwnd, &ps_)) {}
  ~ScopedPaint() { EndPaint(hwnd_, &ps_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  HDC get() const { return h_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC h_;
};

// An object selected into a DC; the DC's earlier object goes back with the owner.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (old_) SelectObject(dc_, old_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// SaveDC / RestoreDC: clipping and selections made in between are undone.
class ScopedSaveDC {
 public:
  explicit ScopedSaveDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~ScopedSaveDC() {
    if (saved_) RestoreDC(dc_, saved_);
  }
  ScopedSaveDC(const ScopedSaveDC&) = delete;
  ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// COM on this thread, single-threaded apartment, for the owner's lifetime.
class ScopedCom {
 public:
  ScopedCom() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ScopedCom() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ScopedCom(const ScopedCom&) = delete;
  ScopedCom& operator=(const ScopedCom&) = delete;
  HRESULT result() const { return hr_; }

 private:
  HRESULT hr_;
};
