#include "busy.h"

#include "error.h"

namespace {

bool pending = false;
uint64_t pendingSince = 0;

// Clears the pending command however SendWhenFree ends.
struct PendingCommand {
  explicit PendingCommand(uint64_t since) {
    pending = true;
    pendingSince = since;
  }
  ~PendingCommand() {
    pending = false;
    pendingSince = 0;
  }
};

}  // namespace

Refusal AnswerRefusal(unsigned long error, uint64_t elapsedMs) {
  if (error != kCallRejected && error != kRetryLater) return Refusal::NotBusy;
  return elapsedMs + kBusyPauseMs <= kBusyBudgetMs ? Refusal::TryAgain : Refusal::GiveUp;
}

long RetryRejectedCallAnswer(unsigned long rejectType, uint64_t elapsedMs) {
  if (rejectType == kServerCallRetryLater && AnswerRefusal(kRetryLater, elapsedMs) == Refusal::TryAgain)
    return kBusyPauseMs;
  return -1;
}

bool CommandPending() { return pending; }

uint64_t PendingSince() { return pendingSince; }

std::string BusyBoxText(const std::string& commandText) {
  std::string name = commandText;
  if (!name.empty() && name.back() == '\r') name.pop_back();
  return "AutoCAD is busy and did not take the command " + name +
         ".\nFinish or cancel what AutoCAD is doing, then choose the command again.";
}

Delivery SendWhenFree(const std::string& commandText, const BusyOps& ops) {
  if (pending) return Delivery::Ignored;
  const uint64_t start = ops.clockMs();
  PendingCommand guard(start);
  for (;;) {
    try {
      ops.send();
      return Delivery::Sent;
    } catch (const SystemError& e) {
      switch (AnswerRefusal(e.number, ops.clockMs() - start)) {
        case Refusal::NotBusy:
          throw;
        case Refusal::GiveUp:
          ops.busyBox(BusyBoxText(commandText));
          return Delivery::GaveUp;
        case Refusal::TryAgain:
          break;
      }
    }
    ops.pause(kBusyPauseMs);
  }
}
