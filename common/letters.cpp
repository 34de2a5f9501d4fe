#include "letters.h"

bool IsLeadByte(unsigned codePage, unsigned char byte) {
  switch (codePage) {
    case 932: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950: return byte >= 0x81 && byte <= 0xFE;
    default: return false;
  }
}

bool IsLetterStart(unsigned codePage, std::string_view text, size_t at, size_t& known) {
  if (known > at) known = 0;
  if (at == 0 || at >= text.size() || !IsSecondByte(static_cast<unsigned char>(text[at]))) {
    known = at;
    return true;
  }
  // The bytes right before `at` that may lead a letter pair up from the last one
  // that may not (or from `known`): `at` is a second byte when their count is odd.
  size_t p = at;
  while (p > known && IsLeadByte(codePage, static_cast<unsigned char>(text[p - 1]))) --p;
  const bool start = (at - p) % 2 == 0;
  known = start ? at : at + 1;
  return start;
}

size_t FindLetter(unsigned codePage, std::string_view text, char c, size_t from) {
  size_t known = from;
  for (size_t p = text.find(c, from); p != std::string_view::npos; p = text.find(c, p + 1))
    if (IsLetterStart(codePage, text, p, known)) return p;
  return std::string_view::npos;
}

size_t FindLastLetter(unsigned codePage, std::string_view text, char c) {
  size_t last = std::string_view::npos;
  for (size_t p = FindLetter(codePage, text, c); p != std::string_view::npos; p = FindLetter(codePage, text, c, p + 1))
    last = p;
  return last;
}

std::string ReplaceLetter(unsigned codePage, std::string_view text, char from, std::string_view to) {
  std::string out;
  out.reserve(text.size());
  size_t copied = 0;
  for (size_t p = FindLetter(codePage, text, from); p != std::string_view::npos;
       p = FindLetter(codePage, text, from, p + 1)) {
    out.append(text, copied, p - copied);
    out.append(to);
    copied = p + 1;
  }
  out.append(text, copied);
  return out;
}

std::string LowerCopy(std::string_view text, unsigned codePage) {
  const LowerTable& lower = LowerTableFor(codePage);
  std::string out(text);
  for (size_t i = 0; i < out.size(); i += LetterLength(codePage, text, i))
    out[i] = static_cast<char>(lower[static_cast<unsigned char>(out[i])]);
  return out;
}
