#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstdio>

#include "error.h"
#include "fileio_system.h"
#include "scoped_win.h"
#include "wide_text.h"

namespace system_files {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The wide calls take paths of any length where the manifest opts in and the
// system allows it; a long absolute path is also given the "\\?\" form, which
// every Windows takes past MAX_PATH.
std::wstring WidePath(const std::string& path) {
  std::wstring wide = Widen(path);
  if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
  if (wide.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + wide.substr(2);
  return wide;
}

// Access denied passes when the file is being deleted (it cannot even be looked
// at), or when this user may change it (it opens for that; another process
// holds it, or a replace met it open). On a read-only or missing file (the folder
// refuses it), or one the user may not change, it lasts and is reported at once.
bool IsMomentaryFailureOn(const std::wstring& wide, unsigned long number) {
  if (number == ERROR_SHARING_VIOLATION || number == ERROR_LOCK_VIOLATION) return true;
  if (number != ERROR_ACCESS_DENIED) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_ACCESS_DENIED;
  if (attributes & FILE_ATTRIBUTE_READONLY) return false;
  const ScopedKernelHandle mine(CreateFileW(wide.c_str(), DELETE | FILE_WRITE_ATTRIBUTES, kShareAll, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                            nullptr));
  return mine || GetLastError() != ERROR_ACCESS_DENIED;
}

// Access denied on a name that is gone when looked at: perhaps it was being deleted.
bool IsDeniedOnAGoneNameW(const std::wstring& wide, unsigned long number) {
  return number == ERROR_ACCESS_DENIED && GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES &&
         GetLastError() == ERROR_FILE_NOT_FOUND;
}

void CreateIfMissing(const std::string& path) {
  const ScopedKernelHandle f(CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) ThrowLastError();
}

void SetArchiveOnly(const std::string& path) {
  if (!SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_ARCHIVE)) ThrowLastError();
}

std::string ReadAll(const std::string& path) {
  const ScopedKernelHandle f(CreateFileW(WidePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) ThrowLastError();
  LARGE_INTEGER size;
  if (!GetFileSizeEx(f.get(), &size)) ThrowLastError();
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30)), got = 0;
    if (!ReadFile(f.get(), bytes.data() + done, chunk, &got, nullptr)) ThrowLastError();
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

// The final path of an open file, as GetFinalPathNameByHandleW gives it; empty on
// failure (some volumes never give one: NAS and WebDAV mounts, shared folders of
// virtual machines, RAM disks).
std::wstring FinalPathOf(void* h) {
  std::wstring named(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(h, named.data(), static_cast<DWORD>(named.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return {};
    const bool fits = length < named.size();
    named.resize(length);  // too small: the size asked for, its null included
    if (fits) return named;
  }
}

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length =
      full.empty() ? 0 : GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) ThrowLastError();
  full.resize(length);
  return full;
}

// The name the file system itself gives an existing file or folder, however the
// path spells it: short (8.3) names made long, links and substituted drives
// followed. Empty when it cannot be opened (missing, for one).
std::wstring FinalPath(const std::wstring& path, FinalPathCall finalPathOf = FinalPathOf) {
  const ScopedKernelHandle h(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));  // the flag opens folders too
  if (!h) return {};
  return finalPathOf(h.get());
}

// The path of `full` with its folder's final path: what an open handle of the
// name itself, not of a link's target, reports.
std::wstring FinalPathOfName(const std::wstring& full, FinalPathCall finalPathOf = FinalPathOf) {
  const size_t slash = full.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return full;
  const bool root = slash > 0 && full[slash - 1] == L':';
  std::wstring folder = FinalPath(full.substr(0, root ? slash + 1 : slash), finalPathOf);
  if (folder.empty()) return {};
  if (folder.back() != L'\\') folder += L'\\';
  return folder + full.substr(slash + 1);
}

// Whether the handle of `wide`, opened without following a link, is another file
// than the name's: a system that cannot open a link as itself (Wine with a Unix
// symbolic link) follows it, and the handle's final path is then the target's.
// Where the volume gives no final path, nothing says so.
bool OpenedAnotherFile(HANDLE h, const std::wstring& wide, FinalPathCall finalPathOf) {
  const std::wstring opened = finalPathOf(h);
  if (opened.empty()) return false;
  const std::wstring named = FinalPathOfName(FullPath(wide), finalPathOf);
  return !named.empty() && CompareStringOrdinal(opened.c_str(), -1, named.c_str(), -1, TRUE) != CSTR_EQUAL;
}

void RemoveName(const std::string& path) { RemoveNameWith(path, FinalPathOf); }

void RemoveNameWith(const std::string& path, FinalPathCall finalPathOf) {
  const std::wstring wide = WidePath(path);
  // The name itself, a link included (it is not followed), with the right to delete it.
  const ScopedKernelHandle h(CreateFileW(wide.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                         nullptr));
  if (!h) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    ThrowSystemError(error);
  }
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &tag, sizeof tag)) ThrowLastError();
  // A link opened as itself carries the reparse attribute: removing it leaves its target alone.
  const bool link = tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
  const bool folder = (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !link;
  if (folder || (!link && OpenedAnotherFile(h.get(), wide, finalPathOf))) ThrowSystemError(ERROR_ALREADY_EXISTS);
  FILE_BASIC_INFO plain{};
  plain.FileAttributes = FILE_ATTRIBUTE_NORMAL;  // a read-only leftover could not be deleted
  SetFileInformationByHandle(h.get(), FileBasicInfo, &plain, sizeof plain);
  FILE_DISPOSITION_INFO remove{TRUE};
  if (!SetFileInformationByHandle(h.get(), FileDispositionInfo, &remove, sizeof remove)) ThrowLastError();
}

void WriteNew(const std::string& path, std::string_view bytes, const std::string& like) {
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
  ScopedLocal descriptor;  // the file's DACL, for a copy that is to have the same permissions
  const std::wstring likeWide = like.empty() ? std::wstring() : WidePath(like);
  if (const DWORD a = like.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(likeWide.c_str());
      a != INVALID_FILE_ATTRIBUTES) {
    const DWORD kept = a & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (kept) attributes = kept;
    // The new file is given the old one's permissions, not the folder's defaults.
    PSECURITY_DESCRIPTOR sd = nullptr;
    const DWORD got = GetNamedSecurityInfoW(likeWide.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                            nullptr, nullptr, nullptr, &sd);
    if (got != ERROR_SUCCESS) ThrowSystemError(got);
    descriptor = ScopedLocal(sd);
    security.lpSecurityDescriptor = sd;
  }
  const ScopedKernelHandle f(CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0,
                                         descriptor ? &security : nullptr, CREATE_NEW,
                                         attributes | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!f) ThrowLastError();
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30)), put = 0;
    if (!WriteFile(f.get(), bytes.data() + done, chunk, &put, nullptr)) ThrowLastError();
    done += put;
  }
  if (!FlushFileBuffers(f.get())) ThrowLastError();
}

void MoveReplace(const std::string& from, const std::string& to) {
  // Windows refuses to replace a read-only file; Wine running as root does not,
  // so the refusal is made explicit to behave alike everywhere.
  const std::wstring wideTo = WidePath(to);
  const DWORD target = GetFileAttributesW(wideTo.c_str());
  if (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_READONLY)) ThrowSystemError(ERROR_ACCESS_DENIED);
  // One rename: the target holds either its old or its new content, never neither.
  if (!MoveFileExW(WidePath(from).c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    ThrowLastError();
}

void RemoveFile(const std::string& path) {
  const std::wstring wide = WidePath(path);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only file cannot be deleted
  DeleteFileW(wide.c_str());
}

void MakeFolder(const std::string& path) {
  if (!CreateDirectoryW(WidePath(path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) ThrowLastError();
}

FileKind Probe(const std::string& path) {
  DWORD a = GetFileAttributesW(WidePath(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
  if (a & FILE_ATTRIBUTE_DIRECTORY) return FileKind::Directory;
  if (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return FileKind::HiddenOrSystem;
  return FileKind::Plain;
}

// The file's final path: its own while it exists, else its folder's and the
// name (a missing file has no other spelling of its own name). A folder that
// cannot be opened keeps the path as spelled; the write then fails on it anyway.
std::wstring FinalPathOfFile(const std::wstring& full) {
  if (std::wstring named = FinalPath(full); !named.empty()) return named;
  std::wstring named = FinalPathOfName(full);
  return named.empty() ? full : named;
}

// The lock file lies beside the file's final name, so that every spelling of its
// path (a short name, a link, "." and "..") shares one.
LockFileName LockFileFor(const std::string& path) { return FinalPathOfFile(FullPath(WidePath(path))) + L"_LOCK"; }

// Writers never rename or remove the lock file, and nobody can while a writer
// has it open (it is shared for reading and writing, not for deleting): so
// whatever the order of opens, locks and attempts to rename or delete it, every
// writer locks the one file under the name. It is opened for writing where that
// is allowed (Wine carries the lock to other Wine servers, and so to other
// computers in the tests, only on a file open for writing), else for reading
// alone, which is all Windows needs: a read-only leftover, one this user may not
// write or one a reader shares for reading only serves as well.
HANDLE OpenLockFile(const LockFileName& name) {
  constexpr DWORD kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
  const HANDLE f = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, kShareNoDelete, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE || (GetLastError() != ERROR_ACCESS_DENIED && GetLastError() != ERROR_SHARING_VIOLATION))
    return f;
  return CreateFileW(name.c_str(), GENERIC_READ, kShareNoDelete, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

unsigned long LockByteRange(void* file) {
  OVERLAPPED first{};
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &first) ? 0 : GetLastError();
}

// A mutex name may not hold "\" and is limited in length, hence a hash of the
// lock file's final path in capitals (names match without regard to case); two
// paths that share a hash only wait for each other.
std::wstring MutexNameFor(const LockFileName& name) {
  std::wstring upper = name;
  CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  unsigned long long hash = 14695981039346656037ull;  // FNV-1a
  for (wchar_t c : upper) hash = (hash ^ static_cast<unsigned>(c)) * 1099511628211ull;
  wchar_t mutex[64];
  std::swprintf(mutex, 64, L"Global\\VeskSettingsWrite-%016llx", hash);
  return mutex;
}

// Where the volume has no byte-range locks (some WebDAV mounts, shared folders of
// virtual machines), a mutex in the computer's global namespace stands in: it
// keeps apart the writers of every session of this computer, not those of other
// computers. Every user may wait for it and release it.
LockTry TryMutex(const LockFileName& name, FileLock& lock) {
  static const ScopedLocal everyone = [] {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;0x100001;;;WD)", SDDL_REVISION_1, &sd, nullptr);
    return ScopedLocal(sd);
  }();
  SECURITY_ATTRIBUTES security{sizeof security, everyone.get(), FALSE};
  ScopedKernelHandle mutex(CreateMutexExW(everyone ? &security : nullptr, MutexNameFor(name).c_str(), 0,
                                                SYNCHRONIZE | MUTEX_MODIFY_STATE));
  if (!mutex) ThrowLastError();
  const DWORD waited = WaitForSingleObject(mutex.get(), 0);
  if (waited == WAIT_TIMEOUT) return LockTry::Busy;
  // WAIT_ABANDONED: its holder died; the file is whole, as it is only ever replaced in one step.
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) ThrowLastError();
  lock = FileLock({mutex.release(), true});
  return LockTry::Held;
}

// A byte-range lock: unlike a named mutex or share modes, it holds for other
// sessions and for other computers on a network folder, and the system drops it
// when its holder dies. The file itself cannot carry it, as every write replaces
// it with a new one.
LockTry TryLock(const LockFileName& name, FileLock& lock) { return TryLockWith(name, lock, LockByteRange); }

LockTry TryLockWith(const LockFileName& name, FileLock& lock, ByteRangeLockCall lockRange) {
  ScopedKernelHandle f(OpenLockFile(name));
  if (!f && IsDeniedOnAGoneNameW(name, GetLastError())) f = ScopedKernelHandle(OpenLockFile(name));
  if (!f) {
    const DWORD error = GetLastError();
    if (IsMomentaryFailureOn(name, error)) return LockTry::Busy;  // a scanner holds it for a moment
    ThrowSystemError(error);
  }
  const DWORD error = lockRange(f.get());
  if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION) return TryMutex(name, lock);
  if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return LockTry::Busy;
  if (error != 0) ThrowSystemError(error);
  lock = FileLock({f.release(), false});
  return LockTry::Held;
}

void ThrowStillLocked() { ThrowSystemError(ERROR_SHARING_VIOLATION); }

}  // namespace system_files

bool IsNameTaken(unsigned long number) { return number == ERROR_FILE_EXISTS || number == ERROR_ALREADY_EXISTS; }

bool IsMomentaryFailure(const std::string& path, unsigned long number) {
  return system_files::IsMomentaryFailureOn(system_files::WidePath(path), number);
}

bool IsDeniedOnAGoneName(const std::string& path, unsigned long number) {
  return system_files::IsDeniedOnAGoneNameW(system_files::WidePath(path), number);
}

bool IsRefusedToThisUser(unsigned long number) {
  return number == ERROR_ACCESS_DENIED || number == ERROR_WRITE_PROTECT || number == ERROR_NETWORK_ACCESS_DENIED;
}

// The lock file stays for the next writer; closing alone would release the
// range too, but only once the system gets round to it.
void FileLockTraits::Close(const Handle& h) {
  const HANDLE held = static_cast<HANDLE>(h.file);
  if (h.mutex) {
    ReleaseMutex(held);
  } else {
    OVERLAPPED first{};
    UnlockFileEx(held, 0, 1, 0, &first);
  }
  CloseHandle(held);
}
