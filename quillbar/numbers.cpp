#include "numbers.h"

#include <cmath>
#include <limits>
#include <string>

double RoundHalfEven(double value) {
  const double down = std::floor(value);
  const double diff = value - down;
  if (diff < 0.5) return down;
  if (diff > 0.5) return down + 1;
  return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Beyond this the value is out of every range the palette converts to, and the
// digit arithmetic below stays far from int64 overflow.
constexpr int64_t kLargest = 1'000'000'000'000'000;

}  // namespace

// Works on the decimal digits themselves, so a tie such as "2.5" is decided
// exactly and not by whatever binary value the text would parse to.
std::optional<int64_t> RoundedDecimal(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  std::string digits;    // every mantissa digit, point removed
  int64_t pointPos = 0;  // digits before the decimal point
  bool seenPoint = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digits += text[i];
      if (!seenPoint) ++pointPos;
    } else if (text[i] == '.' && !seenPoint) {
      seenPoint = true;
    } else {
      break;
    }
  }
  if (digits.empty()) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negExp = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negExp = text[i++] == '-';
    if (i >= text.size() || !IsDigit(text[i])) return std::nullopt;
    int64_t exponent = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
    pointPos += negExp ? -exponent : exponent;
  }
  if (i != text.size()) return std::nullopt;

  // Integer part: digits before the point (zeros when the point lies beyond them).
  int64_t whole = 0;
  for (int64_t k = 0; k < pointPos; ++k) {
    const char d = k < static_cast<int64_t>(digits.size()) ? digits[static_cast<size_t>(k)] : '0';
    whole = whole * 10 + (d - '0');
    if (whole > kLargest) return std::nullopt;
  }
  // Fraction: first digit after the point, and whether anything non-zero follows it.
  char first = '0';
  bool restNonZero = false;
  if (pointPos < 0) {
    restNonZero = digits.find_first_not_of('0') != std::string::npos;
  } else {
    for (size_t k = static_cast<size_t>(pointPos); k < digits.size(); ++k) {
      if (k == static_cast<size_t>(pointPos)) first = digits[k];
      else if (digits[k] != '0') restNonZero = true;
    }
  }
  const bool up = first > '5' || (first == '5' && (restNonZero || whole % 2 == 1));
  if (up) ++whole;
  return negative ? -whole : whole;
}

std::optional<int32_t> TextToLong(std::string_view text) {
  const auto value = RoundedDecimal(text);
  if (!value || *value < std::numeric_limits<int32_t>::min() || *value > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(*value);
}

std::optional<uint8_t> TextToByte(std::string_view text) {
  const auto value = TextToLong(text);
  if (!value || *value < 0 || *value > 255) return std::nullopt;
  return static_cast<uint8_t>(*value);
}
