// Which encoding a .lsp file is in. Editors today save AutoLISP files in UTF-8,
// which AutoCAD reads too; older files are in the ANSI code page.
#pragma once
#include <string_view>

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool HasUtf8Mark(std::string_view text);

// Valid UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) that
// holds at least one multi-byte sequence. Text in a single-byte code page with
// letters above 127 almost never passes; plain ASCII does not either, as it reads
// the same in both.
bool IsUtf8WithMultiByte(std::string_view text);
