#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <cstdio>

#include "error.h"
#include "fileio_system.h"
#include "scoped_kernel_handle.h"
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

// The file's DACL, for a copy that is to have the same permissions. LocalFree'd.
struct LocalMemoryTraits {
  using Handle = PSECURITY_DESCRIPTOR;
  static Handle Empty() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { LocalFree(h); }
};

// The final path of an open file, as GetFinalPathNameByHandleW gives it; empty on failure.
std::wstring FinalPathOf(HANDLE h) {
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

std::wstring FinalPath(const std::wstring& path);
std::wstring FullPath(const std::wstring& path);

// The path of `full` with its folder's final path: what an open handle of the
// name itself, not of a link's target, reports.
std::wstring FinalPathOfName(const std::wstring& full) {
  const size_t slash = full.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return full;
  const bool root = slash > 0 && full[slash - 1] == L':';
  std::wstring folder = FinalPath(full.substr(0, root ? slash + 1 : slash));
  if (folder.empty()) return {};
  if (folder.back() != L'\\') folder += L'\\';
  return folder + full.substr(slash + 1);
}

void RemoveName(const std::string& path) {
  const std::wstring wide = WidePath(path);
  // The name itself, a link included (it is not followed), with the right to delete it.
  const ScopedKernelHandle h(CreateFileW(wide.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                         nullptr));
  if (!h) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return;
    ThrowSystemError(error);
  }
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &tag, sizeof tag)) ThrowLastError();
  const bool folder =
      (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
  // Where the system followed a link that it cannot open as itself (Wine does so
  // with a Unix symbolic link), the handle is the target's: leave both alone.
  const std::wstring opened = FinalPathOf(h.get()), named = FinalPathOfName(FullPath(wide));
  if (folder || opened.empty() ||
      CompareStringOrdinal(opened.c_str(), -1, named.c_str(), -1, TRUE) != CSTR_EQUAL)
    ThrowSystemError(ERROR_ALREADY_EXISTS);
  FILE_BASIC_INFO plain{};
  plain.FileAttributes = FILE_ATTRIBUTE_NORMAL;  // a read-only leftover could not be deleted
  SetFileInformationByHandle(h.get(), FileBasicInfo, &plain, sizeof plain);
  FILE_DISPOSITION_INFO remove{TRUE};
  if (!SetFileInformationByHandle(h.get(), FileDispositionInfo, &remove, sizeof remove)) ThrowLastError();
}

void WriteNew(const std::string& path, std::string_view bytes, const std::string& like) {
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
  ScopedHandle<LocalMemoryTraits> descriptor;
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
    descriptor = ScopedHandle<LocalMemoryTraits>(sd);
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

FileKind Probe(const std::string& path) {
  DWORD a = GetFileAttributesW(WidePath(path).c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return FileKind::Missing;
  if (a & FILE_ATTRIBUTE_DIRECTORY) return FileKind::Directory;
  if (a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return FileKind::HiddenOrSystem;
  return FileKind::Plain;
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
std::wstring FinalPath(const std::wstring& path) {
  const ScopedKernelHandle h(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));  // the flag opens folders too
  if (!h) return {};
  return FinalPathOf(h.get());
}

// The file's final path: its own while it exists, else its folder's and the
// name (a missing file has no other spelling of its own name). A folder that
// cannot be opened keeps the path as spelled; the write then fails on it anyway.
std::wstring FinalPathOfFile(const std::wstring& full) {
  if (std::wstring named = FinalPath(full); !named.empty()) return named;
  std::wstring named = FinalPathOfName(full);
  return named.empty() ? full : named;
}

// The lock is a named mutex, one per settings file: the system hands it to the
// next waiter when its holder dies, and it leaves nothing in the folder. The file
// itself cannot serve, as every write replaces it with a new one. Its name comes
// from the file's final path in lower case, so that every spelling of the path
// (a short name, a link, "." and "..") shares one lock; a name may not hold "\"
// and is limited in length, hence a hash; two paths that share a hash only wait
// for each other.
std::wstring LockNameFor(const std::string& path) {
  std::wstring named = FinalPathOfFile(FullPath(WidePath(path)));
  CharLowerBuffW(named.data(), static_cast<DWORD>(named.size()));
  unsigned long long hash = 14695981039346656037ull;  // FNV-1a
  for (wchar_t c : named) hash = (hash ^ static_cast<unsigned>(c)) * 1099511628211ull;
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\VeskSettingsWrite-%016llx", hash);
  return name;
}

FileLock LockForWrite(const std::string& path) {
  ScopedKernelHandle mutex(CreateMutexW(nullptr, FALSE, LockNameFor(path).c_str()));
  if (!mutex) ThrowLastError();
  // WAIT_ABANDONED: the last holder died; the file is whole, as it is only ever replaced in one step.
  const DWORD waited = WaitForSingleObject(mutex.get(), kLockWaitMs);
  if (waited == WAIT_TIMEOUT) ThrowSystemError(ERROR_SHARING_VIOLATION);  // another writer still holds it
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) ThrowLastError();
  return FileLock(mutex.release());
}

}  // namespace system_files

bool IsNameTaken(unsigned long number) { return number == ERROR_FILE_EXISTS || number == ERROR_ALREADY_EXISTS; }

bool IsMomentaryFailure(const std::string& path, unsigned long number) {
  if (number == ERROR_SHARING_VIOLATION || number == ERROR_LOCK_VIOLATION) return true;
  if (number != ERROR_ACCESS_DENIED) return false;
  // Access denied to a file that exists may be another process deleting it or
  // holding it for a moment. A read-only file is refused for good, and so is a
  // missing one: there the folder may not be written.
  const DWORD attributes = GetFileAttributesW(system_files::WidePath(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return !(attributes & FILE_ATTRIBUTE_READONLY);
  return GetLastError() == ERROR_ACCESS_DENIED;  // a file being deleted cannot even be looked at
}

void FileLockTraits::Close(Handle h) {
  ReleaseMutex(h);
  CloseHandle(h);
}
