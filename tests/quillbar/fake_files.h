// An in-memory file system, recording every call, so tests can tell whether the
// settings file was read, created or written. Hand `ops` to the code under test.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "error.h"
#include "fileio.h"

struct FakeFiles {
  FakeFiles() {
    ops.createIfMissing = [this](const std::string& p) { calls.push_back("create " + p); files.try_emplace(p); };
    ops.setArchiveOnly = [this](const std::string& p) { calls.push_back("attrib " + p); };
    ops.readAll = [this](const std::string& p) {
      calls.push_back("read " + p);
      auto it = files.find(p);
      if (it == files.end()) throw SystemError(2, "The system cannot find the file specified.");
      return it->second;
    };
    ops.removeName = [this](const std::string& p) { files.erase(p); };
    ops.writeNew = [this](const std::string& p, std::string_view b, const std::string&) {
      calls.push_back("write " + p);
      files[p] = b;
    };
    ops.moveReplace = [this](const std::string& f, const std::string& t) {
      calls.push_back("move " + f);
      files[t] = files[f];
      files.erase(f);
    };
    ops.removeFile = [this](const std::string& p) { calls.push_back("remove " + p); files.erase(p); };
    ops.probe = [this](const std::string& p) { return files.count(p) ? FileKind::Plain : FileKind::Missing; };
    ops.makeFolder = [this](const std::string& p) { calls.push_back("mkdir " + p); };
    // The real lock needs a real folder for its lock file; one process needs none.
    ops.lockForWrite = [](const std::string&) { return FileLock(); };
  }
  bool wrote() const {
    for (const auto& c : calls)
      if (c.rfind("write ", 0) == 0 || c.rfind("move ", 0) == 0) return true;
    return false;
  }

  FileOps ops;
  std::map<std::string, std::string> files;
  std::vector<std::string> calls;
};
