#include "letters.h"

unsigned AnsiCodePage() { return 1252; }

const LowerTable& LowerTableFor(unsigned) {
  static const LowerTable ascii = [] {
    LowerTable t;
    for (unsigned b = 0; b < 256; ++b) t[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
    return t;
  }();
  return ascii;
}
