// The one place both programs show a message box. Windows only.
#pragma once
#include <windows.h>

#include <string>

#include "message_box.h"

// A modal box of one kind over `owner` (or no window), titled `title`; returns
// the button chosen (kAnswerOk, kAnswerCancel), or 0 when the box could not be
// shown (GetLastError says why).
int ShowBox(HWND owner, BoxKind kind, const std::string& text, const std::string& title);
