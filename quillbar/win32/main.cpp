// Quillbar's entry: start-up, then the window messages of the open layout.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "automation.h"
#include "commands.h"
#include "error.h"
#include "error_report.h"
#include "message_filter.h"
#include "palette_window.h"
#include "platform.h"
#include "startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) ThrowSystemError(static_cast<unsigned long>(hr));
    RegisterBusyFilter();
    Dispatch().sendCommand = SendCommandToDrawing;
    UseRealPaletteWindows();
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
  ReleaseAutoCAD();
  RevokeBusyFilter();
  CoUninitialize();
  return 0;
}
