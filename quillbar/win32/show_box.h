// The one place Quillbar shows a message box: over `owner` (or no window), of
// one kind (startup.h), which sets its icon and buttons.
#pragma once
#include <windows.h>

#include <string>

#include "startup.h"

void ShowBox(HWND owner, BoxKind kind, const std::string& text, const std::string& title = kProgramTitle);
