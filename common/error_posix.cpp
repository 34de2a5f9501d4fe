// SystemError from errno values, for the Linux build.
#include <cerrno>
#include <cstring>

#include "error.h"

void ThrowSystemError(unsigned long number) {
  throw SystemError(number, std::strerror(static_cast<int>(number)));
}
void ThrowLastError() { ThrowSystemError(static_cast<unsigned long>(errno)); }
