#include "text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
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

bool IsAsciiWord(std::string_view atom, std::string_view word) {  // `word` in lower case
  if (atom.size() != word.size()) return false;
  for (size_t i = 0; i < atom.size(); ++i)
    if ((IsAsciiLetter(atom[i]) ? (atom[i] | 0x20) : atom[i]) != word[i]) return false;
  return true;
}

// The bytes that are a letter of their own and no quote, escape, bracket, blank,
// ";", "'" or "|": in the double-byte code pages only ASCII ones, as a byte
// beyond ASCII may lead a letter of two.
const std::array<bool, 256>& PlainBytes(unsigned codePage) {
  static const auto make = [](bool doubleByte) {
    std::array<bool, 256> plain{};
    for (unsigned c = '!'; c < 256; ++c) plain[c] = c < 0x80 ? std::strchr("\"\\();'|", int(c)) == nullptr : !doubleByte;
    return plain;
  };
  static const std::array<bool, 256> single = make(false), doubleByte = make(true);
  return IsLeadByte(codePage, 0x81) ? doubleByte : single;  // 81 leads a letter in each of them
}

// Where a string stands in the code: as an argument of (strcat ...) after its
// first, so a piece of a path built when AutoCAD loads the file; as the value of a
// (setq ...); or elsewhere.
enum class StringRole { Other, Joined, SetValue };

// Follows the strings of an AutoLISP text far enough to know where the path that
// ends at a given position begins. A stray quote only confuses its own line. In the
// code outside comments (";" to the line end, ";| ... |;") it also follows the
// lists, so that it knows a string's role.
struct PathStarts {
  std::string_view text;
  unsigned codePage;
  size_t pos = 0;
  bool inString = false;
  size_t stringStart = 0;  // just after the opening quote of the string we are in, or its last escaped quote
  size_t tokenStart = 0;   // just after the last line end, blank, bracket, ";" or closing quote

  enum class Comment { None, Line, Block } comment = Comment::None;
  enum class Head { Unread, Strcat, Setq, Other };
  struct List {
    Head head = Head::Unread;
    size_t arguments = 0;   // read so far after the head
    std::string_view name;  // in a setq, the last symbol to be set
  };
  std::vector<List> lists{};  // the lists open around `pos`, innermost last
  size_t atomStart = std::string_view::npos;  // of the symbol or number being read
  StringRole role = StringRole::Other;        // of the string we are in
  std::string_view roleName{};                // for SetValue, the symbol set
  // When given: each symbol that a strcat takes after its first argument, in lower
  // case, with the place where it last does so.
  std::map<std::string, size_t>* joined = nullptr;

  void AdvanceTo(size_t to) {
    const std::array<bool, 256>& plain = PlainBytes(codePage);
    while (pos < to) {
      size_t step = 1;
      // Most bytes mean nothing to the reading but a symbol's letter; a two-byte
      // letter is no quote, escape, bracket or blank either.
      if (plain[static_cast<unsigned char>(text[pos])] || (step = LetterLength(codePage, text, pos)) == 2) {
        if (atomStart == std::string_view::npos && !inString && comment == Comment::None) atomStart = pos;
      } else {
        Take(text[pos], step);
      }
      pos += step;
    }
  }

  void Take(char c, size_t& step) {
    if (IsLineEnd(c)) {
      inString = false;
      tokenStart = pos + 1;
      if (comment == Comment::Line) comment = Comment::None;
      EndAtom();
    } else if (comment == Comment::Block && c == '|' && pos + 1 < text.size() && text[pos + 1] == ';') {
      comment = Comment::None;
      inString = false;  // a quote in the comment opened no string
      tokenStart = pos + 2;
      step = 2;
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
      role = StringRole::Other;
      if (comment == Comment::None) {
        EndAtom();
        Argument(text.substr(pos, 1));
      }
    } else {
      const bool delimiter = IsBlankOrControl(c) || c == '(' || c == ')' || c == ';' || c == '\'';
      if (c == ' ' || c == '\t' || c == '(' || c == ')' || c == ';') tokenStart = pos + 1;
      if (comment != Comment::None) return;
      if (!delimiter) {
        if (atomStart == std::string_view::npos) atomStart = pos;
        return;
      }
      EndAtom();
      if (c == '(') {
        Argument({});
        lists.emplace_back();
      } else if (c == ')') {
        if (!lists.empty()) lists.pop_back();
      } else if (c == ';') {
        const bool block = pos + 1 < text.size() && text[pos + 1] == '|';
        comment = block ? Comment::Block : Comment::Line;
        if (block) step = 2;  // so that ";|;" does not end where it starts
      }
    }
  }

  void EndAtom() {
    if (atomStart == std::string_view::npos) return;
    const std::string_view atom = text.substr(atomStart, pos - atomStart);
    atomStart = std::string_view::npos;
    Argument(atom);
  }

  // The next element of the innermost list: its head, or an argument. `element`
  // is a symbol or number, a string's opening quote, or empty for a list.
  void Argument(std::string_view element) {
    if (lists.empty()) return;
    List& list = lists.back();
    if (list.head == Head::Unread) {
      const bool atom = !element.empty() && element[0] != '"';
      list.head = atom && IsAsciiWord(element, "strcat") ? Head::Strcat
                  : atom && IsAsciiWord(element, "setq") ? Head::Setq
                                                         : Head::Other;
      if (atom) return;
    }
    const size_t index = list.arguments++;
    const bool string = !element.empty() && element[0] == '"';
    if (list.head == Head::Strcat && index > 0) {
      if (string) role = StringRole::Joined;
      else if (joined && !element.empty()) (*joined)[LowerCopy(element, codePage)] = pos;
    } else if (list.head == Head::Setq) {
      if (index % 2 == 0) list.name = string ? std::string_view() : element;
      else if (string && !list.name.empty()) {
        role = StringRole::SetValue;
        roleName = list.name;
      }
    }
  }
};

}  // namespace

std::string ReplaceFileName(std::string_view text, std::string_view fileName, std::string_view newPath,
                            unsigned codePage, size_t* count, size_t* piecesLeft) {
  size_t ignored = 0, ignoredPieces = 0;
  size_t& replaced = count ? *count : ignored;
  size_t& pieces = piecesLeft ? *piecesLeft : ignoredPieces;
  replaced = pieces = 0;
  if (fileName.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  PathStarts lexer{text, codePage};
  // The name in any letter case, as after a move.
  Spelling name{LowerCopy(fileName, codePage), "", std::string::npos};
  name.anchor = FindLastLetter(codePage, name.lower, '.');
  const LowerTable& lower = LowerTableFor(codePage);
  size_t copied = 0, knownBefore = 0;
  // The symbols that a strcat joins, read ahead once a setq's string needs them.
  std::optional<std::map<std::string, size_t>> joinedLater;
  const auto joinedAtLoad = [&](size_t found) {
    if (lexer.role != StringRole::SetValue) return lexer.role == StringRole::Joined;
    if (!joinedLater) {
      PathStarts ahead = lexer;
      ahead.joined = &joinedLater.emplace();
      ahead.AdvanceTo(text.size());
    }
    const auto symbol = joinedLater->find(LowerCopy(lexer.roleName, codePage));
    return symbol != joinedLater->end() && symbol->second > found;
  };
  for (size_t found = NextOccurrence(text, name, codePage, lower, 0); found != std::string_view::npos;
       found = NextOccurrence(text, name, codePage, lower, found + 1)) {
    if (found < copied) continue;
    const size_t end = found + fileName.size();
    // The letter before must be a single byte to be a separator, quote or blank.
    const bool afterByte = found > 0 && IsLetterStart(codePage, text, found - 1, knownBefore);
    const bool whole = (found == 0 || (afterByte && OpensName(text[found - 1]))) && ClosesName(text, end);
    if (!whole) continue;
    lexer.AdvanceTo(found);
    size_t start = found, prefix = std::string_view::npos;
    if (afterByte && IsSeparator(text[found - 1])) {
      const size_t from = std::max(copied, lexer.inString ? lexer.stringStart : lexer.tokenStart);
      if (lexer.inString) prefix = LastPathPrefix(codePage, text, from, found, lexer.stringStart);
      start = prefix != std::string_view::npos ? prefix : from;
    }
    // Without a drive or network prefix the name is a piece of the path that the
    // file builds when AutoCAD loads it, wherever the folder is: a new path in
    // front would name the folder twice.
    if (lexer.inString && prefix == std::string_view::npos && joinedAtLoad(found)) {
      ++pieces;
      continue;
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
  size_t pieces = 0;
  const ReplaceOutcome outcome = RewriteFile(
      platform, path, fileName, newPath,
      [&pieces](std::string_view text, const std::string& from, const std::string& to, unsigned codePage,
                size_t& replaced) { return ReplaceFileName(text, from, to, codePage, &replaced, &pieces); });
  return outcome == ReplaceOutcome::NothingFound && pieces > 0 ? ReplaceOutcome::OnlyPieces : outcome;
}
