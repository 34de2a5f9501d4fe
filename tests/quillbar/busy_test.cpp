#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "busy.h"
#include "error.h"
#include "state.h"

namespace {

constexpr unsigned long kServerUnavailable = 0x800706BA;  // AutoCAD's process is gone
constexpr unsigned long kDisconnected = 0x80010108;       // the drawing was closed
constexpr unsigned long kException = 0x80020009;          // DISP_E_EXCEPTION

// A scripted AutoCAD and clock. Drawings open, close and come to the front;
// AutoCAD quits and starts again (a new instance the palette has to attach to).
// Listed failures come first, call by call; a pause moves the clock on.
struct FakeAcad {
  bool running = true;
  int instance = 1, attachedTo = 1;
  std::vector<std::string> drawings{"Drawing1"};  // open, the front one last
  bool noDrawingFails = true;                     // else ActiveDocument yields no object
  std::map<AcadCall, std::vector<unsigned long>> failures;
  std::function<void()> atSend, duringPause;
  bool paletteGone = false;

  uint64_t now = 5000;
  std::string read;  // the drawing the last ActiveDocument gave
  std::vector<std::string> calls, taken, boxes;
  std::vector<unsigned> pauses;

  void scripted(AcadCall call) {
    auto& list = failures[call];
    if (list.empty()) return;
    const unsigned long error = list.front();
    list.erase(list.begin());
    throw SystemError(error, "scripted");
  }
  void restart() { ++instance; }
  bool open(const std::string& d) { return std::find(drawings.begin(), drawings.end(), d) != drawings.end(); }

  DeliveryOps ops() {
    DeliveryOps o;
    o.attach = [this] {
      calls.push_back("attach");
      scripted(AcadCall::Attach);
      attachedTo = instance;
      return running;
    };
    o.readActiveDocument = [this] {
      calls.push_back("document");
      scripted(AcadCall::ActiveDocument);
      if (!running || attachedTo != instance) throw SystemError(kServerUnavailable, "RPC server unavailable.");
      if (drawings.empty()) {
        if (noDrawingFails) throw SystemError(kException, "No document.");
        return DrawingRead::NoDrawing;
      }
      read = drawings.back();
      return DrawingRead::Found;
    };
    o.send = [this](const std::string& text) {
      calls.push_back("send");
      scripted(AcadCall::SendCommand);
      if (atSend) std::exchange(atSend, nullptr)();
      if (!running || attachedTo != instance) throw SystemError(kServerUnavailable, "RPC server unavailable.");
      if (!open(read)) throw SystemError(kDisconnected, "Object disconnected.");
      taken.push_back(read + " " + text);
    };
    o.clockMs = [this] { return now; };
    o.pause = [this](unsigned ms) {
      pauses.push_back(ms);
      now += ms;
      if (duringPause) duringPause();
      return !paletteGone;
    };
    o.warningBox = [this](const std::string& t) {
      EXPECT_FALSE(CommandPending()) << "the wait cursor is gone before the box";
      boxes.push_back(t);
    };
    return o;
  }
  Delivery choose(const std::string& text = "_Landscape\r") { return SendWhenFree(text, ops()); }
};

struct Deliver : testing::Test {
  void SetUp() override { State() = PaletteState{}; }
  FakeAcad acad;
};

using Strings = std::vector<std::string>;

TEST_F(Deliver, EachChoiceGoesToTheDrawingInFront) {
  EXPECT_EQ(acad.choose(), Delivery::Sent);
  acad.drawings.push_back("Drawing2");
  EXPECT_EQ(acad.choose("_Contour\r"), Delivery::Sent);
  acad.drawings = {"Drawing2"};  // the start-up drawing closed
  EXPECT_EQ(acad.choose("_Cross\r"), Delivery::Sent);
  EXPECT_EQ(acad.taken, (Strings{"Drawing1 _Landscape\r", "Drawing2 _Contour\r", "Drawing2 _Cross\r"}));
  EXPECT_TRUE(acad.boxes.empty());
  EXPECT_FALSE(CommandPending());
}

TEST_F(Deliver, ABusyAutoCADIsWaitedOutForTheDrawingReadAndTheSendAlike) {
  acad.failures[AcadCall::ActiveDocument] = {kCallRejected, kRetryLater};
  acad.failures[AcadCall::SendCommand] = {kCallRejected};
  EXPECT_EQ(acad.choose(), Delivery::Sent);
  EXPECT_EQ(acad.taken, Strings{"Drawing1 _Landscape\r"});
  EXPECT_TRUE(acad.boxes.empty());
  ASSERT_EQ(acad.pauses.size(), 3u);
  for (unsigned ms : acad.pauses) EXPECT_TRUE(ms >= 100 && ms <= 250) << ms;
}

TEST_F(Deliver, BusyThroughoutGivesUpWithinTheBudgetAndTellsTheUser) {
  acad.failures[AcadCall::ActiveDocument] = {kCallRejected, kCallRejected};
  acad.failures[AcadCall::SendCommand] = std::vector<unsigned long>(1000, kCallRejected);
  const uint64_t start = acad.now;
  EXPECT_EQ(acad.choose(), Delivery::GaveUp);
  EXPECT_TRUE(acad.taken.empty());
  EXPECT_LE(acad.now - start, kBusyBudgetMs);
  EXPECT_GT(acad.now - start + kBusyPauseMs, kBusyBudgetMs) << "tried until the budget was spent";
  EXPECT_EQ(acad.boxes, Strings{"AutoCAD is busy and did not take the command _Landscape.\n"
                                "Finish or cancel what AutoCAD is doing, then choose the command again."});
  acad.failures.clear();
  EXPECT_EQ(acad.choose("_Contour\r"), Delivery::Sent) << "the palette takes the next choice";
}

TEST_F(Deliver, ADrawingClosedJustBeforeTheSendGivesWayToTheOneInFront) {
  acad.drawings = {"Drawing1", "Drawing2"};
  acad.atSend = [&] { acad.drawings.pop_back(); };
  EXPECT_EQ(acad.choose(), Delivery::Sent);
  EXPECT_EQ(acad.taken, Strings{"Drawing1 _Landscape\r"});
  EXPECT_TRUE(acad.boxes.empty());

  // The one in front then goes the same way: no drawing is left to send to.
  acad.taken.clear();
  acad.failures[AcadCall::SendCommand] = {kDisconnected, kDisconnected};
  EXPECT_EQ(acad.choose(), Delivery::NoDrawing);
  EXPECT_TRUE(acad.taken.empty());
  EXPECT_EQ(acad.boxes, Strings{"AutoCAD has no drawing open, so _Landscape was not sent.\n"
                                "Open a drawing, then choose the command again."});
}

TEST_F(Deliver, NoDrawingOpenTellsTheUserWhetherTheReadFailsOrYieldsNothing) {
  acad.drawings.clear();
  for (bool fails : {true, false}) {
    acad.noDrawingFails = fails;
    EXPECT_EQ(acad.choose("_Contour\r"), Delivery::NoDrawing);
  }
  EXPECT_EQ(acad.boxes.size(), 2u);
  EXPECT_EQ(acad.boxes[1], "AutoCAD has no drawing open, so _Contour was not sent.\n"
                           "Open a drawing, then choose the command again.");
  acad.drawings = {"Drawing5"};
  EXPECT_EQ(acad.choose(), Delivery::Sent);
  EXPECT_EQ(acad.taken, Strings{"Drawing5 _Landscape\r"});
}

TEST_F(Deliver, AutoCADRestartedIsAttachedAgainAndGetsTheCommand) {
  // Between choices, and between the drawing read and the send.
  acad.restart();
  EXPECT_EQ(acad.choose(), Delivery::Sent);
  acad.atSend = [&] { acad.restart(); };
  EXPECT_EQ(acad.choose("_Contour\r"), Delivery::Sent);
  EXPECT_EQ(acad.taken, (Strings{"Drawing1 _Landscape\r", "Drawing1 _Contour\r"}));
  EXPECT_TRUE(acad.boxes.empty());
  EXPECT_EQ(std::count(acad.calls.begin(), acad.calls.end(), "attach"), 2);
}

TEST_F(Deliver, AutoCADGoneTellsTheUserAndTheNextChoiceFindsTheNewOne) {
  acad.running = false;
  EXPECT_EQ(acad.choose(), Delivery::NotRunning);
  // One that answers the attach but is gone again at once counts as not running.
  acad.running = true;
  acad.restart();
  acad.failures[AcadCall::ActiveDocument] = {kServerUnavailable, kServerUnavailable};
  EXPECT_EQ(acad.choose(), Delivery::NotRunning);
  EXPECT_EQ(acad.boxes, Strings(2, "AutoCAD is not running, so _Landscape was not sent.\n"
                                   "Start AutoCAD, then choose the command again."));
  EXPECT_TRUE(acad.taken.empty());
  EXPECT_EQ(acad.choose(), Delivery::Sent);
}

TEST_F(Deliver, AutoCADEndingWhileItIsReadIsNotRunningNotNoDrawing) {
  // RPC_E_SERVER_DIED, RPC_E_DISCONNECTED, CO_E_OBJNOTCONNECTED: while reading
  // ActiveDocument, and while attaching anew to the ending AutoCAD.
  for (unsigned long error : {0x80010007ul, kDisconnected, 0x800401FDul})
    for (AcadCall call : {AcadCall::ActiveDocument, AcadCall::Attach}) {
      FakeAcad ending;
      ending.failures[AcadCall::ActiveDocument] = {error};
      if (call == AcadCall::Attach) ending.failures[AcadCall::Attach] = {error};
      ending.running = call == AcadCall::Attach;  // else the attach finds none
      EXPECT_EQ(ending.choose(), Delivery::NotRunning) << std::hex << error;
      EXPECT_EQ(ending.boxes, Strings{NotRunningBoxText("_Landscape\r")}) << std::hex << error;
    }
}

TEST_F(Deliver, OtherFailuresGoToTheErrorReportWithoutASecondTry) {
  // RPC_E_SERVER_DIED: the call may have run, so it is not sent elsewhere.
  for (unsigned long error : {kException, 0x80010007ul, 0x80070005ul}) {
    FakeAcad acad;
    acad.failures[AcadCall::SendCommand] = {kCallRejected, error};
    EXPECT_THROW(acad.choose(), SystemError) << std::hex << error;
    EXPECT_EQ(std::count(acad.calls.begin(), acad.calls.end(), "send"), 2);
    EXPECT_TRUE(acad.boxes.empty());
    EXPECT_FALSE(CommandPending());
  }
  FakeAcad attachFails;
  attachFails.restart();
  attachFails.failures[AcadCall::Attach] = {0x80070005ul};
  EXPECT_THROW(attachFails.choose(), SystemError);
}

TEST_F(Deliver, APaletteClosedWhileWaitingStopsTheDeliveryAtOnce) {
  acad.failures[AcadCall::SendCommand] = {kCallRejected, kCallRejected};
  acad.duringPause = [&] { acad.paletteGone = true; };
  EXPECT_EQ(acad.choose(), Delivery::Abandoned);
  EXPECT_EQ(std::count(acad.calls.begin(), acad.calls.end(), "send"), 1) << "no try after the palette went";
  EXPECT_TRUE(acad.taken.empty());
  EXPECT_TRUE(acad.boxes.empty());
  EXPECT_FALSE(CommandPending());
}

TEST_F(Deliver, ChoicesWhileWaitingAreIgnoredNotNestedOrQueued) {
  acad.failures[AcadCall::SendCommand] = {kCallRejected, kCallRejected};
  FakeAcad other;
  std::vector<Delivery> nested;
  acad.duringPause = [&] {
    EXPECT_TRUE(CommandPending());
    nested.push_back(other.choose("_Contour\r"));
  };
  EXPECT_EQ(acad.choose(), Delivery::Sent);
  EXPECT_EQ(nested, (std::vector<Delivery>{Delivery::Ignored, Delivery::Ignored}));
  EXPECT_TRUE(other.calls.empty());
  EXPECT_EQ(acad.taken, Strings{"Drawing1 _Landscape\r"});
}

TEST(BoxText, NamesTheCommandWithoutItsEscapesOrCR) {
  EXPECT_EQ(NotRunningBoxText("\x1b\x1b_Cross\r"),
            "AutoCAD is not running, so _Cross was not sent.\nStart AutoCAD, then choose the command again.");
}

TEST(RetryRejectedCallAnswer, WaitsOutRetryLaterWithinTheBudgetOnly) {
  const long pause = RetryRejectedCallAnswer(kServerCallRetryLater, 0);
  EXPECT_TRUE(pause >= 100 && pause <= 250) << pause;  // below 100 the system retries at once
  EXPECT_EQ(RetryRejectedCallAnswer(kServerCallRetryLater, kBusyBudgetMs - kBusyPauseMs), pause);
  EXPECT_EQ(RetryRejectedCallAnswer(kServerCallRetryLater, kBusyBudgetMs), -1);
  EXPECT_EQ(RetryRejectedCallAnswer(kServerCallRejected, 0), -1) << "the sender retries an outright rejection";
}

}  // namespace
