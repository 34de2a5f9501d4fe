// The Linux build's file calls, for the unit tests and fuzzers. They mirror the
// Windows semantics that the programs rely on (a read-only target refuses a replace).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

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

FileKind Probe(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return FileKind::Missing;
  if (S_ISDIR(st.st_mode)) return FileKind::Directory;
  return FileKind::Plain;
}

// flock on the file's folder: the file itself cannot carry the lock, as every
// write replaces it with a new one. The lock belongs to the open descriptor, so
// the system drops it when the holder dies, and nothing is created.
FileLock LockForWrite(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  FileLock fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd) ThrowLastError();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMs);
  std::chrono::milliseconds pause(1);
  while (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) ThrowLastError();
    if (std::chrono::steady_clock::now() >= deadline) ThrowSystemError(EWOULDBLOCK);
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
  return fd;  // closing the descriptor releases the lock
}

}  // namespace system_files

bool IsMomentaryFailure(const std::string&, unsigned long number) { return number == EBUSY || number == ETXTBSY; }

bool IsNameTaken(unsigned long number) { return number == EEXIST; }

void FileLockTraits::Close(Handle fd) { close(fd); }
