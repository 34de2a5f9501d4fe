// What Pathmend needs from Windows besides the file calls (those are Files()):
// the folder of the running program, modal message boxes and the ANSI code page. Windows fills this
// in at start-up; the unit tests script it.
#pragma once
#include <functional>
#include <string>

// Message box styles and answers, with the Windows API's values.
constexpr unsigned kBoxOk = 0x0;
constexpr unsigned kBoxOkCancel = 0x1;
constexpr unsigned kIconStop = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconInformation = 0x40;
constexpr unsigned kDefaultButton2 = 0x100;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;

struct ProgramFolder {
  std::string path;       // in the ANSI code page, without a final "\"
  bool spellable = true;  // false when the ANSI code page cannot represent every character of it
};

struct PlatformOps {
  std::function<ProgramFolder()> programFolder;
  // Shows a modal box and returns the button chosen (kAnswerOk, kAnswerCancel, ...).
  std::function<int(const std::string& text, const std::string& title, unsigned style)> messageBox;
  // The same text in UTF-8, for a .lsp file in UTF-8.
  std::function<std::string(const std::string& ansi)> ansiToUtf8;
};

PlatformOps& Platform();

#ifdef _WIN32
// GetModuleFileNameW, MessageBoxA and the ANSI code page (through the wide form).
PlatformOps RealPlatformOps();
// `text` in the ANSI code page, with spellable false when a character has no
// exact counterpart there (no best-fit look-alikes either).
ProgramFolder AnsiSpelling(const std::wstring& text);
#endif
