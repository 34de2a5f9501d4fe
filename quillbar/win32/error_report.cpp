#include "error_report.h"

#include "error.h"
#include "show_box.h"
#include "startup.h"

void EndWithErrorReport(HWND owner) {
  // The error's own number and text: the guide quotes the report's shape, not each text.
  const std::string report = CurrentErrorReportText();
  ShowBox(owner, kErrorBox, report, kProgramTitle);
  ExitProcess(1);
}
