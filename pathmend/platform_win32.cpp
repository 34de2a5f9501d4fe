#include <windows.h>

#include "error.h"
#include "platform.h"

static_assert(kBoxOk == MB_OK && kBoxOkCancel == MB_OKCANCEL && kIconStop == MB_ICONSTOP &&
              kIconQuestion == MB_ICONQUESTION && kIconInformation == MB_ICONINFORMATION &&
              kDefaultButton2 == MB_DEFBUTTON2 && kAnswerOk == IDOK && kAnswerCancel == IDCANCEL);

namespace {

int ShowBox(const std::string& text, const std::string& title, unsigned style) {
  const int answer = MessageBoxA(nullptr, text.c_str(), title.c_str(), style);
  if (answer == 0) ThrowLastError();
  return answer;
}

}  // namespace

PlatformOps RealPlatformOps() { return {ThisProgramFolder, ShowBox}; }
