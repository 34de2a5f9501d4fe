#include "run.h"

#include "error.h"
#include "ini.h"
#include "letters.h"
#include "platform.h"
#include "text.h"

const char* const kProgramTitle = "Pathmend";

namespace {

constexpr char kLf = '\n';
constexpr const char* kSoftwarePath = "SoftwarePath";

int Box(const PlatformOps& platform, const std::string& text, BoxKind kind) {
  return platform.messageBox(text, kProgramTitle, kind);
}

}  // namespace

RunNames DeriveNames(const std::string& programFolder, unsigned codePage) {
  RunNames n;
  n.programFolder = programFolder;
  n.folderPrefix = programFolder + "\\";
  const size_t lastSeparator = FindLastLetter(codePage, programFolder, '\\');
  n.baseName = lastSeparator == std::string::npos ? programFolder : programFolder.substr(lastSeparator + 1);
  n.dvbName = n.baseName + ".dvb";
  n.lspName = n.baseName + ".lsp";
  n.lspPath = n.folderPrefix + n.lspName;
  n.settingsPath = n.folderPrefix + n.baseName + ".ini";
  return n;
}

std::string AskText(const RunNames& n, const std::string& oldPath, const std::string& newPath) {
  return n.dvbName + " has moved from:" + kLf + oldPath + kLf + "to:" + kLf + newPath + kLf + kLf +
         "Attempt to fix " + n.dvbName + " filepaths in " + n.lspName + " ...";
}

std::string FixedText(const RunNames& n) {
  return "Path to " + n.dvbName + " in " + n.lspName + " Fixed!" + kLf + kLf + "Please use APPLOAD to reload " +
         n.lspName + " in AutoCAD and check it's path in Startup Suite.";
}

std::string NotStoredText(const RunNames& n) {
  return "An error occured while accessing " + n.settingsPath + kLf + kSoftwarePath + " value was not changed.";
}

std::string FileNotFoundText(const std::string& path) {
  return "File not Found: " + path;
}

std::string NotFixedText(const RunNames& n) {
  return "An error occured while accessing " + n.lspName + kLf + n.dvbName + " paths are not fixed in " + n.lspName;
}

std::string NotFoundText(const RunNames& n, const std::string& oldPathWithSlashes) {
  return oldPathWithSlashes + " was not found in " + n.lspName + ", so nothing was changed." + kLf +
         "Check the path to " + n.dvbName + " in " + n.lspName + " and in AutoCAD's Startup Suite.";
}

std::string OnlyPiecesText(const RunNames& n) {
  return n.lspName + " names " + n.dvbName + " only in paths that it builds when AutoCAD loads it, so no change "
         "is needed; nothing was changed." + kLf + "If AutoCAD does not load " + n.dvbName + ", check how " +
         n.lspName + " builds its path, and AutoCAD's Startup Suite.";
}

std::string WrongFolderText(const RunNames& n) {
  return n.dvbName + " is not in this folder:" + kLf + n.programFolder + kLf + kLf +
         "Nothing was changed. Run Pathmend from the folder that holds " + n.dvbName + " and " + n.lspName + ".";
}

std::string AlreadyNewText(const RunNames& n, const std::string& newPath) {
  return n.lspName + " already names " + n.dvbName + " in this folder:" + kLf + newPath + kLf + kLf +
         "The folder is now recorded; " + n.lspName + " was not changed. If AutoCAD has not loaded it since, "
         "please use APPLOAD to reload " + n.lspName + ".";
}

std::string UnspellableFolderText() {
  return std::string("The path of this folder has characters that the system's code page cannot represent, "
                     "so it cannot be written into the .lsp file.") +
         kLf + kLf + "Nothing was changed. Move or rename the folder so that its path has none of these characters, "
         "then run Pathmend again.";
}

void Main(const PlatformOps& platform) {
  const ProgramFolder folder = platform.programFolder();
  // A path with "?" in place of the characters the code page lacks would corrupt the .lsp file.
  if (!folder.spellable) {
    Box(platform, UnspellableFolderText(), kErrorBox);
    return;
  }
  const RunNames n = DeriveNames(folder.path, platform.codePage);
  // Run from elsewhere (Downloads, a copy without the .dvb file) it would create
  // settings there and could point the .lsp file at a .dvb file that is not there.
  if (platform.files.probe(n.folderPrefix + n.dvbName) != FileKind::Plain) {
    Box(platform, WrongFolderText(n), kWarningBox);
    return;
  }
  const std::string storedFolder =
      ReadIniValue(n.settingsPath, n.baseName, kSoftwarePath, platform.files, platform.codePage);
  const std::string oldPath = storedFolder + n.dvbName;
  const std::string newPath = n.folderPrefix + n.dvbName;
  if (newPath == oldPath) return;

  if (Box(platform, AskText(n, oldPath, newPath), kQuestionBox) != kAnswerOk) return;

  // Without a recorded folder the old folder is unknown: the bare .dvb name then
  // stands for whatever path ends in it, and that whole path becomes the new one with "/".
  const ReplaceOutcome outcome =
      storedFolder.empty()
          ? ReplaceFileNameInFile(platform, n.lspPath, n.dvbName, ReplaceLetter(platform.codePage, newPath, '\\', "/"))
          : ReplaceTextInFile(platform, n.lspPath, oldPath, newPath);
  if (outcome == ReplaceOutcome::FileMissing) {
    platform.messageBox(FileNotFoundText(n.lspPath), "ReplaceTextInFile", kErrorBox);
    Box(platform, NotFixedText(n), kErrorBox);
    return;
  }
  // Storing the folder now would make the next run believe all is well while
  // AutoCAD still loads the .dvb file from wherever the .lsp file names it.
  if (outcome == ReplaceOutcome::NothingFound) {
    Box(platform, NotFoundText(n, ReplaceLetter(platform.codePage, oldPath, '\\', "/")), kWarningBox);
    return;
  }
  // Nothing to mend, but nothing mended either: the folder stays unrecorded, as
  // after any run that changed nothing.
  if (outcome == ReplaceOutcome::OnlyPieces) {
    Box(platform, OnlyPiecesText(n), kInformationBox);
    return;
  }
  // Recorded before any box: a run that ends while a box is shown (sign-out, the
  // process ended) must not leave the .lsp file new and the settings old.
  WriteIniValue(n.settingsPath, n.baseName, kSoftwarePath, n.folderPrefix, platform.files, platform.codePage);
  const bool stored =
      ReadIniValue(n.settingsPath, n.baseName, kSoftwarePath, platform.files, platform.codePage) == n.folderPrefix;
  // AlreadyNew: an earlier run replaced the path but ended before it recorded the folder.
  Box(platform, outcome == ReplaceOutcome::AlreadyNew ? AlreadyNewText(n, newPath) : FixedText(n),
      kInformationBox);
  if (!stored) Box(platform, NotStoredText(n), kErrorBox);
}

int RunPathmend(const PlatformOps& platform) {
  std::string report;
  try {
    Main(platform);
    return 0;
  } catch (...) {
    report = CurrentErrorReportText();
  }
  try {
    Box(platform, report, kErrorBox);
  } catch (...) {
    // Nothing is left to tell the user with; the program ends all the same.
  }
  return 1;
}
