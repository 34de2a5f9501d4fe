// A busy AutoCAD refuses automation calls (a command or dialog is running). A
// refused menu command is tried again for a while; if AutoCAD stays busy the
// user is told so, and the palette carries on. Every other failure still ends
// the program through the error report.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

// The two answers of a busy server.
inline constexpr unsigned long kCallRejected = 0x80010001;  // RPC_E_CALL_REJECTED
inline constexpr unsigned long kRetryLater = 0x8001010A;    // RPC_E_SERVERCALL_RETRYLATER

inline constexpr uint64_t kBusyBudgetMs = 10000;  // from the menu choice to giving up
inline constexpr unsigned kBusyPauseMs = 150;     // between two tries

// What to do about a failed call, `elapsedMs` after the menu choice.
enum class Refusal {
  NotBusy,  // any other failure: the error report
  TryAgain, // after kBusyPauseMs
  GiveUp,   // the budget is spent: tell the user
};
Refusal AnswerRefusal(unsigned long error, uint64_t elapsedMs);

// The answer of a message filter's RetryRejectedCall: the pause in ms before the
// system tries again, or -1 to let the call fail. "Retry later" is waited out
// within the budget; an outright rejection is left to SendWhenFree.
inline constexpr unsigned long kServerCallRejected = 1;    // SERVERCALL_REJECTED
inline constexpr unsigned long kServerCallRetryLater = 2;  // SERVERCALL_RETRYLATER
long RetryRejectedCallAnswer(unsigned long rejectType, uint64_t elapsedMs);

struct BusyOps {
  std::function<void()> send;  // one try; throws SystemError with the call's error
  std::function<uint64_t()> clockMs;
  std::function<void(unsigned ms)> pause;  // the palette keeps painting meanwhile
  std::function<void(const std::string& text)> busyBox;
};

enum class Delivery { Sent, Ignored, GaveUp };

// Sends a command (its text, CR included), trying again while AutoCAD is busy.
// A choice made while another command is still pending is Ignored: nothing is
// sent twice and no call is nested. Failures other than busy propagate.
Delivery SendWhenFree(const std::string& commandText, const BusyOps& ops);

// True from a menu choice until its command is delivered or given up.
bool CommandPending();
// When the pending command was chosen (clockMs); 0 when none is pending.
uint64_t PendingSince();

// The box shown when AutoCAD stayed busy: names the command, without its CR.
std::string BusyBoxText(const std::string& commandText);
