#include <windows.h>

#include <algorithm>

#include "letter_case.h"

std::string LowerCopy(std::string_view text) {
  std::string lower(text);
  // CharLowerBuffA follows the ANSI code page and never changes the length.
  size_t done = 0;
  while (done < lower.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(lower.size() - done, 1u << 30));
    CharLowerBuffA(lower.data() + done, chunk);
    done += chunk;
  }
  return lower;
}
