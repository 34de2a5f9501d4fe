// What Pathmend needs from Windows besides the file calls (those are Files()):
// the folder of the running program, modal message boxes and the ANSI code page. Windows fills this
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
  // The same text in UTF-8, for a .lsp file in UTF-8.
  std::function<std::string(const std::string& ansi)> ansiToUtf8;
};

PlatformOps& Platform();

#ifdef _WIN32
// ThisProgramFolder, MessageBoxA and the ANSI code page (through the wide form).
PlatformOps RealPlatformOps();
#endif
