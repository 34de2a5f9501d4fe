#include "com_holders.h"

#include "error.h"

void CheckHr(HRESULT hr) {
  if (FAILED(hr)) ThrowSystemError(static_cast<unsigned long>(hr));
}
