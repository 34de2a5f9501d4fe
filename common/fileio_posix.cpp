// The Linux build's file calls, for the unit tests and fuzzers. They mirror the
// Windows semantics that the programs rely on (a read-only target refuses a replace).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "error.h"
#include "fileio_system.h"

namespace system_files {

struct FdTraits {
  using Handle = int;
  static Handle Empty() { return -1; }
  static bool Valid(Handle fd) { return fd >= 0; }
  static void Close(Handle fd) { close(fd); }
};
using Fd = ScopedHandle<FdTraits>;

void CreateIfMissing(const std::string& path) {
  const Fd f(open(path.c_str(), O_RDONLY | O_CREAT, 0644));
  if (!f) ThrowLastError();
}

void SetArchiveOnly(const std::string& path) {
  if (chmod(path.c_str(), 0644) != 0) ThrowLastError();
}

std::string ReadAll(const std::string& path) {
  const Fd f(open(path.c_str(), O_RDONLY));
  if (!f) ThrowLastError();
  struct stat st;
  if (fstat(f.get(), &st) != 0) ThrowLastError();
  std::string bytes(static_cast<size_t>(st.st_size), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t got = read(f.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ThrowLastError();
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

void RemoveName(const std::string& path) {
  if (unlink(path.c_str()) != 0 && errno != ENOENT) ThrowLastError();  // unlink never follows a link
}

void WriteNew(const std::string& path, std::string_view bytes, const std::string& like) {
  const Fd f(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!f) ThrowLastError();
  struct stat st;
  if (!like.empty() && stat(like.c_str(), &st) == 0 && fchmod(f.get(), st.st_mode & 07777) != 0) ThrowLastError();
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = write(f.get(), bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) ThrowLastError();
    done += static_cast<size_t>(put);
  }
  if (fsync(f.get()) != 0) ThrowLastError();
}

void MoveReplace(const std::string& from, const std::string& to) {
  struct stat st;
  if (stat(to.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR)) ThrowSystemError(EACCES);
  if (rename(from.c_str(), to.c_str()) != 0) ThrowLastError();
}

void RemoveFile(const std::string& path) { unlink(path.c_str()); }

void MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) ThrowLastError();
}

FileKind Probe(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return FileKind::Missing;
  if (S_ISDIR(st.st_mode)) return FileKind::Directory;
  return FileKind::Plain;
}

// flock on the lock file beside the file (the file itself cannot carry the lock,
// as every write replaces it with a new one). The lock belongs to the open
// descriptor, so the system drops it when the holder dies. The lock file stays,
// as on Windows; read access is all flock needs.
LockFileName LockFileFor(const std::string& path) { return path + "_LOCK"; }

LockTry TryLock(const LockFileName& name, FileLock& lock) {
  Fd f(open(name.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (!f) {
    if (errno == EINTR) return LockTry::Lost;
    ThrowLastError();
  }
  if (flock(f.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK || errno == EINTR) return LockTry::Busy;
    ThrowLastError();
  }
  // Something may have removed it between our open and our flock (Linux lets a
  // name go while the file is open).
  struct stat held, named;
  if (fstat(f.get(), &held) != 0 || lstat(name.c_str(), &named) != 0 || held.st_dev != named.st_dev ||
      held.st_ino != named.st_ino)
    return LockTry::Lost;
  lock = FileLock({f.release()});
  return LockTry::Held;
}

void ThrowStillLocked() { ThrowSystemError(EWOULDBLOCK); }

}  // namespace system_files

bool IsMomentaryFailure(const std::string&, unsigned long number) { return number == EBUSY || number == ETXTBSY; }

bool IsDeniedOnAGoneName(const std::string&, unsigned long) { return false; }

bool IsRefusedToThisUser(unsigned long number) { return number == EACCES || number == EPERM || number == EROFS; }

bool IsNameTaken(unsigned long number) { return number == EEXIST; }

void FileLockTraits::Close(const Handle& h) { close(h.file); }
