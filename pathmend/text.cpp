#include "text.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "encoding.h"
#include "fileio.h"
#include "letters.h"
#include "platform.h"

std::string ReplaceText(std::string text, std::string_view search, std::string_view replacement, unsigned codePage,
                        size_t* count) {
  size_t ignored = 0;
  size_t& replaced = count ? *count : ignored;
  replaced = 0;
  if (search.empty()) return text;
  const std::string_view original(text);
  // The next occurrence that starts on a letter; the search text is whole letters,
  // so it then ends on one too. `from` always starts a letter, and the look back
  // never goes before it: the bytes there may already be overwritten.
  size_t known = 0;
  const auto next = [&](size_t from) {
    known = std::max(known, from);
    size_t found = original.find(search, from);
    while (found != std::string_view::npos && !IsLetterStart(codePage, original, found, known))
      found = original.find(search, found + 1);
    return found;
  };
  if (replacement.size() <= search.size()) {
    // The result is never longer: it is built in the same buffer, behind the scan.
    // Each write ends at or before the end of the occurrence just found, and the
    // scan reads only after it.
    char* const out = text.data();
    size_t written = 0, copied = 0;
    for (size_t found = next(0); found != std::string_view::npos; found = next(copied)) {
      std::memmove(out + written, out + copied, found - copied);
      written += found - copied;
      std::memcpy(out + written, replacement.data(), replacement.size());
      written += replacement.size();
      copied = found + search.size();
      ++replaced;
    }
    std::memmove(out + written, out + copied, text.size() - copied);
    text.resize(written + text.size() - copied);
    return text;
  }
  // Longer: the exact size first, so the result is built in one allocation.
  for (size_t found = next(0); found != std::string_view::npos; found = next(found + search.size())) ++replaced;
  if (replaced == 0) return text;
  std::string out;
  out.reserve(text.size() + replaced * (replacement.size() - search.size()));
  size_t copied = 0;
  known = 0;
  for (size_t found = next(0); found != std::string_view::npos; found = next(copied)) {
    out.append(original, copied, found - copied);
    out.append(replacement);
    copied = found + search.size();
  }
  out.append(original, copied);
  return out;
}

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
// What may stand right before and right after a whole file name.
bool OpensName(char c) { return c == '/' || c == '\\' || c == '"' || c == '(' || IsBlankOrControl(c); }
bool ClosesName(char c) { return c == '"' || c == ')' || IsBlankOrControl(c); }
bool IsSeparator(char c) { return c == '/' || c == '\\'; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Whether a path can begin at `p` of a string that starts at `stringStart`: at the
// string's start, or after a character that no path holds before a drive or a
// network prefix (not a letter, digit, separator, ":" or "."; bytes beyond ASCII
// may be letters). So the \\ of "C:\\Apps\\Vesk.dvb" is no network prefix.
bool PathCanStartAt(unsigned codePage, std::string_view text, size_t p, size_t stringStart) {
  if (p == stringStart) return true;
  size_t known = stringStart;
  if (!IsLetterStart(codePage, text, p, known)) return false;
  if (!IsLetterStart(codePage, text, p - 1, known)) return false;  // after a two-byte letter
  const char c = text[p - 1];
  const bool pathChar = static_cast<unsigned char>(c) >= 0x80 || IsAsciiLetter(c) || (c >= '0' && c <= '9') ||
                        IsSeparator(c) || c == ':' || c == '.';
  return !pathChar;
}

// The start of the last drive (X:/, X:\) or network (//, \\) prefix that
// lies whole in [from, to) of a string starting at `stringStart`; npos when none does.
size_t LastPathPrefix(unsigned codePage, std::string_view text, size_t from, size_t to, size_t stringStart) {
  for (size_t p = to; p-- > from;) {
    if (!PathCanStartAt(codePage, text, p, stringStart)) continue;
    const bool drive = p + 3 <= to && IsAsciiLetter(text[p]) && text[p + 1] == ':' && IsSeparator(text[p + 2]);
    const bool network = p + 2 <= to && IsSeparator(text[p]) && text[p + 1] == text[p];
    if (drive || network) return p;
  }
  return std::string_view::npos;
}

// Follows the strings of an AutoLISP text far enough to know where the path that
// ends at a given position begins. A stray quote only confuses its own line.
struct PathStarts {
  std::string_view text;
  unsigned codePage;
  size_t pos = 0;
  bool inString = false;
  size_t stringStart = 0;  // just after the opening quote of the string we are in
  size_t tokenStart = 0;   // just after the last line end, blank, bracket, ";" or closing quote

  void AdvanceTo(size_t to) {
    for (; pos < to; pos += LetterLength(codePage, text, pos)) {
      if (LetterLength(codePage, text, pos) == 2) continue;  // a two-byte letter is no quote, escape or blank
      const char c = text[pos];
      if (IsLineEnd(c)) {
        inString = false;
        tokenStart = pos + 1;
      } else if (inString) {
        if (c == '\\' && pos + 1 < text.size() && !IsLineEnd(text[pos + 1])) {
          pos += LetterLength(codePage, text, pos + 1);  // an escaped letter, "\"" or "\\", never ends the string
          continue;
        } else if (c == '"') {
          inString = false;
          tokenStart = pos + 1;
        }
      } else if (c == '"') {
        inString = true;
        stringStart = pos + 1;
      } else if (c == ' ' || c == '\t' || c == '(' || c == ')' || c == ';') {
        tokenStart = pos + 1;
      }
    }
  }
};

}  // namespace

std::string ReplaceFileName(std::string_view text, std::string_view fileName, std::string_view newPath,
                            unsigned codePage, size_t* count) {
  size_t ignored = 0;
  size_t& replaced = count ? *count : ignored;
  replaced = 0;
  if (fileName.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  PathStarts lexer{text, codePage};
  size_t copied = 0, known = 0, knownBefore = 0;
  for (size_t found = text.find(fileName); found != std::string_view::npos; found = text.find(fileName, found + 1)) {
    if (found < copied || !IsLetterStart(codePage, text, found, known)) continue;
    const size_t end = found + fileName.size();
    // The letter before must be a single byte to be a separator, quote or blank.
    const bool afterByte = found > 0 && IsLetterStart(codePage, text, found - 1, knownBefore);
    const bool whole = (found == 0 || (afterByte && OpensName(text[found - 1]))) &&
                       (end == text.size() || ClosesName(text[end]));
    if (!whole) continue;
    lexer.AdvanceTo(found);
    size_t start = found;
    if (afterByte && IsSeparator(text[found - 1])) {
      const size_t from = std::max(copied, lexer.inString ? lexer.stringStart : lexer.tokenStart);
      const size_t prefix =
          lexer.inString ? LastPathPrefix(codePage, text, from, found, lexer.stringStart) : std::string_view::npos;
      start = prefix != std::string_view::npos ? prefix : from;
    }
    out.append(text, copied, start - copied);
    out.append(newPath);
    copied = end;
    ++replaced;
  }
  out.append(text, copied);
  return out;
}

namespace {

using Change = std::function<std::string(std::string text, const std::string& from, const std::string& to,
                                         unsigned codePage, size_t& count)>;

// `from` and `to` come in the ANSI code page. A file in UTF-8 (with the mark, or
// valid UTF-8 with a character beyond ASCII) is searched and written in UTF-8,
// its mark kept in front; any other file stays in the ANSI code page.
ReplaceOutcome RewriteFile(const PlatformOps& platform, const std::string& path, const std::string& from,
                           const std::string& to, const Change& change) {
  if (platform.files.probe(path) != FileKind::Plain) {
    platform.messageBox("File not Found: " + path, "ReplaceTextInFile", kBoxOk | kIconStop);
    return ReplaceOutcome::FileMissing;
  }
  std::string text = platform.files.readAll(path);
  const bool marked = HasUtf8Mark(text);
  std::string changed;
  size_t count = 0;
  if (marked || IsUtf8WithMultiByte(text)) {
    if (marked) text.erase(0, kUtf8Mark.size());  // a name right after the mark still starts the text
    changed = change(std::move(text), platform.ansiToUtf8(from), platform.ansiToUtf8(to), kCodePageUtf8, count);
    if (marked) changed.insert(0, kUtf8Mark);
  } else {
    changed = change(std::move(text), from, to, platform.codePage, count);
  }
  if (count == 0) return ReplaceOutcome::NothingFound;
  // Never written in place: the new content replaces the file in one step or not at all.
  ReplaceFileContent(path, changed, platform.files);
  return ReplaceOutcome::Replaced;
}

}  // namespace

ReplaceOutcome ReplaceTextInFile(const PlatformOps& platform, const std::string& path, const std::string& search,
                                 const std::string& replacement) {
  return RewriteFile(platform, path, search, replacement,
                     [](std::string text, const std::string& from, const std::string& to, unsigned codePage, size_t& count) {
                       return ReplaceText(std::move(text), from, to, codePage, &count);
                     });
}

ReplaceOutcome ReplaceFileNameInFile(const PlatformOps& platform, const std::string& path,
                                     const std::string& fileName, const std::string& newPath) {
  return RewriteFile(platform, path, fileName, newPath,
                     [](std::string text, const std::string& from, const std::string& to, unsigned codePage, size_t& count) {
                       return ReplaceFileName(text, from, to, codePage, &count);
                     });
}
