#include "error_report.h"

#include "error.h"
#include "startup.h"

void EndWithErrorReport(HWND owner) {
  MessageBoxA(owner, CurrentErrorReportText().c_str(), kProgramTitle, MB_OK | MB_ICONERROR);
  ExitProcess(1);
}
