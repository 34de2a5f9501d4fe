// An operating-system failure that the caller did not trap: its number and
// description are what the program's error report shows.
#pragma once
#include <stdexcept>
#include <string>

struct SystemError : std::runtime_error {
  SystemError(unsigned long number, const std::string& description)
      : std::runtime_error(description), number(number) {}
  unsigned long number;  // Win32 error code (errno in the Linux build)
};

// The failure of the last operating-system call, with the system's own text.
[[noreturn]] void ThrowLastError();
// The same for a known error number (GetLastError() or errno).
[[noreturn]] void ThrowSystemError(unsigned long number);
