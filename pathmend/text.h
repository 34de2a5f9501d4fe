// In-file replacement of the .dvb path, which the run uses on the .lsp file. Files
// are bytes in the ANSI code page, or in UTF-8 when they are written so, read
// letter by letter (letters.h).
#pragma once
#include <string>
#include <string_view>

#include "platform.h"

// Every occurrence of the path `oldPath` (given with "\" separators) replaced by
// `newPath`, in the spelling it is written in: with "/" as the separator, or with
// doubled "\" as an AutoLISP string escapes it, either in any letter case (as
// Windows compares file names: lower-case copies in `codePage`). A path written
// with single "\" (escapes, so no path in AutoLISP) stays. Scans left to right
// once, each search going on after the occurrence replaced, and only occurrences
// that start on a letter of `codePage` count. `count` receives how many were replaced.
std::string ReplacePath(std::string_view text, std::string_view oldPath, std::string_view newPath, unsigned codePage,
                        size_t* count = nullptr);

// How often `path` occurs in `text` by ReplacePath's rule.
size_t CountPath(std::string_view text, std::string_view path, unsigned codePage);

// Puts `newPath` wherever `fileName` (say Vesk.dvb) stands as a whole file name, in
// any letter case as ReplacePath compares: not inside MyVesk.dvb or Vesk.dvb2. A name
// ends where a quote, an escaped quote ("\""), ")", "!" (Vesk.dvb!Main.Start names a
// macro), a blank or the line ends; before a full stop it counts as a longer name
// (Vesk.dvb.bak). Where the name ends a longer path (it follows
// "/" or "\"), that whole path is replaced. Inside a string the path begins at the
// last drive or network prefix before the name ("X:/", "X:\", "//", "\\") that
// starts the string or follows a character no path holds (a blank, ";", "\""), so
// the string's other text and other paths stay; without such a prefix, at the
// string's opening double quote or its last escaped quote. Outside a string it
// begins at the start of the line or the last blank. A bare name is replaced by
// `newPath` alone, the text around it kept. `count` as above.
// A name without such a prefix in a string that the file joins to a folder when
// AutoCAD loads it stays: a string that (strcat ...) takes after its first
// argument, or one that (setq ...) gives a symbol which such a strcat takes further
// on (either name in any letter case; comments hold no code). `piecesLeft`
// receives how many of those were left.
std::string ReplaceFileName(std::string_view text, std::string_view fileName, std::string_view newPath,
                            unsigned codePage, size_t* count = nullptr, size_t* piecesLeft = nullptr);

// What a replacement in a file came to.
enum class ReplaceOutcome {
  FileMissing,   // no plain file of that name: nothing was read or written
  NothingFound,  // the file holds no occurrence: it is left as it was, not even rewritten
  OnlyPieces,    // (ReplaceFileNameInFile) the name only in pieces joined at load time: left as it was
  AlreadyNew,    // (ReplaceTextInFile) no old path, but the new one: left as it was
  Replaced,      // at least one occurrence was replaced and the file rewritten
};

// Replaces the path `oldPath` in the file by `newPath` by ReplacePath's rule,
// through a temporary file that then takes the file's place in one step. Both
// paths are given with "\" in the ANSI code page; a file in UTF-8 (it starts with
// the UTF-8 mark, or is valid UTF-8 with a character beyond ASCII) is searched and
// written in UTF-8 and keeps its mark. A hidden or system file counts as missing.
// Shows nothing: the run tells the user. File-system failures reach the caller as SystemError, the file unchanged.
ReplaceOutcome ReplaceTextInFile(const PlatformOps& platform, const std::string& path, const std::string& oldPath,
                                 const std::string& newPath);

// The same, with ReplaceFileName's rule.
ReplaceOutcome ReplaceFileNameInFile(const PlatformOps& platform, const std::string& path,
                                     const std::string& fileName, const std::string& newPath);
