#include <windows.h>

#include "error.h"
#include "platform.h"
#include "show_box.h"
#include "wide_text.h"

namespace {

// Pathmend has no window: its boxes stand alone, and one that cannot be shown is an error.
int ShowOwnBox(const std::string& text, const std::string& title, BoxKind kind) {
  const int answer = ShowBox(nullptr, kind, text, title);
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

PlatformOps RealPlatformOps() { return {ThisProgramFolder, ShowOwnBox, AnsiToUtf8, GetACP(), RealFiles()}; }
