#include "error.h"

#include <cstdio>
#include <exception>
#include <new>

#include "fileio.h"

std::string ErrorReportText(unsigned long number, const std::string& description) {
  char code[32];
  std::snprintf(code, sizeof code, number > 0xFFFF ? "0x%08lX" : "%lu", number);
  return std::string("Error ") + code + ":\n" + (description.empty() ? "Unknown error" : description);
}

std::string CurrentErrorReportText() {
  try {
    throw;
  } catch (const TempFileInTheWay& e) {
    return TempFileInTheWayText(e.temp, e.file);
  } catch (const SystemError& e) {
    return ErrorReportText(e.number, e.what());
  } catch (const std::bad_alloc&) {
    return ErrorReportText(8, "Not enough memory resources are available to process this command.");
  } catch (const std::exception& e) {
    return ErrorReportText(1359, e.what());
  } catch (...) {
    return ErrorReportText(1359, "An internal error occurred.");
  }
}
