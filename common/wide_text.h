// Text in the system's ANSI code page, as both programs keep it, and the UTF-16
// that the wide Windows calls take. Windows only.
#pragma once
#include <string>
#include <string_view>

std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);
