// The few file-system calls of both programs. Everything that differs between
// Windows and the Linux test build sits behind Files(); unit tests swap single
// entries to inject failures.
#pragma once
#include <functional>
#include <string>
#include <string_view>

enum class FileKind { Missing, Plain, HiddenOrSystem, Directory };

struct FileOps {
  // Opens the file for byte access, which creates it empty when missing, and closes it.
  std::function<void(const std::string& path)> createIfMissing;
  // Leaves the archive attribute alone: clears read-only, hidden and system.
  std::function<void(const std::string& path)> setArchiveOnly;
  std::function<std::string(const std::string& path)> readAll;
  // Creates or empties the file, writes all bytes, flushes them to disk and closes it.
  std::function<void(const std::string& path, std::string_view bytes)> writeNew;
  // Gives `from` the name `to` in one step, replacing `to` (a read-only target is refused).
  std::function<void(const std::string& from, const std::string& to)> moveReplace;
  // Best effort, for clean-up on a failure path.
  std::function<void(const std::string& path)> removeFile;
  std::function<FileKind(const std::string& path)> probe;
};

FileOps& Files();
FileOps RealFileOps();

// The temporary file that stands beside `path` while it is rewritten.
std::string TempPathFor(const std::string& path);

// Replaces the file's whole content without ever losing it: the bytes go to
// TempPathFor(path), are flushed, and that file then takes the name in one step.
// On any failure the file keeps its old content, the temporary file is removed
// and the error is rethrown.
void ReplaceFileContent(const std::string& path, std::string_view bytes);
