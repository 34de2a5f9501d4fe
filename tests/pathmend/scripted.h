// Scripted stand-ins for the program folder and the message boxes, and the file
// calls seen through Windows-style paths in the Linux build.
#pragma once
#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include <filesystem>

#include "../common/restore.h"
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

// Records every box and answers from a script (OK when the script has run out).
struct ScriptedDesktop {
  explicit ScriptedDesktop(std::string folder, bool spellable = true) {
    Platform().programFolder = [folder, spellable] { return ProgramFolder{folder, spellable}; };
    Platform().messageBox = [this](const std::string& text, const std::string& title, unsigned style) {
      boxes.push_back({text, title, style});
      if (answers.empty()) return kAnswerOk;
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    };
  }
  Restore<PlatformOps> restore{Platform()};
  std::vector<Box> boxes;
  std::deque<int> answers;
};

// The program works with "\"-separated paths. On Linux each file call sees them
// with "/" instead, so the tests run on real files in both builds.
struct WindowsPaths {
  WindowsPaths() {
#ifndef _WIN32
    FileOps real = Files();
    auto toUnix = [](std::string p) {
      std::replace(p.begin(), p.end(), '\\', '/');
      return p;
    };
    Files().createIfMissing = [=](const std::string& p) { real.createIfMissing(toUnix(p)); };
    Files().setArchiveOnly = [=](const std::string& p) { real.setArchiveOnly(toUnix(p)); };
    Files().readAll = [=](const std::string& p) { return real.readAll(toUnix(p)); };
    Files().writeNew = [=](const std::string& p, std::string_view b) { real.writeNew(toUnix(p), b); };
    Files().moveReplace = [=](const std::string& f, const std::string& t) { real.moveReplace(toUnix(f), toUnix(t)); };
    Files().removeFile = [=](const std::string& p) { real.removeFile(toUnix(p)); };
    Files().probe = [=](const std::string& p) { return real.probe(toUnix(p)); };
    Files().lockForWrite = [=](const std::string& p) { return real.lockForWrite(toUnix(p)); };
#endif
  }
  // A real path as the program would spell it.
  static std::string Spelled(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  }
  Restore<FileOps> restore{Files()};
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
