#include "error_report.h"

#include <cstdio>
#include <exception>
#include <new>

#include "error.h"
#include "startup.h"

std::string ErrorReportText(unsigned long number, const std::string& description) {
  char code[32];
  // COM failures read best in hex, system error codes in decimal.
  std::snprintf(code, sizeof code, number > 0xFFFF ? "0x%08lX" : "%lu", number);
  return std::string("Error ") + code + ":\n" + (description.empty() ? "Unknown error" : description);
}

void EndWithErrorReport(HWND owner) {
  unsigned long number = 0;
  std::string description;
  try {
    throw;
  } catch (const SystemError& e) {
    number = e.number;
    description = e.what();
  } catch (const std::bad_alloc&) {
    number = ERROR_NOT_ENOUGH_MEMORY;
    description = "Not enough memory.";
  } catch (const std::exception& e) {
    number = static_cast<unsigned long>(E_FAIL);
    description = e.what();
  } catch (...) {
    number = static_cast<unsigned long>(E_UNEXPECTED);
  }
  MessageBoxA(owner, ErrorReportText(number, description).c_str(), kProgramTitle, MB_OK | MB_ICONERROR);
  ExitProcess(1);
}
