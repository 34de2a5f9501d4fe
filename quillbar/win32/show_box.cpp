#include "show_box.h"

void ShowBox(HWND owner, BoxKind kind, const std::string& text, const std::string& title) {
  MessageBoxA(owner, text.c_str(), title.c_str(), kind);
}

static_assert(kWarningBox == (MB_OK | MB_ICONWARNING) && kErrorBox == (MB_OK | MB_ICONERROR));
