// Scripted stand-ins for the program folder and the message boxes, and the file
// calls seen through Windows-style paths in the Linux build.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include <filesystem>

#include "fileio.h"
#include "platform.h"

#ifdef _WIN32
#include <windows.h>
#endif

struct Box {
  std::string text;
  std::string title;
  unsigned style;
  bool operator==(const Box&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Box& b) {
  return os << "{\"" << b.title << "\", style 0x" << std::hex << b.style << std::dec << ", \"" << b.text << "\"}";
}

// Stand-ins for the ANSI code page's conversion to UTF-8: the Western code page
// as Latin-1, and the Greek code page 1253 (what Windows gives, less the few
// symbols the tests do not use).
inline std::string CodePointsToUtf8(const std::string& bytes, unsigned (*toCodePoint)(unsigned char)) {
  std::string out;
  for (unsigned char c : bytes) {
    const unsigned u = toCodePoint(c);  // all below U+0800
    if (u < 0x80) out += static_cast<char>(u);
    else out += {static_cast<char>(0xC0 | (u >> 6)), static_cast<char>(0x80 | (u & 0x3F))};
  }
  return out;
}
inline std::string Latin1ToUtf8(const std::string& ansi) {
  return CodePointsToUtf8(ansi, [](unsigned char c) -> unsigned { return c; });
}
inline std::string Cp1253ToUtf8(const std::string& ansi) {
  return CodePointsToUtf8(ansi, [](unsigned char c) -> unsigned {
    if (c < 0x80) return c;
    if (c == 0xA2) return 0x386;
    if (c >= 0xB8 && c <= 0xBA) return 0x388 + (c - 0xB8);
    if (c == 0xBC) return 0x38C;
    if (c >= 0xBE && c != 0xD2 && c != 0xFF) return 0x38E + (c - 0xBE);  // the Greek letters
    ADD_FAILURE() << "no stand-in for byte " << unsigned(c);
    return '?';
  });
}

// The system's file calls. The program works with "\"-separated paths; on Linux
// each call sees them with "/" instead, so the tests run on real files in both builds.
inline FileOps WindowsPathFiles() {
  FileOps real = RealFiles();
#ifndef _WIN32
  auto toUnix = [](std::string p) {
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
  };
  FileOps files = real;
  files.createIfMissing = [=](const std::string& p) { real.createIfMissing(toUnix(p)); };
  files.setArchiveOnly = [=](const std::string& p) { real.setArchiveOnly(toUnix(p)); };
  files.readAll = [=](const std::string& p) { return real.readAll(toUnix(p)); };
  files.removeName = [=](const std::string& p) { real.removeName(toUnix(p)); };
  files.writeNew = [=](const std::string& p, std::string_view b, const std::string& like) {
    real.writeNew(toUnix(p), b, toUnix(like));
  };
  files.moveReplace = [=](const std::string& f, const std::string& t) { real.moveReplace(toUnix(f), toUnix(t)); };
  files.removeFile = [=](const std::string& p) { real.removeFile(toUnix(p)); };
  files.probe = [=](const std::string& p) { return real.probe(toUnix(p)); };
  files.lockForWrite = [=](const std::string& p) { return real.lockForWrite(toUnix(p)); };
  return files;
#else
  return real;
#endif
}

// A real path as the program would spell it.
inline std::string Spelled(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

// Scripted program folder and boxes (recorded, answered from a script: OK when
// the script has run out), the Western code page, real files. Hand `platform`
// to the code under test.
struct ScriptedDesktop {
  explicit ScriptedDesktop(std::string folder, bool spellable = true) {
    platform.programFolder = [folder, spellable] { return ProgramFolder{folder, spellable}; };
    platform.ansiToUtf8 = Latin1ToUtf8;
    platform.messageBox = [this](const std::string& text, const std::string& title, unsigned style) {
      boxes.push_back({text, title, style});
      if (answers.empty()) return kAnswerOk;
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    };
    platform.files = WindowsPathFiles();
  }
  ScriptedDesktop(const ScriptedDesktop&) = delete;
  ScriptedDesktop& operator=(const ScriptedDesktop&) = delete;

  PlatformOps platform;
  std::vector<Box> boxes;
  std::deque<int> answers;
};

// The read-only attribute on Windows, no write permission on Linux.
inline void MakeReadOnly(const std::string& path) {
#ifdef _WIN32
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
#else
  namespace fs = std::filesystem;
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
#endif
}
