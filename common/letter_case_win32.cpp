#include <windows.h>

#include "letters.h"

unsigned AnsiCodePage() { return GetACP(); }

const LowerTable& LowerTableFor(unsigned codePage) {
  static const LowerTable ascii = [] {
    LowerTable t;
    for (unsigned b = 0; b < 256; ++b) t[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
    return t;
  }();
  // CharLowerBuffA follows the ANSI code page: one byte at a time there, where a
  // byte is a letter; lead bytes stay, and a letter whose lower case would take
  // another length keeps its own.
  static const unsigned ansi = GetACP();
  static const LowerTable system = [] {
    LowerTable t = ascii;
    if (ansi == kCodePageUtf8) return t;
    for (unsigned b = 0x80; b < 256; ++b) {
      if (IsLeadByte(ansi, static_cast<unsigned char>(b))) continue;
      char c = static_cast<char>(b);
      if (CharLowerBuffA(&c, 1) == 1) t[b] = static_cast<unsigned char>(c);
    }
    return t;
  }();
  return codePage == ansi ? system : ascii;
}
