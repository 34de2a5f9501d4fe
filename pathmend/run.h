// Pathmend's one run, from the program's entry to its end: notices that its
// folder has moved, asks, puts the new .dvb path into the .lsp file, records the
// new folder and reports.
#pragma once
#include <string>

#include "platform.h"

// The names of one run, all derived from the program folder.
struct RunNames {
  std::string programFolder;  // without a final "\"
  std::string folderPrefix;   // the program folder, then "\"
  std::string baseName;       // the folder's own name: its last "\"-separated part
  std::string dvbName;        // base name + ".dvb"
  std::string lspName;        // base name + ".lsp"
  std::string lspPath;        // folder prefix + .lsp name
  std::string settingsPath;   // folder prefix + base name + ".ini"
};

// The folder's path is read letter by letter in `codePage`.
RunNames DeriveNames(const std::string& programFolder, unsigned codePage);

// The boxes' texts; lines are separated by a single LF.
std::string AskText(const RunNames& names, const std::string& oldPath, const std::string& newPath);
std::string FixedText(const RunNames& names);
std::string NotStoredText(const RunNames& names);
std::string FileNotFoundText(const std::string& path);  // shown under the title "ReplaceTextInFile"
std::string NotFixedText(const RunNames& names);
std::string NotFoundText(const RunNames& names, const std::string& oldPathWithSlashes);
std::string OnlyPiecesText(const RunNames& names);
std::string WrongFolderText(const RunNames& names);
std::string AlreadyNewText(const RunNames& names, const std::string& newPath);
std::string UnspellableFolderText();

extern const char* const kProgramTitle;  // "Pathmend"

// The whole run. Failures of the file system are not caught here: they leave as
// SystemError, and the steps already done stay done.
void Main(const PlatformOps& platform);

// The program's entry: Main, and any error it did not trap reported in a box
// titled "Pathmend" with the error's number and description. Never throws.
// Returns the process exit code (0 after a normal run, 1 after an error report).
int RunPathmend(const PlatformOps& platform);
