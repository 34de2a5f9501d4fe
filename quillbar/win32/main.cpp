// Quillbar's entry: start-up, then the window messages of the open layout.
#include <windows.h>
#include <commctrl.h>

#include "com_result.h"
#include "scoped_win.h"
#include "error_report.h"
#include "message_filter.h"
#include "platform.h"
#include "releases.h"
#include "startup.h"
#include "system_dll.h"

namespace {

// comctl32 is not among the system's known DLLs: imported, it would be looked for
// beside the program before WinMain could narrow the search. Loaded here, in the
// manifest's activation context (the process's default one), it is version 6.
void LoadCommonControls() {
  using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = DllFunction<InitFn>(LoadSystemDll(L"comctl32.dll"), "InitCommonControlsEx");
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  if (init) init(&controls);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything loads a DLL: COM, WMI and the windows load several by name.
  SearchSystemFolderOnly();
  LoadCommonControls();
  ScopedCom com;
  try {
    CheckHr(com.result());
    RegisterBusyFilter();
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
