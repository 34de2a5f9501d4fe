// Text-to-number conversion and rounding for the palette's settings and
// coordinates. Rounding is always to the nearest integer, halves to even.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value);

// A decimal number ("12", "-3", "2.5", " 4 ", "1e3") rounded to an integer, halves
// to even. Empty if the text is not a number or its integer part exceeds any
// range the palette uses.
std::optional<int64_t> RoundedDecimal(std::string_view text);

// The text as a 32-bit signed integer; empty when it is not a number or out of range.
std::optional<int32_t> TextToLong(std::string_view text);

// First to a 32-bit integer, then to 0..255; empty when either step fails.
std::optional<uint8_t> TextToByte(std::string_view text);
