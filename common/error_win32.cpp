// SystemError from Windows error codes, with the system's own text.
#include <windows.h>

#include "error.h"
#include "scoped_win.h"

namespace {

std::string MessageFor(DWORD number) {
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, number, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  const ScopedLocal owned(text);
  std::string message = n ? std::string(text, n) : "Unknown error";
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message;
}

}  // namespace

void ThrowSystemError(unsigned long number) { throw SystemError(number, MessageFor(number)); }
void ThrowLastError() { ThrowSystemError(GetLastError()); }
