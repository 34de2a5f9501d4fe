#include "startup.h"

#include <stdexcept>

#include "ini.h"
#include "layouts.h"
#include "numbers.h"
#include "state.h"

namespace {

// A setting that is present but not a usable number ends start-up silently.
struct BadSetting : std::runtime_error {
  using std::runtime_error::runtime_error;
};

int32_t ReadLong(const std::string& key, int32_t current) {
  const std::string text = ReadIniValue(State().iniPath, "Palette", key);
  if (text.empty()) return current;
  const auto value = TextToLong(text);
  if (!value) throw BadSetting(key);
  return *value;
}

}  // namespace

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
                   "Vesk Menu Palette", kStartupBoxStyle);
    outcome = StartupOutcome::AutoCADAbsent;
  } else {
    s.appFolder = ops.programFolder();
    // From the attach on, every failure ends start-up without a message.
    try {
      ops.attachApplication();
      ops.readActiveDocument();
      s.iniPath = IniFilePath(s.appFolder);
      const ScreenTwips screen = ops.screenSize();
      s.paletteLeft = PositionOnAxis(ReadLong("startX", s.paletteLeft), screen.width);
      s.paletteTop = PositionOnAxis(ReadLong("startY", s.paletteTop), screen.height);
      const std::string form = ReadIniValue(s.iniPath, "Palette", "formNumber");
      if (!form.empty()) {
        const auto number = TextToByte(form);
        if (!number) throw BadSetting("formNumber");
        s.currentLayout = *number;
      }
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
