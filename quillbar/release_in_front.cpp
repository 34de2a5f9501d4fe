#include "release_in_front.h"

std::optional<size_t> ReleaseInFront(const std::vector<int>& windows, bool busyUnread) {
  for (int w : windows) {
    if (w >= 0) return static_cast<size_t>(w);
    if (w == kUnknownAutoCAD && busyUnread) return std::nullopt;
  }
  return 0;
}
