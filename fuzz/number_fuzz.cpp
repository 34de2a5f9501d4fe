// Random text as a settings number: the conversion must never crash, and every
// number it accepts must lie within half a unit of what the C library reads
// from the same text (the tie-breaking is checked by the unit tests).
#include <cmath>
#include <cstdlib>
#include <string>

#include "numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto value = RoundedDecimal(text);
  if (!value) return 0;
  // Accepted text is blanks, a sign, digits with at most one point and an
  // optional exponent: strtold must read all of it but the trailing blanks.
  const std::string trimmed = text.substr(0, text.find_last_not_of(" \t") + 1);
  char* end = nullptr;
  const long double reference = std::strtold(trimmed.c_str(), &end);
  if (end != trimmed.c_str() + trimmed.size()) std::abort();
  // Whole parts up to 10^15 are read; anything larger is refused before rounding.
  if (std::isinf(reference) || std::fabs(reference) >= 1e15L + 1) std::abort();
  const long double diff = std::fabs(reference - static_cast<long double>(*value));
  if (diff > 0.5L + 1e-9L * std::fabs(reference)) std::abort();
  return 0;
}
