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

// What the program-wide error report shows: "Error <number>:", then the description.
// HRESULTs read best in hex, system error codes in decimal.
std::string ErrorReportText(unsigned long number, const std::string& description);

// Call inside a catch block: the report's text for the exception being handled.
// A SystemError gives its own number and text (a temporary file in the way, its
// own box: TempFileInTheWayText); anything else the Windows codes
// for lack of memory (8) or an internal error (1359) with their system texts.
std::string CurrentErrorReportText();
