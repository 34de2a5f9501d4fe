// Text in a code page, read letter by letter. In the double-byte code pages of
// Japanese (932), Simplified Chinese (936), Korean (949) and Traditional Chinese
// (950) Windows one letter can take two bytes, and the second can be the code of
// "\", "[" or an ASCII letter (ソ is 83 5C, ー is 81 5B): no separator, bracket or
// match may start on it, and it is never lowered. Single-byte code pages have no
// such bytes, and neither has UTF-8 (65001), where no byte of a multi-byte letter
// is ASCII. The code page is a parameter so that every one is tested anywhere.
#pragma once
#include <array>
#include <string>
#include <string_view>

constexpr unsigned kCodePageUtf8 = 65001;

// The system's ANSI code page: GetACP() on Windows, 1252 in the Linux build.
unsigned AnsiCodePage();

bool IsLeadByte(unsigned codePage, unsigned char byte);

// A lead byte starts a two-byte letter when a possible second byte follows it
// (0x40 and above in every double-byte code page); otherwise it stands alone, so a
// stray lead byte never swallows a line end, a quote or "=".
inline bool IsSecondByte(unsigned char byte) { return byte >= 0x40; }

// The length of the letter at `at` (1 or 2).
inline size_t LetterLength(unsigned codePage, std::string_view text, size_t at) {
  return IsLeadByte(codePage, static_cast<unsigned char>(text[at])) && at + 1 < text.size() &&
                 IsSecondByte(static_cast<unsigned char>(text[at + 1]))
             ? 2
             : 1;
}

// Whether a letter starts at `at`, not the second byte of a two-byte letter.
// `known`, a position no later than `at` where a letter is known to start, bounds
// the look back; it is moved up to `at` or past it, so that a scan that asks in
// order looks at each byte a bounded number of times.
bool IsLetterStart(unsigned codePage, std::string_view text, size_t at, size_t& known);
inline bool IsLetterStart(unsigned codePage, std::string_view text, size_t at) {
  size_t known = 0;
  return IsLetterStart(codePage, text, at, known);
}

// The first ASCII `c` at or after `from` that is a letter of its own; npos when none.
size_t FindLetter(unsigned codePage, std::string_view text, char c, size_t from = 0);
// The last such `c`; npos when none.
size_t FindLastLetter(unsigned codePage, std::string_view text, char c);
// `text` with every letter `from` (ASCII) written as `to`.
std::string ReplaceLetter(unsigned codePage, std::string_view text, char from, std::string_view to);

// The lower case of each single-byte letter: on Windows the system's rules for
// its ANSI code page (Greek and accented letters too), else ASCII. Platform code.
using LowerTable = std::array<unsigned char, 256>;
const LowerTable& LowerTableFor(unsigned codePage);

// A lower-case copy of the same length: each single-byte letter lowered by
// LowerTableFor, two-byte letters kept as they are.
std::string LowerCopy(std::string_view text, unsigned codePage);
