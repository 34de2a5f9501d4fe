#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "error.h"
#include "fileio.h"

namespace {

struct Handle {
  HANDLE h;
  explicit Handle(HANDLE h) : h(h) {}
  ~Handle() { if (h != INVALID_HANDLE_VALUE) CloseHandle(h); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

void CreateIfMissing(const std::string& path) {
  Handle f(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (f.h == INVALID_HANDLE_VALUE) ThrowLastError();
}

void SetArchiveOnly(const std::string& path) {
  if (!SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_ARCHIVE)) ThrowLastError();
}

std::string ReadAll(const std::string& path) {
  Handle f(CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (f.h == INVALID_HANDLE_VALUE) ThrowLastError();
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.h, &size)) ThrowLastError();
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30)), got = 0;
    if (!ReadFile(f.h, bytes.data() + done, chunk, &got, nullptr)) ThrowLastError();
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

void WriteNew(const std::string& path, std::string_view bytes) {
  // A leftover of an interrupted run may be read-only or hidden; CREATE_ALWAYS
  // would refuse it, so make it plain first (it is ours to overwrite).
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  Handle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (f.h == INVALID_HANDLE_VALUE) ThrowLastError();
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30)), put = 0;
    if (!WriteFile(f.h, bytes.data() + done, chunk, &put, nullptr)) ThrowLastError();
    done += put;
  }
  if (!FlushFileBuffers(f.h)) ThrowLastError();
}

void MoveReplace(const std::string& from, const std::string& to) {
  // Windows refuses to replace a read-only file; Wine running as root does not,
  // so the refusal is made explicit to behave alike everywhere.
  const DWORD target = GetFileAttributesA(to.c_str());
  if (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_READONLY)) ThrowSystemError(ERROR_ACCESS_DENIED);
  // One rename: the target holds either its old or its new content, never neither.
  if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    ThrowLastError();
}

void RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }

FileKind Probe(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
  if (a & FILE_ATTRIBUTE_DIRECTORY) return FileKind::Directory;
  if (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return FileKind::HiddenOrSystem;
  return FileKind::Plain;
}

// The lock is a named mutex, one per settings file: the system hands it to the
// next waiter when its holder dies, and it leaves nothing in the folder. The file
// itself cannot serve, as every write replaces it with a new one. Its name comes
// from the file's full path in lower case (a name may not hold "\" and is limited
// in length, hence a hash); two paths that share a hash only wait for each other.
std::wstring LockNameFor(const std::string& path) {
  std::wstring wide(path.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  if (n == 0) ThrowLastError();
  wide.resize(static_cast<size_t>(n) - 1);
  std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length =
      full.empty() ? 0 : GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) ThrowLastError();
  full.resize(length);
  CharLowerBuffW(full.data(), length);
  unsigned long long hash = 14695981039346656037ull;  // FNV-1a
  for (wchar_t c : full) hash = (hash ^ static_cast<unsigned>(c)) * 1099511628211ull;
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\VeskSettingsWrite-%016llx", hash);
  return name;
}

FileLock LockForWrite(const std::string& path) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, LockNameFor(path).c_str());
  if (!mutex) ThrowLastError();
  FileLock lock(mutex, [](void* h) { CloseHandle(h); });
  // WAIT_ABANDONED: the last holder died; the file is whole, as it is only ever replaced in one step.
  const DWORD waited = WaitForSingleObject(mutex, kLockWaitMs);
  if (waited == WAIT_TIMEOUT) ThrowSystemError(ERROR_SHARING_VIOLATION);  // another writer still holds it
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) ThrowLastError();
  // Released first, then the handle is closed when the copy of `lock` goes.
  return FileLock(mutex, [lock](void* h) { ReleaseMutex(h); });
}

}  // namespace

bool IsMomentaryFailure(const std::string& path, unsigned long number) {
  if (number == ERROR_SHARING_VIOLATION || number == ERROR_LOCK_VIOLATION) return true;
  if (number != ERROR_ACCESS_DENIED) return false;
  // A read-only target is refused for good; access denied otherwise may be a file
  // that another process is deleting or holds for a moment.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
}

const FileOps& RealFiles() {
  static const FileOps ops{CreateIfMissing, SetArchiveOnly, ReadAll, WriteNew,
                           MoveReplace, RemoveFile, Probe, LockForWrite};
  return ops;
}
