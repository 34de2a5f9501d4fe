#include "message_filter.h"

#include <windows.h>
#include <objbase.h>

#include "busy.h"
#include "com_result.h"

static_assert(kServerCallRejected == SERVERCALL_REJECTED && kServerCallRetryLater == SERVERCALL_RETRYLATER);
static_assert(kCallRejected == static_cast<unsigned long>(RPC_E_CALL_REJECTED) &&
              kRetryLater == static_cast<unsigned long>(RPC_E_SERVERCALL_RETRYLATER));

namespace {

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

  // While a call waits, paint and activation go on; mouse and keys wait.
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
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
