// What Pathmend needs from the system: the folder of the running program, modal
// message boxes, the ANSI code page and the file calls. WinMain hands the real
// ones to the run; the unit tests hand in scripted ones.
#pragma once
#include <functional>
#include <string>

#include "fileio.h"
#include "letters.h"
#include "message_box.h"
#include "program_folder.h"

struct PlatformOps {
  std::function<ProgramFolder()> programFolder;
  // Shows a modal box of one kind and returns the button chosen (kAnswerOk,
  // kAnswerCancel).
  std::function<int(const std::string& text, const std::string& title, BoxKind kind)> messageBox;
  // The same text in UTF-8, for a .lsp file in UTF-8.
  std::function<std::string(const std::string& ansi)> ansiToUtf8;
  // The ANSI code page, in which the folder's path and the .lsp and settings files are read.
  unsigned codePage = AnsiCodePage();
  FileOps files = RealFiles();
};

#ifdef _WIN32
// ThisProgramFolder, MessageBoxA, the ANSI code page (through the wide form) and
// the system's file calls.
PlatformOps RealPlatformOps();
#endif
