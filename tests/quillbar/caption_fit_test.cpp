#include <gtest/gtest.h>

#include <cstring>

#include "caption_fit.h"

namespace {

// A face whose every character is `perCharacter` tenths of the em height wide
// and whose line is `lineHeight` tenths of it high.
MeasureText Face(int perCharacter, int lineHeight = 12) {
  return [=](const char* text, int em) {
    return TextExtent{static_cast<int>(std::strlen(text)) * em * perCharacter / 10, em * lineHeight / 10};
  };
}

TEST(CaptionFit, AWideFaceStepsDownUntilTheLongestCaptionOfThatFontFits) {
  const auto wide = Face(6);
  // " Import/Export Points" (21 characters) in Label1's 158 pixels at 144 dpi:
  // 16 * 21 * 0.6 = 201 is too wide, 12 gives 151.
  EXPECT_EQ(FittingFontHeight(GetLayout(1), FontId::Default, 144, wide), 12);
  EXPECT_EQ(FittingFontHeight(GetLayout(1), FontId::Symbol, 144, wide), 20) << "X and / are short";
  // Form4's only default-font caption is the title, which fits at full size.
  EXPECT_EQ(FittingFontHeight(GetLayout(4), FontId::Default, 144, wide), 16);
  // Too tall: 11 * 1.6 makes 17 pixels, 10 * 1.6 = 16 is the
  // first that fits the 16 visible pixels of Label4 (cut off by the window's bottom).
  EXPECT_EQ(FittingFontHeight(GetLayout(1), FontId::Default, 96, Face(3, 16)), 10);
  EXPECT_EQ(FittingFontHeight(GetLayout(1), FontId::Default, 96, Face(300)), 1) << "nothing fits";
  // Text that runs up to the edge looks cut off: a left-aligned caption ends
  // 2 pixels short of it (156 of Label1's 158 pixels).
  const MeasureText flush = [](const char* text, int em) {
    return TextExtent{std::strlen(text) > 20 ? 142 + em : 10, em};
  };
  EXPECT_EQ(FittingFontHeight(GetLayout(1), FontId::Default, 144, flush), 14);
}

TEST(CaptionFit, ACentredCaptionMustFitTheVisiblePartOfACutOffControl) {
  // On Form2, lblX runs 15 twips past the window: 17 pixels wide, 16 of them seen.
  // A 17-pixel "X" would fit the whole control, but not the part on screen.
  const MeasureText x = [](const char*, int em) { return TextExtent{em + 4, em}; };
  EXPECT_EQ(FittingFontHeight(GetLayout(2), FontId::Symbol, 96, x), 12);
  EXPECT_EQ(FittingFontHeight(GetLayout(1), FontId::Symbol, 96, x), 13) << "Form1's lblX lies inside";
}

}  // namespace
