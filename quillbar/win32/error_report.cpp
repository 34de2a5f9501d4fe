#include "error_report.h"

#include "error.h"
#include "show_box.h"

void EndWithErrorReport(HWND owner) {
  ShowBox(owner, kErrorBox, CurrentErrorReportText());
  ExitProcess(1);
}
