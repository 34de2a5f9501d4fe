// Letter case of text in the ANSI code page, for case-insensitive matching.
#pragma once
#include <string>
#include <string_view>

// A lower-case copy of the same length: the ANSI code page's rules on Windows,
// ASCII in the Linux build.
std::string LowerCopy(std::string_view text);
