// The in-file replacement on random bytes: ReplaceText must give what a plain
// position-by-position reference gives, and the whole-name replacement must never
// crash, read out of bounds or touch text that does not hold the name.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "text.h"

namespace {

// Left to right, one position at a time: at each position either the search text
// starts there (replace it and jump past it) or the byte is copied.
std::string Reference(const std::string& text, const std::string& search, const std::string& replacement) {
  if (search.empty()) return text;
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, search.size(), search) == 0) {
      out += replacement;
      i += search.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  // Short search texts over a small alphabet make occurrences and overlaps common.
  const std::string search = in.ConsumeRandomLengthString(6);
  const std::string replacement = in.ConsumeRandomLengthString(12);
  const std::string text = in.ConsumeRemainingBytesAsString();

  size_t count = 0;
  Check(ReplaceText(text, search, replacement, 1252, &count) == Reference(text, search, replacement));
  // The count decides whether the file is written at all.
  Check((count == 0) == (search.empty() || text.find(search) == std::string::npos));

  const std::string replaced = ReplaceFileName(text, search, replacement, 1252, &count);
  if (search.empty() || text.find(search) == std::string::npos) Check(replaced == text && count == 0);
  if (count == 0) Check(replaced == text);
  return 0;
}
