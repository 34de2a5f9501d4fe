// The one owner of a system handle in both programs: it frees what it holds when
// it goes out of scope, also when an exception passes. It cannot be copied, so no
// handle is ever freed twice; it can be moved.
//
// Traits say what the handle is: `Handle`, its empty value `Empty()`, which
// values hold something (`Valid`), and how it is freed (`Close`).
#pragma once
#include <utility>

template <class Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  explicit ScopedHandle(Handle h = Traits::Empty()) : h_(h) {}
  ~ScopedHandle() { reset(); }
  ScopedHandle(ScopedHandle&& other) noexcept : h_(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  void reset(Handle h = Traits::Empty()) {
    if (Traits::Valid(h_)) Traits::Close(h_);
    h_ = h;
  }
  Handle get() const { return h_; }
  Handle release() { return std::exchange(h_, Traits::Empty()); }
  // Frees what is held and gives the place of the handle, for a call that fills it in.
  Handle* receive() {
    reset();
    return &h_;
  }
  explicit operator bool() const { return Traits::Valid(h_); }

 private:
  Handle h_;
};

// The common case: a handle whose empty value is null, freed by one call.
template <class H, auto CloseFunction>
struct NullableHandleTraits {
  using Handle = H;
  static Handle Empty() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CloseFunction(h); }
};
