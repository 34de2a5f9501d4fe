#include <gtest/gtest.h>

#include <vector>

#include "letters.h"

namespace {

// ソ 83 5C, ー 81 5B and ア 83 41 in 932; 表-like pairs ending in 5C or 5B in
// 936 and 950; 949's second bytes include ASCII letters. A lone lead byte before
// a line end, a quote or the text's end stands alone.
struct LetterCase {
  const char* name;
  unsigned codePage;
  std::string text;
  std::vector<size_t> separators;  // where FindLetter finds "\"
  std::string lower;
};

class LetterCases : public testing::TestWithParam<LetterCase> {};

TEST_P(LetterCases, SecondBytesAreNeverSeparatorsOrLowered) {
  const LetterCase& c = GetParam();
  std::vector<size_t> found;
  for (size_t p = FindLetter(c.codePage, c.text, '\\'); p != std::string::npos; p = FindLetter(c.codePage, c.text, '\\', p + 1))
    found.push_back(p);
  EXPECT_EQ(found, c.separators);
  EXPECT_EQ(FindLastLetter(c.codePage, c.text, '\\'), found.empty() ? std::string::npos : found.back());
  EXPECT_EQ(LowerCopy(c.text, c.codePage), c.lower);
  std::string slashed = c.text;
  for (size_t p : found) slashed[p] = '/';
  EXPECT_EQ(ReplaceLetter(c.codePage, c.text, '\\', "/"), slashed);
}

INSTANTIATE_TEST_SUITE_P(
    Letters, LetterCases,
    testing::Values(
        LetterCase{"Japanese", 932, "D:\\\x83\x5C\x83\x74\\A\x83\x41\x81\x5B\\", {2, 7, 13}, "d:\\\x83\x5C\x83\x74\\a\x83\x41\x81\x5B\\"},
        LetterCase{"JapaneseRunOfLeadBytes", 932, "\x81\x81\x81\x5C\\", {4}, "\x81\x81\x81\x5C\\"},
        LetterCase{"JapaneseLoneLeadBytes", 932, "\x83\r\\\x83", {2}, "\x83\r\\\x83"},
        LetterCase{"JapaneseHalfWidthKanaIsOneByte", 932, "\xB1\\B", {1}, "\xB1\\b"},
        LetterCase{"SimplifiedChinese", 936, "C:\\\x95\x5C\\\xB1\xED", {2, 5}, "c:\\\x95\x5C\\\xB1\xED"},
        LetterCase{"Korean", 949, "\xB0\x41Z\\\x81\x5A", {3}, "\xB0\x41z\\\x81\x5A"},
        LetterCase{"TraditionalChinese", 950, "C:\\\xA5\x5C\\\xB3\x5C", {2, 5}, "c:\\\xA5\x5C\\\xB3\x5C"},
        LetterCase{"WesternBytesAreLetters", 1252, "C:\\\x83\x5C\xB0", {2, 4}, "c:\\\x83\x5C\xB0"},
        LetterCase{"Utf8", kCodePageUtf8, "C:\\\xE3\x82\xBD\\V", {2, 6}, "c:\\\xE3\x82\xBD\\v"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
