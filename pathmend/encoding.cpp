#include "encoding.h"

#include <cstdint>
#include <cstring>

bool HasUtf8Mark(std::string_view text) { return text.substr(0, kUtf8Mark.size()) == kUtf8Mark; }

bool IsUtf8WithMultiByte(std::string_view text) {
  bool multiByte = false;
  for (size_t i = 0; i < text.size();) {
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
    // Most of a .lsp file is ASCII: eight such bytes are passed over at a time.
    if (i + 8 <= text.size()) {
      uint64_t eight;
      std::memcpy(&eight, text.data() + i, 8);
      if ((eight & 0x8080808080808080u) == 0) {
        i += 8;
        continue;
      }
    }
    const unsigned lead = byte(i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t length;
    unsigned min, max;  // the range the second byte may take, which rules out overlong forms and surrogates
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, min = 0x80, max = 0xBF;
    else if (lead == 0xE0) length = 3, min = 0xA0, max = 0xBF;
    else if (lead == 0xED) length = 3, min = 0x80, max = 0x9F;
    else if (lead >= 0xE1 && lead <= 0xEF) length = 3, min = 0x80, max = 0xBF;
    else if (lead == 0xF0) length = 4, min = 0x90, max = 0xBF;
    else if (lead >= 0xF1 && lead <= 0xF3) length = 4, min = 0x80, max = 0xBF;
    else if (lead == 0xF4) length = 4, min = 0x80, max = 0x8F;
    else return false;
    if (i + length > text.size() || byte(i + 1) < min || byte(i + 1) > max) return false;
    for (size_t k = 2; k < length; ++k)
      if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return false;
    multiByte = true;
    i += length;
  }
  return multiByte;
}
