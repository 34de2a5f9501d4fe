// The system's file calls behind RealFiles(), defined once per platform
// (fileio_win32.cpp, fileio_posix.cpp) beside the helpers they share there.
#pragma once
#include <string>
#include <string_view>

#include "fileio.h"

namespace system_files {
void CreateIfMissing(const std::string& path);
void SetArchiveOnly(const std::string& path);
std::string ReadAll(const std::string& path);
void RemoveName(const std::string& path);
void WriteNew(const std::string& path, std::string_view bytes, const std::string& like);
void MoveReplace(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);
FileKind Probe(const std::string& path);
FileLock LockForWrite(const std::string& path);
}  // namespace system_files
