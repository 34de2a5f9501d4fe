#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "release_in_front.h"

// Which release a choice goes to, given who shows each window from the top down.
TEST(ReleaseInFront, TheFirstWindowOfAKnownReleaseUnlessABusyOneMayBeAbove) {
  constexpr int other = kOtherProgram, unknown = kUnknownAutoCAD;
  const struct {
    std::vector<int> windows;
    bool busyUnread;
    std::optional<size_t> front;
  } cases[] = {
      {{1, 0}, false, 1},                // the release whose window is highest
      {{other, 1, 0}, false, 1},         // another program above both is passed over
      {{0, 0, 1}, false, 0},             // its own windows above its main one are its own
      {{unknown, 0}, true, std::nullopt},  // a busy release may be the one above: wait
      {{unknown, 0}, false, 0},          // one that did not answer in time is not in front
      {{0, unknown}, true, 0},           // a busy release behind is not waited for
      {{other}, false, 0},               // no release shown: the attached one
      {{}, true, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.front, ReleaseInFront(c.windows, c.busyUnread));
}
