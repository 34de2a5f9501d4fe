#include "show_box.h"

static_assert(kQuestionBox == (MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) && kInformationBox == MB_ICONINFORMATION &&
              kWarningBox == (MB_OK | MB_ICONWARNING) && kErrorBox == (MB_OK | MB_ICONSTOP) && kAnswerOk == IDOK &&
              kAnswerCancel == IDCANCEL);

int ShowBox(HWND owner, BoxKind kind, const std::string& text, const std::string& title) {
  return MessageBoxA(owner, text.c_str(), title.c_str(), kind);
}
