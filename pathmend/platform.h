// What Pathmend needs from Windows besides the file calls (those are Files()):
// the folder of the running program and modal message boxes. Windows fills this
// in at start-up; the unit tests script it.
#pragma once
#include <functional>
#include <string>

#include "message_box.h"
#include "program_folder.h"

struct PlatformOps {
  std::function<ProgramFolder()> programFolder;
  // Shows a modal box and returns the button chosen (kAnswerOk, kAnswerCancel, ...).
  std::function<int(const std::string& text, const std::string& title, unsigned style)> messageBox;
};

PlatformOps& Platform();

#ifdef _WIN32
// ThisProgramFolder and MessageBoxA.
PlatformOps RealPlatformOps();
#endif
