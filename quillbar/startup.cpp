#include "startup.h"

#include "ini.h"
#include "layouts.h"
#include "numbers.h"
#include "palette_settings.h"
#include "state.h"

int32_t PositionOnAxis(int32_t saved, double screenExtent) {
  if (saved > screenExtent - 1000 || saved < 1) return static_cast<int32_t>(RoundHalfEven(screenExtent / 2));
  return saved;
}

StartupOutcome Main(const StartupOps& ops) {
  PaletteState& s = State();
  if (ops.earlierInstanceRuns()) {
    ops.messageBox("Application is already running", kProgramTitle, kStartupBoxStyle);
    return StartupOutcome::AlreadyRunning;
  }

  StartupOutcome outcome = StartupOutcome::Failed;
  if (!ops.isProcessRunning(kAcadImageName)) {
    ops.messageBox("AutoCAD connection failed.\nPlease restart this program after AutoCAD is fully loaded.",
                   std::string("Vesk") + " Menu Palette", kStartupBoxStyle);
    outcome = StartupOutcome::AutoCADAbsent;
  } else {
    s.appFolder = ops.programFolder();
    // From the attach on, every failure ends start-up without a message.
    try {
      ops.attachApplication();
      ops.readActiveDocument();
      s.iniPath = IniFilePath(s.appFolder);
      const PaletteSettings saved = LoadPaletteSettings(s.iniPath);
      const ScreenTwips screen = ops.screenSize();
      s.paletteLeft = PositionOnAxis(saved.startX.value_or(s.paletteLeft), screen.width);
      s.paletteTop = PositionOnAxis(saved.startY.value_or(s.paletteTop), screen.height);
      if (saved.formNumber) s.currentLayout = *saved.formNumber;
      ops.openLayout(LayoutForNumber(s.currentLayout));
      return StartupOutcome::Started;
    } catch (...) {
      outcome = StartupOutcome::Failed;
    }
  }
  // Closing step: whatever got opened is closed again.
  for (int layout = 1; layout <= 4; ++layout) ops.closeLayout(layout);
  return outcome;
}
