// In-file text replacement, which the run uses on the .lsp file. Files are bytes
// in the ANSI code page, or in UTF-8 when they are written so; every comparison
// is exact, letter case included.
#pragma once
#include <string>
#include <string_view>

#include "platform.h"

// Every occurrence of `search` replaced by `replacement`, scanning left to right
// once: the scan goes on after each occurrence, so replaced text is never searched
// again ("aaa" with "aa" -> "b" gives "ba"). An empty `search` changes nothing.
// One pass and no more than one new buffer: a result that is not longer reuses `text`'s.
// Only an occurrence that starts on a letter of `codePage` counts.
// `count`, when given, receives the number of occurrences replaced.
std::string ReplaceText(std::string text, std::string_view search, std::string_view replacement, unsigned codePage,
                        size_t* count = nullptr);

// Puts `newPath` wherever `fileName` (say Vesk.dvb) stands as a whole file name:
// not inside MyVesk.dvb or Vesk.dvb2. Where the name ends a longer path (it follows
// "/" or "\"), that whole path is replaced. Inside a string the path begins at the
// last drive or network prefix before the name ("X:/", "X:\", "//", "\\") that
// starts the string or follows a character no path holds (a blank, ";"), so the
// string's other text and other paths stay; without such a prefix, at the string's
// opening double quote. Outside a string it begins at the start of the line or the
// last blank. A bare name is replaced by `newPath` alone. `count` as above.
std::string ReplaceFileName(std::string_view text, std::string_view fileName, std::string_view newPath,
                            unsigned codePage, size_t* count = nullptr);

// What a replacement in a file came to.
enum class ReplaceOutcome {
  FileMissing,   // no plain file of that name: the "File not Found: " box was shown
  NothingFound,  // the file holds no occurrence: it is left as it was, not even rewritten
  Replaced,      // at least one occurrence was replaced and the file rewritten
};

// Replaces every occurrence of `search` in the file by `replacement`, through the
// temporary file <path>_TEMP that then takes the file's place in one step. Both
// texts are given in the ANSI code page; a file in UTF-8 (it starts with the
// UTF-8 mark, or is valid UTF-8 with a character beyond ASCII) is searched and
// written in UTF-8 and keeps its mark. A hidden or system file counts as missing.
// File-system failures reach the caller as SystemError, the file unchanged.
ReplaceOutcome ReplaceTextInFile(const PlatformOps& platform, const std::string& path, const std::string& search,
                                 const std::string& replacement);

// The same, with ReplaceFileName's rule.
ReplaceOutcome ReplaceFileNameInFile(const PlatformOps& platform, const std::string& path,
                                     const std::string& fileName, const std::string& newPath);
