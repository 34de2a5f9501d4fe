#include "accessible.h"

#include <oleacc.h>

#include <string>

#include "focus.h"
#include "keyboard.h"
#include "palette_window.h"
#include "com_result.h"
#include "scoped_win.h"
#include "system_dll.h"
#include "twips_rect.h"
#include "wide_text.h"

namespace {

// The two oleacc entries the palette uses, looked up once on first need.
struct Oleacc {
  decltype(&LresultFromObject) lresultFromObject = nullptr;
  decltype(&CreateStdAccessibleObject) createStdAccessibleObject = nullptr;
};

const Oleacc& LoadOleacc() {
  static const Oleacc loaded = [] {
    Oleacc o;
    const HMODULE dll = LoadSystemDll(L"oleacc.dll");
    o.lresultFromObject = DllFunction<decltype(&LresultFromObject)>(dll, "LresultFromObject");
    o.createStdAccessibleObject = DllFunction<decltype(&CreateStdAccessibleObject)>(dll, "CreateStdAccessibleObject");
    return o;
  }();
  return loaded;
}

HRESULT Text(const std::string& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  const std::wstring wide = Widen(text);
  *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT Long(VARIANT* out, long value) {
  out->vt = VT_I4;
  out->lVal = value;
  return S_OK;
}

// Child `child` (0 the client itself); none (S_FALSE) when negative.
HRESULT Child(VARIANT* out, long child) {
  if (child >= 0) return Long(out, child);
  out->vt = VT_EMPTY;
  return S_FALSE;
}

// One layout window's client area, made at the first request and released with
// the window. It holds only the window handle and reads the window's parts at
// each call, so a reader that keeps it past the window is safe: every call then
// fails as disconnected.
class PaletteAccessible final : public IAccessible {
 public:
  explicit PaletteAccessible(HWND hwnd) : hwnd_(hwnd) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return ComMethod([&]() -> HRESULT {
      if (!out) return E_POINTER;
      if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
      }
      *out = nullptr;
      return E_NOINTERFACE;
    }, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: readers use the IAccessible methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return ComMethod([&]() -> HRESULT {
      if (!parent) return E_POINTER;
      *parent = nullptr;
      if (!Parts()) return RPC_E_DISCONNECTED;
      const auto create = LoadOleacc().createStdAccessibleObject;
      if (!create) return S_FALSE;
      return create(hwnd_, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
    }, parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    return ComMethod([&]() -> HRESULT {
      if (!count) return E_POINTER;
      *count = kAccessibleChildren;
      return Parts() ? S_OK : RPC_E_DISCONNECTED;
    }, count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    return ComMethod([&]() -> HRESULT {
      if (!out) return E_POINTER;
      *out = nullptr;  // the controls are simple elements of this object
      long id;
      return Id(child, id) == S_OK ? (id == CHILDID_SELF ? E_INVALIDARG : S_FALSE) : E_INVALIDARG;
    }, out);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return ComMethod([&]() -> HRESULT {
      const ControlDef* c;
      if (HRESULT hr = Control(child, c); FAILED(hr)) return hr;
      return Text(AccessibleName(c ? *c : *FindControl(*Parts()->def, ControlRole::Title)), name);
    }, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return ComMethod([&]() -> HRESULT {
      const ControlDef* c;
      if (HRESULT hr = Control(child, c); FAILED(hr)) return hr;
      return Text("", value);
    }, value);
  }
  // A text button's longer tooltip ("Import/Export points from/to text files"),
  // and the title's "Click to move".
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return ComMethod([&]() -> HRESULT {
      const ControlDef* c;
      if (HRESULT hr = Control(child, c); FAILED(hr)) return hr;
      const bool differs = c && c->tooltip && AccessibleName(*c) != c->tooltip;
      return Text(differs ? c->tooltip : "", text);
    }, text);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return ComMethod([&]() -> HRESULT {
      const ControlDef* c;
      if (HRESULT hr = Control(child, c, role); FAILED(hr)) return hr;
      return Long(role, !c                                  ? ROLE_SYSTEM_CLIENT
                        : c->role == ControlRole::Command ? ROLE_SYSTEM_BUTTONMENU
                        : c->role == ControlRole::Title   ? ROLE_SYSTEM_STATICTEXT
                                                          : ROLE_SYSTEM_PUSHBUTTON);
    }, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return ComMethod([&]() -> HRESULT {
      const ControlDef* c;
      if (HRESULT hr = Control(child, c, state); FAILED(hr)) return hr;
      const PaletteWindow& w = *Parts();
      long s = STATE_SYSTEM_FOCUSABLE;
      if (c && c->role == ControlRole::Title) s = STATE_SYSTEM_READONLY;
      if (c && c->role == ControlRole::Command) s |= STATE_SYSTEM_HASPOPUP;
      if (c && c == FocusOrder(*w.def)[static_cast<size_t>(w.keys.focus)] && GetFocus() == hwnd_)
        s |= STATE_SYSTEM_FOCUSED;
      return Long(state, s);
    }, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override { return Text("", help); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    return ComMethod([&]() -> HRESULT {
      if (file) *file = nullptr;
      if (topic) *topic = 0;
      return S_FALSE;
    }, file, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* keys) override { return Text("", keys); }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    return ComMethod([&]() -> HRESULT {
      if (!focus) return E_POINTER;
      VariantInit(focus);
      const PaletteWindow* w = Parts();
      if (!w) return RPC_E_DISCONNECTED;
      return Child(focus, GetFocus() == hwnd_ ? w->keys.focus + 1 : -1);
    }, focus);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return ComMethod([&]() -> HRESULT {
      if (!selection) return E_POINTER;
      VariantInit(selection);
      return S_FALSE;
    }, selection);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return ComMethod([&]() -> HRESULT {
      const ControlDef* c;
      if (HRESULT hr = Control(child, c); FAILED(hr)) return hr;
      if (!c || c->role == ControlRole::Title) return Text("", action);
      return Text(c->role == ControlRole::Command ? "Open" : "Press", action);
    }, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    return ComMethod([&]() -> HRESULT {
      const ControlDef* c;
      if (HRESULT hr = Control(child, c); FAILED(hr)) return hr;
      const int stop = c ? AccessibleChildOf(*Parts()->def, c) - 1 : -1;
      if (!(flags & SELFLAG_TAKEFOCUS) || stop < 0 || stop >= kFocusStops) return E_INVALIDARG;
      SetForegroundWindow(hwnd_);
      SetFocusStop(*Parts(), stop);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    return ComMethod([&]() -> HRESULT {
      const ControlDef* c;
      if (!left || !top || !width || !height) return E_POINTER;
      if (HRESULT hr = Control(child, c); FAILED(hr)) return hr;
      const PaletteWindow& w = *Parts();
      RECT r;
      if (c) r = PixelRect(VisibleRect(*w.def, *c), w.dpi);
      else GetClientRect(hwnd_, &r);
      MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
      *left = r.left, *top = r.top, *width = r.right - r.left, *height = r.bottom - r.top;
      return S_OK;
    }, left, top, width, height);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return ComMethod([&]() -> HRESULT {
      long id;
      if (!end) return E_POINTER;
      VariantInit(end);
      if (Id(start, id) != S_OK) return E_INVALIDARG;
      long to = -1;
      switch (direction) {
        case NAVDIR_FIRSTCHILD: to = id == CHILDID_SELF ? 1 : -1; break;
        case NAVDIR_LASTCHILD: to = id == CHILDID_SELF ? kAccessibleChildren : -1; break;
        case NAVDIR_NEXT: case NAVDIR_RIGHT: case NAVDIR_DOWN:
          to = id != CHILDID_SELF && id < kAccessibleChildren ? id + 1 : -1;
          break;
        case NAVDIR_PREVIOUS: case NAVDIR_LEFT: case NAVDIR_UP: to = id > 1 ? id - 1 : -1; break;
        default: return E_INVALIDARG;
      }
      return Child(end, to);
    }, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    return ComMethod([&]() -> HRESULT {
      if (!hit) return E_POINTER;
      VariantInit(hit);
      const PaletteWindow* w = Parts();
      if (!w) return RPC_E_DISCONNECTED;
      POINT at{x, y};
      ScreenToClient(hwnd_, &at);
      RECT client;
      GetClientRect(hwnd_, &client);
      if (!PtInRect(&client, at)) return Child(hit, -1);
      const ControlDef* c = HitTest(*w->def, PixelsToTwips(at.x, w->dpi), PixelsToTwips(at.y, w->dpi));
      return Child(hit, AccessibleChildOf(*w->def, c));  // 0, the client itself, where no control lies
    }, hit);
  }
  // What a click does, run from the window's own queue: a menu stays open
  // without holding up the caller.
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return ComMethod([&]() -> HRESULT {
      const ControlDef* c;
      if (HRESULT hr = Control(child, c); FAILED(hr)) return hr;
      const int id = c ? AccessibleChildOf(*Parts()->def, c) : 0;
      if (id < 1 || id > kFocusStops) return DISP_E_MEMBERNOTFOUND;
      return PostMessageA(hwnd_, kDefaultActionMessage, static_cast<WPARAM>(id), 0) ? S_OK : E_FAIL;
    });
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  // The window's parts while it is one of the palette's layout windows.
  PaletteWindow* Parts() const {
    char cls[64] = {};
    if (!IsWindow(hwnd_) || !GetClassNameA(hwnd_, cls, sizeof cls) || lstrcmpA(cls, kLayoutClass) != 0)
      return nullptr;
    return reinterpret_cast<PaletteWindow*>(GetWindowLongPtrA(hwnd_, GWLP_USERDATA));
  }
  static HRESULT Id(const VARIANT& v, long& id) {
    if (v.vt != VT_I4 || v.lVal < CHILDID_SELF || v.lVal > kAccessibleChildren) return E_INVALIDARG;
    id = v.lVal;
    return S_OK;
  }
  // The control named by `child`, nullptr for the client area itself.
  HRESULT Control(const VARIANT& child, const ControlDef*& c) const {
    c = nullptr;
    long id;
    if (Id(child, id) != S_OK) return E_INVALIDARG;
    const PaletteWindow* w = Parts();
    if (!w) return RPC_E_DISCONNECTED;
    if (id != CHILDID_SELF) c = AccessibleChild(*w->def, static_cast<int>(id));
    return S_OK;
  }
  // The same for a call whose out parameter `out` may be missing (E_POINTER).
  HRESULT Control(const VARIANT& child, const ControlDef*& c, const void* out) const {
    c = nullptr;
    return out ? Control(child, c) : E_POINTER;
  }

  LONG refs_ = 1;
  HWND hwnd_;
};

}  // namespace

bool AnswerGetObject(PaletteWindow& w, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (static_cast<LONG>(static_cast<DWORD>(lp)) != OBJID_CLIENT) return false;
  const auto lresultFromObject = LoadOleacc().lresultFromObject;
  if (!lresultFromObject) return false;
  if (!w.accessible) w.accessible.Attach(new PaletteAccessible(w.hwnd));
  result = lresultFromObject(__uuidof(IAccessible), wp, w.accessible.Get());
  return true;
}
