// The folder of the running program, which holds the settings file, found the
// same way by both programs.
#pragma once
#include <string>

struct ProgramFolder {
  std::string path;       // in the ANSI code page, without a final "\"
  bool spellable = true;  // false when the ANSI code page cannot represent every character of it
};

#ifdef _WIN32
// GetModuleFileNameW's folder, spelled by AnsiSpelling, as users and AutoCAD
// write it even when the program was started through a "\\?\" path.
ProgramFolder ThisProgramFolder();
// "\\?\C:\x" as "C:\x", "\\?\UNC\server\share" as "\\server\share"; other paths as they are.
std::wstring WithoutLongPathPrefix(const std::wstring& path);
// `text` in the ANSI code page, with spellable false when a character has no
// exact counterpart there (no best-fit look-alikes either).
ProgramFolder AnsiSpelling(const std::wstring& text);
#endif
