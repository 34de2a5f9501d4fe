#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "release_in_front.h"

// Which release a choice goes to, from the window the user came from and who
// shows each window from the top down. Processes: 10 shows release 0 (the
// attached one), 20 release 1 where its main window is known, 30 another
// program, 40 an AutoCAD no known release owns, 50 an AutoCAD started with other
// rights; 0 is a window that went during the walk.
TEST(ReleaseInFront, TheAutoCADTheUserWorksInOrWhyNone) {
  constexpr WindowFacts r0{10}, r1{20}, other{30}, unknown{40}, elevated{50}, gone{0};
  constexpr WindowFacts cloaked{40, false};  // on another virtual desktop, empty, or fully transparent
  const std::vector<unsigned long> both{10, 20}, secondUnread{10, 0};
  const struct {
    std::optional<WindowFacts> cameFrom;
    std::vector<WindowFacts> windows;
    std::vector<unsigned long> releases;
    Unread unread;
    bool secondCopy;
    Front front;
    size_t release;
  } cases[] = {
      {{}, {r1, r0}, both, Unread::None, false, Front::Release, 1},          // the release seen highest
      {{}, {other, r1, r0}, both, Unread::None, false, Front::Release, 1},   // another program above is passed over
      {{}, {r0, r0, r1}, both, Unread::None, false, Front::Release, 0},      // its own windows above its main one
      {r1, {r0, r1}, both, Unread::None, false, Front::Release, 1},          // the window the user came from first
      {other, {r1, r0}, both, Unread::None, false, Front::Release, 1},       // a came-from of no AutoCAD: the z-order
      {{}, {cloaked, r0}, both, Unread::None, true, Front::Release, 0},      // what the user cannot see does not count
      {{}, {gone, r0}, secondUnread, Unread::None, false, Front::Release, 0},  // a window gone matches no unread release
      {{}, {r0, unknown}, secondUnread, Unread::NotAsked, false, Front::Release, 0},  // known above: no read needed
      {{}, {unknown, r0}, secondUnread, Unread::NotAsked, false, Front::Read, 0},     // unknown above: read first
      {{}, {unknown, r0}, secondUnread, Unread::NoAnswer, true, Front::Wait, 0},      // it may be the one not answering
      {{}, {unknown, r0}, both, Unread::None, true, Front::SecondCopy, 0},   // every release known: a second copy
      {unknown, {r0}, both, Unread::None, true, Front::SecondCopy, 0},       // coming from a second copy
      {{}, {unknown, r0}, both, Unread::None, false, Front::Wait, 0},        // no second entry: one still starting
      {{}, {elevated, r0}, both, Unread::None, false, Front::OtherElevation, 0},
      {{}, {other}, both, Unread::None, false, Front::Release, 0},           // no AutoCAD shown: the attached one
  };
  for (const auto& c : cases) {
    Desk desk;
    desk.cameFrom = c.cameFrom;
    desk.windows = c.windows;
    desk.releases = c.releases;
    desk.kindOf = [](unsigned long process) {
      return process == 40 ? ProcessKind::AutoCAD : process == 50 ? ProcessKind::AutoCADElevation : ProcessKind::OtherProgram;
    };
    desk.unread = c.unread;
    desk.secondCopy = c.secondCopy;
    const InFront got = ReleaseInFront(desk);
    EXPECT_EQ(got.front, c.front) << &c - cases;
    if (c.front == Front::Release) {
      EXPECT_EQ(got.release, c.release) << &c - cases;
    }
  }
}
