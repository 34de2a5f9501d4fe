#include "busy.h"

#include <algorithm>

#include "error.h"
#include "release_in_front.h"
#include "state.h"

namespace {

// Failures that mean the object on the other side is gone, and that the call
// did not run: sending again elsewhere cannot make the command arrive twice.
bool Disconnected(unsigned long error) {
  switch (error) {
    case 0x800706BA:  // RPC_S_SERVER_UNAVAILABLE: AutoCAD's process is gone
    case 0x80010108:  // RPC_E_DISCONNECTED: the object was disconnected from its clients
    case 0x800401FD:  // CO_E_OBJNOTCONNECTED
    case 0x80010012:  // RPC_E_SERVER_DIED_DNE: the server died, the call did not execute
    case 0x800706BF:  // RPC_S_CALL_FAILED_DNE
      return true;
    default:
      return false;  // RPC_E_SERVER_DIED and RPC_S_CALL_FAILED may have run the call
  }
}

// A read of AutoCAD (the attach, ActiveDocument) changes nothing there, so a
// server that died during it is gone as surely as one that was already gone.
bool GoneDuringRead(unsigned long error) {
  return Disconnected(error) || error == 0x80010007 /* RPC_E_SERVER_DIED */ ||
         error == 0x800706BE /* RPC_S_CALL_FAILED */;
}

std::string CommandName(const std::string& commandText) {
  std::string name = commandText.substr(std::min(commandText.find_first_not_of('\x1b'), commandText.size()));
  if (!name.empty() && name.back() == '\r') name.pop_back();
  return name;
}

// Marks the command pending until End() or the end of SendWhenFree.
struct PendingCommand {
  explicit PendingCommand(uint64_t since) {
    State().commandPending = true;
    State().pendingSince = since;
  }
  ~PendingCommand() { End(); }
  void End() {
    State().commandPending = false;
    State().pendingSince = 0;
  }
};

}  // namespace

bool ServerGone(unsigned long error) { return GoneDuringRead(error); }

bool ServerBusy(unsigned long error) { return error == kCallRejected || error == kRetryLater; }

NextStep AnswerFailure(AcadCall call, unsigned long error, uint64_t elapsedMs, const DeliveryTries& tried) {
  if (ServerBusy(error))
    return elapsedMs + kBusyPauseMs <= kBusyBudgetMs ? NextStep::TryAgain : NextStep::BusyBox;
  switch (call) {
    case AcadCall::SendCommand:
      // The drawing just read went away; if AutoCAD did too, reading the next
      // one says so. A second drawing that goes away the same way leaves none.
      if (Disconnected(error)) return tried.readAgain ? NextStep::NoDrawingBox : NextStep::ReadDocument;
      break;
    case AcadCall::ActiveDocument:
      if (GoneDuringRead(error)) return tried.attachedAgain ? NextStep::NotRunningBox : NextStep::Attach;
      break;
    case AcadCall::Attach:
      if (GoneDuringRead(error)) return NextStep::NotRunningBox;
      break;
  }
  // Reading ActiveDocument fails when AutoCAD has no drawing open.
  return call == AcadCall::ActiveDocument ? NextStep::NoDrawingBox : NextStep::ErrorReport;
}

long RetryRejectedCallAnswer(unsigned long rejectType, uint64_t elapsedMs) {
  if (rejectType == kServerCallRetryLater &&
      AnswerFailure(AcadCall::SendCommand, kRetryLater, elapsedMs, {}) == NextStep::TryAgain)
    return kBusyPauseMs;
  return -1;
}

bool CommandPending() { return State().commandPending; }

uint64_t PendingSince() { return State().pendingSince; }

std::string BusyBoxText(const std::string& commandText) {
  return "AutoCAD is busy and did not take the command " + CommandName(commandText) +
         ".\nFinish or cancel what AutoCAD is doing, then choose the command again.";
}

std::string NoDrawingBoxText(const std::string& commandText) {
  return "AutoCAD has no drawing open, so " + CommandName(commandText) +
         " was not sent.\nOpen a drawing, then choose the command again.";
}

std::string NotRunningBoxText(const std::string& commandText) {
  return "AutoCAD is not running, so " + CommandName(commandText) +
         " was not sent.\nStart AutoCAD, then choose the command again.";
}

Delivery SendWhenFree(const std::string& commandText, const DeliveryOps& ops) {
  if (CommandPending()) return Delivery::Ignored;
  const uint64_t start = ops.clockMs();
  PendingCommand pending(start);
  // The box comes after the pending state ends, so the palette shows its own
  // cursor again while the box is open.
  auto tell = [&](std::string text, Delivery outcome) {
    pending.End();
    ops.warningBox(text);
    return outcome;
  };
  DeliveryTries tried;
  AcadCall call = AcadCall::ActiveDocument;  // start-up attached
  for (;;) {
    try {
      if (call == AcadCall::Attach) {
        if (!ops.attach()) return tell(NotRunningBoxText(commandText), Delivery::NotRunning);
        call = AcadCall::ActiveDocument;
      }
      if (call == AcadCall::ActiveDocument) {
        switch (ops.readActiveDocument()) {
          case DrawingRead::Found: break;
          case DrawingRead::NoDrawing: return tell(NoDrawingBoxText(commandText), Delivery::NoDrawing);
          case DrawingRead::SecondCopy:
            return tell(SecondCopyBoxText(CommandName(commandText)), Delivery::Unreachable);
          case DrawingRead::OtherElevation: return tell(ElevationBoxText(), Delivery::Unreachable);
        }
        call = AcadCall::SendCommand;
      }
      ops.send(commandText);
      return Delivery::Sent;
    } catch (const SystemError& e) {
      switch (AnswerFailure(call, e.number, ops.clockMs() - start, tried)) {
        case NextStep::TryAgain:
          if (!ops.pause(kBusyPauseMs)) return Delivery::Abandoned;
          break;
        case NextStep::BusyBox:
          return tell(BusyBoxText(commandText), Delivery::GaveUp);
        case NextStep::ReadDocument:
          tried.readAgain = true;
          call = AcadCall::ActiveDocument;
          break;
        case NextStep::Attach:
          tried.attachedAgain = true;
          call = AcadCall::Attach;
          break;
        case NextStep::NoDrawingBox:
          return tell(NoDrawingBoxText(commandText), Delivery::NoDrawing);
        case NextStep::NotRunningBox:
          return tell(NotRunningBoxText(commandText), Delivery::NotRunning);
        case NextStep::ErrorReport:
          throw;
      }
    }
  }
}
