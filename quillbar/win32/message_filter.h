// The palette's COM message filter: an AutoCAD that answers "retry later" is
// asked again after a pause, within the busy budget, and the system's "server
// busy" dialog never appears. An outright rejection fails the call at once and
// is retried by the command's own sender.
#pragma once

// Registers the filter on the calling (user-interface) thread; throws SystemError.
void RegisterBusyFilter();
void RevokeBusyFilter();

// While one is alive, calls the palette makes are cancelled once `ms` have passed
// (they fail with RPC_E_CALL_CANCELED): for an AutoCAD the user is not working
// in, which may be computing for minutes. One at a time, on the filter's thread.
struct CallDeadline {
  explicit CallDeadline(unsigned ms);
  ~CallDeadline();
  CallDeadline(const CallDeadline&) = delete;
  CallDeadline& operator=(const CallDeadline&) = delete;
  void* timer = nullptr;
};
