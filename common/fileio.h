// The few file-system calls of both programs. Everything that differs between
// Windows and the Linux test build sits behind a FileOps; the callers are handed
// one (the real one unless they say otherwise), so unit tests hand in their own
// to inject failures.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "scoped_handle.h"

enum class FileKind { Missing, Plain, HiddenOrSystem, Directory };

// A held write lock (see FileOps::lockForWrite): the named mutex on Windows, the
// folder's descriptor that carries the flock on Linux. Destroying it releases the lock.
struct FileLockTraits {
#ifdef _WIN32
  using Handle = void*;
  static Handle Empty() { return nullptr; }
#else
  using Handle = int;
  static Handle Empty() { return -1; }
#endif
  static bool Valid(Handle h) { return h != Empty(); }
  static void Close(Handle h);  // platform code
};
using FileLock = ScopedHandle<FileLockTraits>;
constexpr int kLockWaitMs = 5000;

struct FileOps {
  // Opens the file for byte access, which creates it empty when missing, and closes it.
  std::function<void(const std::string& path)> createIfMissing;
  // Leaves the archive attribute alone: clears read-only, hidden and system.
  std::function<void(const std::string& path)> setArchiveOnly;
  std::function<std::string(const std::string& path)> readAll;
  // Removes whatever file bears the name; a link is removed, never followed, and
  // where the system can only follow it (Wine) both are left alone and this fails
  // as a name already taken. A missing file is no failure.
  std::function<void(const std::string& path)> removeName;
  // Creates the file, failing when the name is taken (a link or other reparse point
  // there is never opened), with the attributes and permissions of the file `like`
  // where that exists; writes all bytes, flushes them to disk and closes it.
  std::function<void(const std::string& path, std::string_view bytes, const std::string& like)> writeNew;
  // Gives `from` the name `to` in one step, replacing `to` (a read-only target is refused).
  std::function<void(const std::string& from, const std::string& to)> moveReplace;
  // Best effort, for clean-up on a failure path.
  std::function<void(const std::string& path)> removeFile;
  std::function<FileKind(const std::string& path)> probe;
  // The exclusive right to rewrite `path`, shared by every process that writes
  // it: waits up to kLockWaitMs for it, then fails (SystemError). Released when
  // the result is destroyed, and by the system when the holder dies; it leaves
  // nothing behind in the folder.
  std::function<FileLock(const std::string& path)> lockForWrite;
};

// The system's file calls.
const FileOps& RealFiles();

// The temporary file that stands beside `path` while it is rewritten.
std::string TempPathFor(const std::string& path);

// Replaces the file's whole content without ever losing it: whatever bears the
// name TempPathFor(path) is removed, the bytes go to a new file of that name, made
// with the file's own attributes and permissions, are flushed, and that file then
// takes the name in one step. In a folder that others write to, a link planted at
// the temporary name is never written through: at worst the run stops there.
// A scanner, the indexer or a sync client that holds either file open for a
// moment makes a step fail: such failures are retried with a short backoff for
// up to kBusyRetryMs in all. On any other failure, or when the time is up, the
// file keeps its old content, the temporary file is removed and the error is
// rethrown.
void ReplaceFileContent(const std::string& path, std::string_view bytes, const FileOps& files = RealFiles());
constexpr int kBusyRetryMs = 2000;

// Runs `step`, retrying a momentary failure on `path` (IsMomentaryFailure) with a
// short backoff for up to kBusyRetryMs in all, as ReplaceFileContent does.
void RetryWhileBusy(const std::string& path, const std::function<void()>& step);

// The file's whole content; a file that another process holds for a moment is
// waited for as RetryWhileBusy does.
std::string ReadFileContent(const std::string& path, const FileOps& files = RealFiles());

// True when `number`, a failure to open, create or replace `path`, may come from
// another process that holds the file open for a moment: a sharing or lock
// violation, or access denied to a file that exists and is not read-only
// (Windows: a missing one means the folder refuses it, which lasts); EBUSY or
// ETXTBSY (Linux). Platform code.
bool IsMomentaryFailure(const std::string& path, unsigned long number);

// True when `number` says that a name is taken (the file exists). Platform code.
bool IsNameTaken(unsigned long number);
