#include "message_filter.h"

#include <windows.h>
#include <objbase.h>

#include <cstdint>

#include "busy.h"
#include "com_holders.h"

static_assert(kServerCallRejected == SERVERCALL_REJECTED && kServerCallRetryLater == SERVERCALL_RETRYLATER);
static_assert(kCallRejected == static_cast<unsigned long>(RPC_E_CALL_REJECTED) &&
              kRetryLater == static_cast<unsigned long>(RPC_E_SERVERCALL_RETRYLATER));

namespace {

ULONGLONG callDeadline = 0;  // GetTickCount64 after which a waiting call is cancelled; 0: none

// One object for the whole run: the reference count does not free it.
struct BusyFilter : IMessageFilter {
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    return ComMethod([&]() -> HRESULT {
      if (!out) return E_POINTER;
      if (riid == IID_IUnknown || riid == IID_IMessageFilter) {
        *out = static_cast<IMessageFilter*>(this);
        return S_OK;
      }
      *out = nullptr;
      return E_NOINTERFACE;
    }, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // The palette serves no objects; anything that calls in is let through.
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }

  // `sinceCall` counts from this call; the budget counts from the menu choice.
  // Should the answer fail, the call is cancelled: the sender sees the rejection.
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD sinceCall, DWORD rejectType) override {
    try {
      const uint64_t elapsed = CommandPending() ? GetTickCount64() - PendingSince() : sinceCall;
      return static_cast<DWORD>(RetryRejectedCallAnswer(rejectType, elapsed));
    } catch (...) {
      return static_cast<DWORD>(-1);
    }
  }

  // While a call waits, paint and activation go on; mouse and keys wait. Asked
  // whenever a message arrives, so a deadline's timer posts one.
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return callDeadline && GetTickCount64() >= callDeadline ? PENDINGMSG_CANCELCALL : PENDINGMSG_WAITDEFPROCESS;
  }
};

BusyFilter filter;

}  // namespace

void RegisterBusyFilter() {
  IMessageFilter* previous = nullptr;
  CheckHr(CoRegisterMessageFilter(&filter, &previous));
  if (previous) previous->Release();
}

void RevokeBusyFilter() {
  IMessageFilter* previous = nullptr;
  CoRegisterMessageFilter(nullptr, &previous);
  if (previous) previous->Release();
}

namespace {

// Wakes the waiting call's loop on the user-interface thread; the message itself does nothing.
void CALLBACK WakeWaitingCall(void* thread, BOOLEAN) {
  PostThreadMessageA(static_cast<DWORD>(reinterpret_cast<uintptr_t>(thread)), WM_NULL, 0, 0);
}

}  // namespace

CallDeadline::CallDeadline(unsigned ms) {
  callDeadline = GetTickCount64() + ms;
  HANDLE t = nullptr;
  void* thread = reinterpret_cast<void*>(static_cast<uintptr_t>(GetCurrentThreadId()));
  if (CreateTimerQueueTimer(&t, nullptr, WakeWaitingCall, thread, ms, 0, WT_EXECUTEONLYONCE)) timer = t;
}

CallDeadline::~CallDeadline() {
  callDeadline = 0;
  if (timer) DeleteTimerQueueTimer(nullptr, static_cast<HANDLE>(timer), INVALID_HANDLE_VALUE);
}
