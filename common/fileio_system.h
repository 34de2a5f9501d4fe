// The system's file calls behind RealFiles(), defined once per platform
// (fileio_win32.cpp, fileio_posix.cpp) beside the helpers they share there, and
// the pieces of the write lock that differ between them.
#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "fileio.h"

using Clock = std::chrono::steady_clock;

// Sleeps `pause`, never past `deadline` (rounded up to a whole millisecond), and
// doubles it up to `longest` for the next time; false, without sleeping, once the
// deadline has passed.
bool PauseUntil(Clock::time_point deadline, std::chrono::milliseconds& pause, std::chrono::milliseconds longest);

namespace system_files {
void CreateIfMissing(const std::string& path);
void SetArchiveOnly(const std::string& path);
std::string ReadAll(const std::string& path);
void RemoveName(const std::string& path);
void WriteNew(const std::string& path, std::string_view bytes, const std::string& like);
void MoveReplace(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);
FileKind Probe(const std::string& path);
void MakeFolder(const std::string& path);

#ifdef _WIN32
// The final path of an open file, GetFinalPathNameByHandleW's; empty where the
// volume gives none. RemoveNameWith takes it as given, so that a test stands for such a volume.
using FinalPathCall = std::wstring (*)(void* file);
void RemoveNameWith(const std::string& path, FinalPathCall finalPathOf);
std::wstring WidePath(const std::string& path);
bool IsMomentaryFailureOn(const std::wstring& wide, unsigned long number);
#endif

// The write lock (LockForWrite in fileio.cpp) is taken in tries on the lock file
// of the file's name.
#ifdef _WIN32
using LockFileName = std::wstring;
#else
using LockFileName = std::string;
#endif
LockFileName LockFileFor(const std::string& path);
enum class LockTry {
  Held,  // the lock is in `lock`
  Busy,  // another writer holds it, or the lock file is held for a moment: try again later
  Lost,  // the lock file lost its name while it was opened (something removed it): try again later
};
// Lasting failures throw SystemError.
LockTry TryLock(const LockFileName& name, FileLock& lock);
using LockTryCall = std::function<LockTry(const LockFileName& name, FileLock& lock)>;
// LockForWrite with the tries and the wait given, so that a test stands for a
// volume that answers otherwise.
FileLock LockForWriteWith(const std::string& path, const LockTryCall& tryLock, std::chrono::milliseconds wait);
#ifdef _WIN32
// Takes the byte-range lock on the open lock file: 0, or the system's error.
using ByteRangeLockCall = unsigned long (*)(void* file);
LockTry TryLockWith(const LockFileName& name, FileLock& lock, ByteRangeLockCall lockRange);
#endif
// The failure of a writer that waited kLockWaitMs for the lock in vain.
[[noreturn]] void ThrowStillLocked();
}  // namespace system_files
