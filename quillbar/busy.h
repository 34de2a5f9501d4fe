// Delivering a menu choice to the drawing in front. Each choice reads AutoCAD's
// ActiveDocument and sends the command there; nothing about the drawing is kept
// between choices. What can go wrong on the way, and what the palette does then:
// - AutoCAD is busy (a command or dialog runs) and refuses the call: the call is
//   tried again for a while; if AutoCAD stays busy the user is told so.
// - No drawing is open: the user is told so.
// - AutoCAD quit, or was restarted: the palette attaches again and sends; when
//   no AutoCAD runs the user is told so.
// - The drawing just read was closed a moment later: the one now in front gets it.
// In each of these the palette carries on. Every other failure still ends the
// program through the error report.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The two answers of a busy server.
inline constexpr unsigned long kCallRejected = 0x80010001;  // RPC_E_CALL_REJECTED
inline constexpr unsigned long kRetryLater = 0x8001010A;    // RPC_E_SERVERCALL_RETRYLATER

inline constexpr uint64_t kBusyBudgetMs = 10000;  // from the menu choice to giving up
inline constexpr unsigned kBusyPauseMs = 150;     // between two tries

// A failure that means AutoCAD's object is gone (its process ended or was
// disconnected), so a read of it can be dropped and done elsewhere.
bool ServerGone(unsigned long error);
// The answer of an AutoCAD that is busy (a command or dialog runs): the call did
// not run, and may be tried again.
bool ServerBusy(unsigned long error);

// The calls of one delivery, in their order.
enum class AcadCall { Attach, ActiveDocument, SendCommand };

// What one delivery has already tried.
struct DeliveryTries {
  bool attachedAgain = false;  // attached anew after AutoCAD could not be reached
  bool readAgain = false;      // read ActiveDocument anew after the drawing could not be reached
};

// What to do after `call` failed with `error`, `elapsedMs` after the menu choice.
enum class NextStep {
  TryAgain,          // AutoCAD is busy: the same call after kBusyPauseMs
  BusyBox,           // busy for the whole budget
  ReadDocument,      // the drawing was closed: read the one in front now
  Attach,            // AutoCAD went away: attach to the one running now
  NoDrawingBox,      // no drawing open
  NotRunningBox,     // no AutoCAD to attach to
  ErrorReport,       // anything else
};
NextStep AnswerFailure(AcadCall call, unsigned long error, uint64_t elapsedMs, const DeliveryTries& tried);

// The answer of a message filter's RetryRejectedCall: the pause in ms before the
// system tries again, or -1 to let the call fail. "Retry later" is waited out
// within the budget; an outright rejection is left to SendWhenFree.
inline constexpr unsigned long kServerCallRejected = 1;    // SERVERCALL_REJECTED
inline constexpr unsigned long kServerCallRetryLater = 2;  // SERVERCALL_RETRYLATER
long RetryRejectedCallAnswer(unsigned long rejectType, uint64_t elapsedMs);

// What reading the drawing in front found, when the read did not fail.
enum class DrawingRead {
  Found,
  NoDrawing,       // AutoCAD has no drawing open
  SecondCopy,      // the user works in a second copy of a release, which the palette cannot reach
  OtherElevation,  // the user works in an AutoCAD started with other rights than the palette
};

// The calls on AutoCAD throw SystemError with the call's error.
struct DeliveryOps {
  // Attaches to the running AutoCAD as start-up does; false when none is registered.
  std::function<bool()> attach;
  // Reads the ActiveDocument of the AutoCAD the user works in and keeps it for
  // `send`; or says why there is none to send to.
  std::function<DrawingRead()> readActiveDocument;
  // SendCommand on the drawing just read.
  std::function<void(const std::string& text)> send;
  std::function<uint64_t()> clockMs;
  // Waits while the palette keeps painting; false when the palette is gone meanwhile.
  std::function<bool(unsigned ms)> pause;
  // A warning box owned by the palette.
  std::function<void(const std::string& text)> warningBox;
};

enum class Delivery {
  Sent,
  Ignored,     // another choice is still pending
  GaveUp,      // busy throughout: its box was shown
  NoDrawing,   // its box was shown
  NotRunning,  // its box was shown
  Unreachable,  // the AutoCAD in front is one the palette cannot reach: its box was shown
  Abandoned,   // the palette went away while waiting: nothing more was tried
};

// Sends a command (its text, CR included) to the drawing in front. A choice made
// while another is still pending is Ignored: nothing is sent twice and no call is
// nested. Failures that lead to the error report propagate.
Delivery SendWhenFree(const std::string& commandText, const DeliveryOps& ops);

// True from a menu choice until its command is delivered or given up.
bool CommandPending();
// When the pending command was chosen (clockMs); 0 when none is pending.
uint64_t PendingSince();

// The boxes; each names the command without its escapes and CR.
std::string BusyBoxText(const std::string& commandText);
std::string NoDrawingBoxText(const std::string& commandText);
std::string NotRunningBoxText(const std::string& commandText);
