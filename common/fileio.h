// The few file-system calls of both programs. Everything that differs between
// Windows and the Linux test build sits behind a FileOps; the callers are handed
// one (the real one unless they say otherwise), so unit tests hand in their own
// to inject failures.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "error.h"
#include "scoped_handle.h"

enum class FileKind { Missing, Plain, HiddenOrSystem, Directory };

// A held write lock (see FileOps::lockForWrite): the open lock file that carries
// it (on Windows, where the volume has no byte-range locks, a held mutex instead).
// Destroying it releases the lock; the lock file stays.
struct FileLockTraits {
#ifdef _WIN32
  struct Handle {
    void* file = nullptr;
    bool mutex = false;
  };
#else
  struct Handle {
    int file = -1;
  };
#endif
  static Handle Empty() { return {}; }
  static bool Valid(const Handle& h) { return h.file != Handle{}.file; }
  static void Close(const Handle& h);  // platform code
};
using FileLock = ScopedHandle<FileLockTraits>;
constexpr int kLockWaitMs = 5000;

struct FileOps {
  // Opens the file for byte access, which creates it empty when missing, and closes it.
  std::function<void(const std::string& path)> createIfMissing;
  // Leaves the archive attribute alone: clears read-only, hidden and system.
  std::function<void(const std::string& path)> setArchiveOnly;
  std::function<std::string(const std::string& path)> readAll;
  // Removes whatever file bears the name; a link is removed, never followed. What
  // was opened tells whether it is the name itself: a link opened as itself is
  // removed; where the system followed it (Wine does with a Unix link: the opened
  // file's final path is another's) both are left alone, and so is a folder, and
  // this fails as a name already taken. Where the volume cannot tell (it gives no
  // final paths), a plain file opened as itself is removed. A missing file is no failure.
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
  // Creates the folder; one that exists already is no failure.
  std::function<void(const std::string& path)> makeFolder;
  // The exclusive right to rewrite `path`, shared by every process that writes
  // it, in any session and on any computer that shares the folder: a byte-range
  // lock on the lock file `<final name of path>_LOCK` beside it, which stays there
  // (see TryLock in the platform code). Where the volume has no byte-range locks,
  // a mutex of this computer takes its place, and writers on other computers are
  // not kept apart. Waits up to kLockWaitMs for it, then fails (SystemError).
  // Released when the result is destroyed, and by the system when the holder dies.
  std::function<FileLock(const std::string& path)> lockForWrite;
};

// The system's file calls.
const FileOps& RealFiles();

// The temporary file that stands beside `path` while it is rewritten.
std::string TempPathFor(const std::string& path);

// What bears the temporary name of `file` cannot be removed (a leftover that
// another program holds, or that this user may not delete; a link the system can
// only follow; a folder), so the file is left as it was.
struct TempFileInTheWay : SystemError {
  TempFileInTheWay(const SystemError& cause, std::string temp, std::string file)
      : SystemError(cause), temp(std::move(temp)), file(std::move(file)) {}
  std::string temp, file;
};

// The box for it: names the temporary file and says what to do.
std::string TempFileInTheWayText(const std::string& temp, const std::string& file);

// Replaces the file's whole content without ever losing it: whatever bears the
// name TempPathFor(path) is removed, the bytes go to a new file of that name, made
// with the file's own attributes and permissions, are flushed, and that file then
// takes the name in one step. In a folder that others write to, a link planted at
// the temporary name is never written through: at worst the run stops there.
// A scanner, the indexer or a sync client that holds either file open for a
// moment makes a step fail: such failures are retried with a short backoff for
// up to kBusyRetryMs in all. On any other failure, or when the time is up, the
// file keeps its old content, the temporary file is removed and the error is
// rethrown; when the temporary name could not be cleared, as TempFileInTheWay.
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
// violation; access denied to a file that is being deleted, or to one that this
// user may change (Windows: denied on a read-only or missing file, or on one the
// user may not change, lasts); EBUSY or ETXTBSY (Linux). Platform code.
bool IsMomentaryFailure(const std::string& path, unsigned long number);

// True when `number` is access denied on `path` and the name is gone when looked
// at: it may have been being deleted just then, so the step is tried once more
// before the failure counts as lasting. Platform code.
bool IsDeniedOnAGoneName(const std::string& path, unsigned long number);

// True when `number` says that this user may not change the file or its folder
// (access denied, write-protected media). Platform code.
bool IsRefusedToThisUser(unsigned long number);

// True when `number` says that a name is taken (the file exists). Platform code.
bool IsNameTaken(unsigned long number);
