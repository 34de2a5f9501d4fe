#include "text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "encoding.h"
#include "fileio.h"
#include "letters.h"
#include "platform.h"

namespace {

// One spelling of a path, sought in any letter case from left to right.
struct Spelling {
  std::string lower;        // the spelling in lower case
  std::string replacement;  // the new path in the same spelling
  size_t anchor;            // a byte of `lower` that has no other letter case (":", ".", a separator); npos if none
  size_t known = 0;         // IsLetterStart's bound for this spelling's candidates, which come in order
};

// Where `s` next occurs at or after `from`, on a letter; npos when nowhere. A
// candidate is found by its anchor byte (memchr), then compared letter by letter
// against the lower-case spelling: single-byte letters through the code page's
// lower case, two-byte letters exactly.
size_t NextOccurrence(std::string_view text, Spelling& s, unsigned codePage, const LowerTable& lower, size_t from) {
  const size_t length = s.lower.size();
  const auto matches = [&](size_t p) {
    if (p + length > text.size() || !IsLetterStart(codePage, text, p, s.known)) return false;
    for (size_t i = 0; i < length;) {
      const size_t letter = LetterLength(codePage, text, p + i);
      if (letter == 2) {
        if (i + 2 > length || text.compare(p + i, 2, s.lower, i, 2) != 0) return false;
      } else if (lower[static_cast<unsigned char>(text[p + i])] != static_cast<unsigned char>(s.lower[i])) {
        return false;
      }
      i += letter;
    }
    return true;
  };
  if (s.anchor == std::string_view::npos) {
    for (size_t p = from; p + length <= text.size(); ++p)
      if (matches(p)) return p;
    return std::string_view::npos;
  }
  for (size_t a = text.find(s.lower[s.anchor], from + s.anchor); a != std::string_view::npos;
       a = text.find(s.lower[s.anchor], a + 1))
    if (matches(a - s.anchor)) return a - s.anchor;
  return std::string_view::npos;
}

// The path with "/" for each "\", and with each "\" doubled: the two ways an
// AutoLISP string names a file.
std::array<std::string, 2> Spellings(std::string_view path, unsigned codePage) {
  return {ReplaceLetter(codePage, path, '\\', "/"), ReplaceLetter(codePage, path, '\\', "\\\\")};
}

std::array<Spelling, 2> SpellingsToFind(std::string_view oldPath, std::string_view newPath, unsigned codePage) {
  const auto olds = Spellings(oldPath, codePage), news = Spellings(newPath, codePage);
  std::array<Spelling, 2> spellings;
  for (size_t i = 0; i < 2; ++i) {
    Spelling& s = spellings[i];
    s.lower = LowerCopy(olds[i], codePage);
    s.replacement = news[i];
    s.anchor = FindLetter(codePage, s.lower, ':');
    if (s.anchor == std::string::npos) s.anchor = FindLastLetter(codePage, s.lower, '.');
    if (s.anchor == std::string::npos) s.anchor = FindLetter(codePage, s.lower, i == 0 ? '/' : '\\');
  }
  return spellings;
}

}  // namespace

std::string ReplacePath(std::string_view text, std::string_view oldPath, std::string_view newPath, unsigned codePage,
                        size_t* count) {
  size_t ignored = 0;
  size_t& replaced = count ? *count : ignored;
  replaced = 0;
  if (oldPath.empty()) return std::string(text);
  std::array<Spelling, 2> spellings = SpellingsToFind(oldPath, newPath, codePage);
  const LowerTable& lower = LowerTableFor(codePage);
  // Every occurrence first, left to right and each after the last one's end, so
  // that the result is built in one allocation of its exact size.
  std::vector<std::pair<size_t, const Spelling*>> found;
  std::array<size_t, 2> next{};
  for (size_t i = 0; i < 2; ++i) next[i] = NextOccurrence(text, spellings[i], codePage, lower, 0);
  size_t size = text.size();
  for (;;) {
    const size_t i = next[1] < next[0] ? 1 : 0;  // the "/" spelling where both start at once
    if (next[i] == std::string_view::npos) break;
    const size_t at = next[i], end = at + spellings[i].lower.size();
    found.emplace_back(at, &spellings[i]);
    size += spellings[i].replacement.size() - spellings[i].lower.size();
    for (size_t k = 0; k < 2; ++k)
      if (next[k] < end) next[k] = NextOccurrence(text, spellings[k], codePage, lower, end);
  }
  replaced = found.size();
  std::string out;
  out.reserve(size);
  size_t copied = 0;
  for (const auto& [at, spelling] : found) {
    out.append(text, copied, at - copied);
    out.append(spelling->replacement);
    copied = at + spelling->lower.size();
  }
  out.append(text, copied);
  return out;
}

size_t CountPath(std::string_view text, std::string_view path, unsigned codePage) {
  size_t count = 0;
  ReplacePath(text, path, path, codePage, &count);
  return count;
}

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
// What may stand right before and right after a whole file name.
bool OpensName(char c) { return c == '/' || c == '\\' || c == '"' || c == '(' || IsBlankOrControl(c); }
// "!" starts a macro's name after its project's (Vesk.dvb!Main.Start); "\"" ends a
// path quoted inside a string.
bool ClosesName(std::string_view text, size_t end) {
  if (end == text.size()) return true;
  const char c = text[end];
  return c == '"' || c == ')' || c == '!' || IsBlankOrControl(c) ||
         (c == '\\' && end + 1 < text.size() && text[end + 1] == '"');
}
bool IsSeparator(char c) { return c == '/' || c == '\\'; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Whether a path can begin at `p` of a string that starts at `stringStart`: at the
// string's start, or after a character that no path holds before a drive or a
// network prefix (not a letter, digit, separator, ":" or "."; bytes beyond ASCII
// may be letters). So the \\ of "C:\\Apps\\Vesk.dvb" is no network prefix.
bool PathCanStartAt(unsigned codePage, std::string_view text, size_t p, size_t stringStart) {
  if (p == stringStart) return true;
  size_t known = stringStart;
  if (!IsLetterStart(codePage, text, p - 1, known)) return false;  // after a two-byte letter
  if (!IsLetterStart(codePage, text, p, known)) return false;
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
  size_t stringStart = 0;  // just after the opening quote of the string we are in, or its last escaped quote
  size_t tokenStart = 0;   // just after the last line end, blank, bracket, ";" or closing quote

  void AdvanceTo(size_t to) {
    while (pos < to) {
      size_t step = LetterLength(codePage, text, pos);
      if (step == 1) Take(text[pos], step);  // a two-byte letter is no quote, escape or blank
      pos += step;
    }
  }

  void Take(char c, size_t& step) {
    if (IsLineEnd(c)) {
      inString = false;
      tokenStart = pos + 1;
    } else if (inString) {
      if (c == '\\' && pos + 1 < text.size() && !IsLineEnd(text[pos + 1])) {
        // An escaped letter, "\"" or "\\", never ends the string; "\"" starts a part quoted in it.
        if (text[pos + 1] == '"') stringStart = pos + 2;
        step += LetterLength(codePage, text, pos + 1);
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
  // The name in any letter case, as after a move.
  Spelling name{LowerCopy(fileName, codePage), "", std::string::npos};
  name.anchor = FindLastLetter(codePage, name.lower, '.');
  const LowerTable& lower = LowerTableFor(codePage);
  size_t copied = 0, knownBefore = 0;
  for (size_t found = NextOccurrence(text, name, codePage, lower, 0); found != std::string_view::npos;
       found = NextOccurrence(text, name, codePage, lower, found + 1)) {
    if (found < copied) continue;
    const size_t end = found + fileName.size();
    // The letter before must be a single byte to be a separator, quote or blank.
    const bool afterByte = found > 0 && IsLetterStart(codePage, text, found - 1, knownBefore);
    const bool whole = (found == 0 || (afterByte && OpensName(text[found - 1]))) && ClosesName(text, end);
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

using Change = std::function<std::string(std::string_view text, const std::string& from, const std::string& to,
                                         unsigned codePage, size_t& count)>;

// `from` and `to` come in the ANSI code page. A file in UTF-8 (with the mark, or
// valid UTF-8 with a character beyond ASCII) is searched and written in UTF-8,
// its mark kept in front; any other file stays in the ANSI code page.
ReplaceOutcome RewriteFile(const PlatformOps& platform, const std::string& path, const std::string& from,
                           const std::string& to, const Change& change) {
  if (platform.files.probe(path) != FileKind::Plain) return ReplaceOutcome::FileMissing;
  size_t count = 0;
  const std::string text = ReadFileContent(path, platform.files);
  const bool marked = HasUtf8Mark(text);
  std::string changed;
  if (marked || IsUtf8WithMultiByte(text)) {
    // A name right after the mark still starts the text.
    const std::string_view body = std::string_view(text).substr(marked ? kUtf8Mark.size() : 0);
    changed = change(body, platform.ansiToUtf8(from), platform.ansiToUtf8(to), kCodePageUtf8, count);
    if (marked) changed.insert(0, kUtf8Mark);
  } else {
    changed = change(text, from, to, platform.codePage, count);
  }
  if (count == 0) return ReplaceOutcome::NothingFound;
  // Never written in place: the new content replaces the file in one step or not at all.
  ReplaceFileContent(path, changed, platform.files);
  return ReplaceOutcome::Replaced;
}

}  // namespace

ReplaceOutcome ReplaceTextInFile(const PlatformOps& platform, const std::string& path, const std::string& oldPath,
                                 const std::string& newPath) {
  bool newThere = false;
  const ReplaceOutcome outcome = RewriteFile(
      platform, path, oldPath, newPath,
      [&newThere](std::string_view text, const std::string& from, const std::string& to, unsigned codePage,
                  size_t& replaced) {
        std::string changed = ReplacePath(text, from, to, codePage, &replaced);
        newThere = replaced == 0 && CountPath(text, to, codePage) > 0;
        return changed;
      });
  return outcome == ReplaceOutcome::NothingFound && newThere ? ReplaceOutcome::AlreadyNew : outcome;
}

ReplaceOutcome ReplaceFileNameInFile(const PlatformOps& platform, const std::string& path,
                                     const std::string& fileName, const std::string& newPath) {
  return RewriteFile(
      platform, path, fileName, newPath,
      [](std::string_view text, const std::string& from, const std::string& to, unsigned codePage, size_t& replaced) {
        return ReplaceFileName(text, from, to, codePage, &replaced);
      });
}
