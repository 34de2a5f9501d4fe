// The in-file replacement on random bytes: ReplacePath must give what a plain
// letter-by-letter reference gives, in a single-byte and a double-byte code page,
// and the whole-name replacement must never crash, read out of bounds or touch
// text that does not hold the name.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "letters.h"
#include "text.h"

namespace {

// Left to right, one letter at a time: either a spelling of the path starts there
// in the lower-case copy ("/" first, then doubled "\"; replace it and jump past
// it) or the letter is copied.
std::string Reference(const std::string& text, const std::string& oldPath, const std::string& newPath, unsigned cp) {
  if (oldPath.empty()) return text;
  const std::string lower = LowerCopy(text, cp);
  const std::string olds[] = {LowerCopy(ReplaceLetter(cp, oldPath, '\\', "/"), cp),
                              LowerCopy(ReplaceLetter(cp, oldPath, '\\', "\\\\"), cp)};
  const std::string news[] = {ReplaceLetter(cp, newPath, '\\', "/"), ReplaceLetter(cp, newPath, '\\', "\\\\")};
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    for (int k = 0; k < 2 && !replaced; ++k) {
      if (lower.compare(i, olds[k].size(), olds[k]) == 0) {
        out += news[k];
        i += olds[k].size();
        replaced = true;
      }
    }
    if (replaced) continue;
    const size_t letter = LetterLength(cp, text, i);
    out.append(text, i, letter);
    i += letter;
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
  const unsigned codePage = in.ConsumeBool() ? 932 : 1252;
  const std::string search = in.ConsumeRandomLengthString(6);
  const std::string replacement = in.ConsumeRandomLengthString(12);
  const std::string text = in.ConsumeRemainingBytesAsString();
  // A path is whole letters: it does not end in half of one.
  if (!search.empty() && IsLeadByte(codePage, static_cast<unsigned char>(search.back())) &&
      IsLetterStart(codePage, search, search.size() - 1))
    return 0;

  size_t count = 0;
  const std::string replacedPath = ReplacePath(text, search, replacement, codePage, &count);
  Check(replacedPath == Reference(text, search, replacement, codePage));
  if (count == 0) Check(replacedPath == text);  // the count decides whether the file is written at all

  const std::string replaced = ReplaceFileName(text, search, replacement, codePage, &count);
  // The name matches in any letter case, as ReplacePath compares.
  if (search.empty() || LowerCopy(text, codePage).find(LowerCopy(search, codePage)) == std::string::npos)
    Check(replaced == text && count == 0);
  if (count == 0) Check(replaced == text);
  return 0;
}
