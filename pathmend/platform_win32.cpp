#include <windows.h>

#include "error.h"
#include "platform.h"
#include "wide_text.h"

static_assert(kBoxOk == MB_OK && kBoxOkCancel == MB_OKCANCEL && kIconStop == MB_ICONSTOP &&
              kIconQuestion == MB_ICONQUESTION && kIconWarning == MB_ICONWARNING &&
              kIconInformation == MB_ICONINFORMATION &&
              kDefaultButton2 == MB_DEFBUTTON2 && kAnswerOk == IDOK && kAnswerCancel == IDCANCEL);

namespace {

// The one place Pathmend shows a box; `kind` is a BoxKind.
int ShowBox(const std::string& text, const std::string& title, unsigned kind) {
  const int answer = MessageBoxA(nullptr, text.c_str(), title.c_str(), kind);
  if (answer == 0) ThrowLastError();
  return answer;
}

std::string AnsiToUtf8(const std::string& ansi) {
  if (ansi.empty()) return ansi;
  const std::wstring wide = Widen(ansi);
  if (wide.empty()) ThrowLastError();
  const int wideLength = static_cast<int>(wide.size());
  const int utf8Length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(utf8Length), '\0');
  if (utf8.empty() ||
      !WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr, nullptr))
    ThrowLastError();
  return utf8;
}

}  // namespace

PlatformOps RealPlatformOps() { return {ThisProgramFolder, ShowBox, AnsiToUtf8, GetACP(), RealFiles()}; }
