// The settings file store, shared by Quillbar and Pathmend.
//
// A settings file is "[section]" header lines and "key=value" lines in the ANSI
// code page, read letter by letter (letters.h). Section and key names match without regard to letter case; values
// are kept exactly as written. Every call opens the file, does its work and
// closes it again. Failures of the file system reach the caller as SystemError.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "fileio.h"
#include "letters.h"

// appFolder, "\", "Vesk.ini".
std::string IniFilePath(const std::string& appFolder);

// The value of `key` in `section`, or "" when either is missing. A missing file
// is created empty first; the file's attributes become the archive attribute alone.
std::string ReadIniValue(const std::string& path, const std::string& section, const std::string& key,
                         const FileOps& files = RealFiles(), unsigned codePage = AnsiCodePage());

// Stores `value` under `section` and `key`: a new key goes first in its section,
// a new section at the end of the file. The whole file is rewritten in a tidy
// shape with CR LF line ends, and replaced in one step so it is never lost.
void WriteIniValue(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& value, const FileOps& files = RealFiles(), unsigned codePage = AnsiCodePage());

// Key and value, in the caller's letter case.
using IniPairs = std::vector<std::pair<std::string, std::string>>;

// Stores every pair in `section` in one rewrite of the file: it ends as the same
// WriteIniValue calls, one per pair in this order, would leave it, but no other
// writer can come between them and no failure can leave only some of them.
void WriteIniValues(const std::string& path, const std::string& section, const IniPairs& pairs,
                    const FileOps& files = RealFiles(), unsigned codePage = AnsiCodePage());

// The value that ReadIniValue finds in the given file content (no file access),
// read in the given code page.
std::string IniValueFromText(const std::string& content, const std::string& section, const std::string& key,
                             unsigned codePage = AnsiCodePage());

// The text that WriteIniValue stores for the given file content (no file access).
std::string IniTextWithValue(const std::string& content, const std::string& section, const std::string& key,
                             const std::string& value, unsigned codePage = AnsiCodePage());
