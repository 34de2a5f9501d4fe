#include <windows.h>

#include "error.h"
#include "program_folder.h"

ProgramFolder AnsiSpelling(const std::wstring& text) {
  ProgramFolder result;
  if (text.empty()) return result;
  const int length = static_cast<int>(text.size());
  // Under a UTF-8 ANSI code page every character is representable, and the
  // flags below are refused.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
  const int size = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, usedDefaultOut);
  if (size == 0) ThrowLastError();
  result.path.resize(static_cast<size_t>(size));
  if (WideCharToMultiByte(CP_ACP, flags, text.data(), length, result.path.data(), size, nullptr, usedDefaultOut) == 0)
    ThrowLastError();
  result.spellable = !usedDefault;
  return result;
}

std::wstring WithoutLongPathPrefix(const std::wstring& path) {
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
  if (path.rfind(L"\\\\?\\", 0) == 0 && path.size() > 5 && path[5] == L':') return path.substr(4);
  return path;
}

ProgramFolder ThisProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) ThrowLastError();
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);  // cut short: try a larger buffer
  }
  const size_t lastSeparator = path.rfind(L'\\');
  if (lastSeparator != std::wstring::npos) path.resize(lastSeparator);
  return AnsiSpelling(WithoutLongPathPrefix(path));
}
