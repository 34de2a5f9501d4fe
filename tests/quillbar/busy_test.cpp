#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "busy.h"
#include "error.h"

namespace {

// A scripted AutoCAD and clock: each try fails with the next listed error until
// they run out, then the command is taken; a pause moves the clock on.
struct FakeAcad {
  std::vector<unsigned long> refusals;
  bool refuseForever = false;
  uint64_t now = 5000;
  std::vector<std::string> taken, boxes;
  std::vector<unsigned> pauses;
  std::function<void()> duringPause;

  BusyOps ops(const std::string& text) {
    BusyOps o;
    o.send = [this, text] {
      if (refuseForever) throw SystemError(kCallRejected, "Call was rejected by callee.");
      if (!refusals.empty()) {
        const unsigned long error = refusals.front();
        refusals.erase(refusals.begin());
        throw SystemError(error, "refused");
      }
      taken.push_back(text);
    };
    o.clockMs = [this] { return now; };
    o.pause = [this](unsigned ms) {
      pauses.push_back(ms);
      now += ms;
      if (duringPause) duringPause();
    };
    o.busyBox = [this](const std::string& t) { boxes.push_back(t); };
    return o;
  }
};

TEST(SendWhenFree, BusyForAMomentThenTakenOnce) {
  FakeAcad acad;
  acad.refusals = {kCallRejected, kRetryLater, kCallRejected};
  EXPECT_EQ(SendWhenFree("_Landscape\r", acad.ops("_Landscape\r")), Delivery::Sent);
  EXPECT_EQ(acad.taken, std::vector<std::string>{"_Landscape\r"});
  EXPECT_TRUE(acad.boxes.empty());
  ASSERT_EQ(acad.pauses.size(), 3u);
  for (unsigned ms : acad.pauses) EXPECT_TRUE(ms >= 100 && ms <= 250) << ms;
  EXPECT_FALSE(CommandPending());
}

TEST(SendWhenFree, BusyThroughoutGivesUpWithinTheBudgetAndTellsTheUser) {
  FakeAcad acad;
  acad.refuseForever = true;
  const uint64_t start = acad.now;
  EXPECT_EQ(SendWhenFree("_Landscape\r", acad.ops("_Landscape\r")), Delivery::GaveUp);
  EXPECT_TRUE(acad.taken.empty());
  EXPECT_LE(acad.now - start, kBusyBudgetMs);
  EXPECT_GT(acad.now - start + kBusyPauseMs, kBusyBudgetMs) << "tried until the budget was spent";
  ASSERT_EQ(acad.boxes.size(), 1u);
  EXPECT_EQ(acad.boxes[0],
            "AutoCAD is busy and did not take the command _Landscape.\n"
            "Finish or cancel what AutoCAD is doing, then choose the command again.");
  EXPECT_FALSE(CommandPending()) << "the palette takes the next choice";
  acad.refuseForever = false;
  EXPECT_EQ(SendWhenFree("_Contour\r", acad.ops("_Contour\r")), Delivery::Sent);
  EXPECT_EQ(acad.taken, std::vector<std::string>{"_Contour\r"});
}

TEST(SendWhenFree, OtherFailuresAreNotRetried) {
  for (unsigned long error : {0x80010108ul, 0x800706BAul, 0x80020009ul}) {
    FakeAcad acad;
    acad.refusals = {kCallRejected, error};
    EXPECT_THROW(SendWhenFree("_VeskH\r", acad.ops("_VeskH\r")), SystemError) << std::hex << error;
    EXPECT_TRUE(acad.taken.empty());
    EXPECT_TRUE(acad.boxes.empty());
    EXPECT_EQ(acad.pauses.size(), 1u);
    EXPECT_FALSE(CommandPending());
  }
}

TEST(SendWhenFree, ChoicesWhileWaitingAreIgnoredNotNestedOrQueued) {
  FakeAcad acad;
  acad.refusals = {kCallRejected, kCallRejected};
  FakeAcad other;
  std::vector<Delivery> nested;
  acad.duringPause = [&] {
    EXPECT_TRUE(CommandPending());
    nested.push_back(SendWhenFree("_Contour\r", other.ops("_Contour\r")));
  };
  EXPECT_EQ(SendWhenFree("_Landscape\r", acad.ops("_Landscape\r")), Delivery::Sent);
  EXPECT_EQ(nested, (std::vector<Delivery>{Delivery::Ignored, Delivery::Ignored}));
  EXPECT_TRUE(other.taken.empty());
  EXPECT_EQ(acad.taken, std::vector<std::string>{"_Landscape\r"});
}

TEST(RetryRejectedCallAnswer, WaitsOutRetryLaterWithinTheBudgetOnly) {
  const long pause = RetryRejectedCallAnswer(kServerCallRetryLater, 0);
  EXPECT_TRUE(pause >= 100 && pause <= 250) << pause;  // below 100 the system retries at once
  EXPECT_EQ(RetryRejectedCallAnswer(kServerCallRetryLater, kBusyBudgetMs - kBusyPauseMs), pause);
  EXPECT_EQ(RetryRejectedCallAnswer(kServerCallRetryLater, kBusyBudgetMs), -1);
  EXPECT_EQ(RetryRejectedCallAnswer(kServerCallRejected, 0), -1) << "the sender retries an outright rejection";
}

}  // namespace
