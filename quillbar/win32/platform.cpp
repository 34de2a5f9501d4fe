#include "platform.h"

#include "acad_process.h"
#include "census.h"
#include "com_result.h"
#include "scoped_win.h"
#include "layout_window.h"
#include "monitors.h"
#include "program_folder.h"
#include "releases.h"
#include "show_box.h"

bool EarlierInstanceRuns() {
  // Session-local: each signed-in user has a palette of their own. The first
  // instance holds the mutex until it ends.
  static ScopedKernelHandle guard;
  if (guard) return false;
  ScopedKernelHandle mutex(
      CreateMutexA(nullptr, FALSE, "Local\\Quillbar.Instance.{6F1D2C8A-94B3-4E57-A0C2-7B1E5D93F4A6}"));
  switch (InstanceLockFrom(mutex.get() != nullptr, GetLastError())) {
    case InstanceLock::Ours: guard = std::move(mutex); return false;
    case InstanceLock::HeldByAnother: return true;
    case InstanceLock::Unavailable: return false;
  }
  return false;
}

// %LOCALAPPDATA%\Vesk: a user's own settings belong in the local profile. Read
// from the environment, which names it in every session, at every start: the
// shell's known-folder call would load shell32 into every palette for it.
std::string UserSettingsFolder() {
  wchar_t local[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
  const std::wstring path = length > 0 && length < MAX_PATH ? local : L"";
  const ProgramFolder spelled = AnsiSpelling(path);
  return path.empty() || !spelled.spellable ? "" : spelled.path + "\\Vesk";
}

StartupOps RealStartupOps() {
  StartupOps ops;
  ops.earlierInstanceRuns = EarlierInstanceRuns;
  ops.isProcessRunning = IsProcessRunning;
  ops.programFolder = ThisProgramFolder;
  ops.attachApplication = [] {
    if (!AttachApplication()) CheckHr(MK_E_UNAVAILABLE);
  };
  ops.paletteElevation = [] { return ElevationOf(GetCurrentProcessId()); };
  ops.acadElevation = RunningAutoCADElevation;
  ops.screenSize = PrimaryScreenTwips;
  ops.monitors = [] { return CurrentDesktop().areas; };
  ops.messageBox = [](const std::string& text, const std::string& title, BoxKind kind) {
    ShowBox(nullptr, kind, text, title);
  };
  ops.userSettingsFolder = UserSettingsFolder;
  ops.openLayout = OpenLayout;
  ops.closeLayout = CloseLayout;
  return ops;
}
