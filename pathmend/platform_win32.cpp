#include <windows.h>

#include "error.h"
#include "platform.h"

static_assert(kBoxOk == MB_OK && kBoxOkCancel == MB_OKCANCEL && kIconStop == MB_ICONSTOP &&
              kIconQuestion == MB_ICONQUESTION && kIconInformation == MB_ICONINFORMATION &&
              kDefaultButton2 == MB_DEFBUTTON2 && kAnswerOk == IDOK && kAnswerCancel == IDCANCEL);

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

namespace {

ProgramFolder ProgramFolderOfThisProcess() {
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
  return AnsiSpelling(path);
}

int ShowBox(const std::string& text, const std::string& title, unsigned style) {
  const int answer = MessageBoxA(nullptr, text.c_str(), title.c_str(), style);
  if (answer == 0) ThrowLastError();
  return answer;
}

std::string AnsiToUtf8(const std::string& ansi) {
  if (ansi.empty()) return ansi;
  const int length = static_cast<int>(ansi.size());
  std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0)), L'\0');
  if (wide.empty() || !MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), static_cast<int>(wide.size())))
    ThrowLastError();
  const int wideLength = static_cast<int>(wide.size());
  std::string utf8(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr)), '\0');
  if (utf8.empty() ||
      !WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr))
    ThrowLastError();
  return utf8;
}

}  // namespace

PlatformOps RealPlatformOps() { return {ProgramFolderOfThisProcess, ShowBox, AnsiToUtf8}; }
