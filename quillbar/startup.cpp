#include "startup.h"

#include "ini.h"
#include "layouts.h"
#include "palette_settings.h"
#include "state.h"

int32_t PositionOnAxis(int32_t saved, double screenExtent) {
  if (saved > screenExtent - 1000 || saved < 1) return RoundToTwips(screenExtent / 2);
  return saved;
}

bool SavedPointOnMonitor(const std::vector<TwipArea>& monitors, int32_t x, int32_t y) {
  if (x == 0 || y == 0) return false;
  for (const TwipArea& m : monitors)
    if (x >= m.left && x <= m.right - 1000 && y >= m.top && y <= m.bottom - 1000) return true;
  return false;
}

std::string UnspellableFolderText() {
  return "The path of this folder has characters that the system's code page cannot represent, so the palette "
         "cannot keep its settings there.\n\nMove or rename the folder so that its path has none of these "
         "characters, then start Quillbar again.";
}

InstanceLock InstanceLockFrom(bool gotHandle, unsigned long lastError) {
  constexpr unsigned long kAccessDenied = 5, kAlreadyExists = 183;
  if (lastError == kAlreadyExists || (!gotHandle && lastError == kAccessDenied)) return InstanceLock::HeldByAnother;
  return gotHandle ? InstanceLock::Ours : InstanceLock::Unavailable;
}

StartupOutcome Main(const StartupOps& ops) {
  PaletteState& s = State();
  if (ops.earlierInstanceRuns()) {
    ops.messageBox("Application is already running", kProgramTitle, kErrorBox);
    return StartupOutcome::AlreadyRunning;
  }

  StartupOutcome outcome = StartupOutcome::Failed;
  if (!ops.isProcessRunning(kAcadImageName)) {
    ops.messageBox("AutoCAD connection failed.\nPlease restart this program after AutoCAD is fully loaded.",
                   "Vesk Menu Palette", kErrorBox);
    outcome = StartupOutcome::AutoCADAbsent;
  } else if (const ProgramFolder folder = ops.programFolder(); !folder.spellable) {
    // Its settings file would be looked for under a path with "?" in it, which names no file.
    ops.messageBox(UnspellableFolderText(), kProgramTitle, kErrorBox);
    outcome = StartupOutcome::FolderUnspellable;
  } else {
    s.appFolder = folder.path;
    // From the attach on, every failure ends start-up without a message, but
    // for an AutoCAD that runs with other rights: no wait makes that one reachable.
    try {
      try {
        ops.attachApplication();
      } catch (...) {
        if (ElevationDiffers(ops.paletteElevation(), ops.acadElevation())) outcome = StartupOutcome::OtherElevation;
        throw;
      }
      s.iniPath = IniFilePath(s.appFolder);
      const std::string userFolder = ops.userSettingsFolder();
      if (!userFolder.empty()) s.userIniPath = IniFilePath(userFolder);
      const PaletteSettings saved = LoadPaletteSettings(s.iniPath, s.userIniPath, s.onUserFile, ops.files);
      const ScreenTwips screen = ops.screenSize();
      // A palette closed on any monitor comes back there; elsewhere each axis
      // falls back to the primary screen's rule.
      const int32_t savedLeft = saved.startX.value_or(s.paletteLeft);
      const int32_t savedTop = saved.startY.value_or(s.paletteTop);
      const bool onMonitor = SavedPointOnMonitor(ops.monitors(), savedLeft, savedTop);
      s.paletteLeft = onMonitor ? savedLeft : PositionOnAxis(savedLeft, screen.width);
      s.paletteTop = onMonitor ? savedTop : PositionOnAxis(savedTop, screen.height);
      if (saved.formNumber) s.currentLayout = *saved.formNumber;
      ops.openLayout(LayoutForNumber(s.currentLayout));
      return StartupOutcome::Started;
    } catch (...) {
      if (outcome == StartupOutcome::OtherElevation) ops.messageBox(ElevationBoxText(), kProgramTitle, kErrorBox);
    }
  }
  // Closing step: whatever got opened is closed again.
  for (int layout = 1; layout <= kLayoutCount; ++layout) ops.closeLayout(layout);
  return outcome;
}
