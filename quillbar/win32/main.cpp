// Quillbar's entry: start-up, then the window messages of the open layout.
#include <windows.h>
#include <commctrl.h>

#include "automation.h"
#include "error.h"
#include "error_report.h"
#include "message_filter.h"
#include "platform.h"
#include "scoped_win.h"
#include "startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ScopedCom com;
  try {
    if (FAILED(com.result())) ThrowSystemError(static_cast<unsigned long>(com.result()));
    RegisterBusyFilter();
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    if (Main(RealStartupOps()) == StartupOutcome::Started) {
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
  } catch (...) {
    EndWithErrorReport(nullptr);
  }
  // The AutoCAD objects go before COM does.
  ReleaseAutoCAD();
  RevokeBusyFilter();
  return 0;
}
