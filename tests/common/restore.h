// Puts a seam's operations (Files(), Platform())
// back as they were when it goes out of scope, so a test may replace any of them.
#pragma once

template <class Ops>
class Restore {
 public:
  explicit Restore(Ops& ops) : ops_(ops), saved_(ops) {}
  ~Restore() { ops_ = saved_; }
  Restore(const Restore&) = delete;
  Restore& operator=(const Restore&) = delete;

 private:
  Ops& ops_;
  Ops saved_;
};
