#include <gtest/gtest.h>

#include <string>

#include "focus.h"

namespace {

// The tables run in stacking order; Tab, the screen reader's children and the
// names must not follow it.
TEST(Focus, EveryLayoutOrdersButtonsOneToFourThenSwitchThenCloseThenTitle) {
  for (int n = 1; n <= kLayoutCount; ++n) {
    const LayoutDef& layout = GetLayout(n);
    const char* button = n == 1 ? "Label" : "Image";
    std::string order;
    for (int child = 1; child <= kAccessibleChildren; ++child)
      order += AccessibleChild(layout, child)->name + std::string(" ");
    EXPECT_EQ(order, std::string(button) + "1 " + button + "2 " + button + "3 " + button + "4 lblMin lblX " +
                         (n == 1 || n == 4 ? "lblTitle " : "imgTitle "))
        << layout.formName;
    // A switch keeps the focus on "/", so Enter there steps through the layouts.
    EXPECT_EQ(FocusAfterSwitch(layout, 4, GetLayout(NextLayout(n))), 4) << layout.formName;
  }
}

TEST(Focus, NamesAreWhatASightedUserReads) {
  EXPECT_EQ(AccessibleName(*FindControl(GetLayout(1), "Label1")), "Import/Export Points");
  EXPECT_EQ(AccessibleName(*FindControl(GetLayout(3), "Image1")), "Import/Export XYZ File");
  EXPECT_EQ(AccessibleName(*FindControl(GetLayout(2), "lblX")), "Close Menu");
  EXPECT_EQ(AccessibleName(*FindControl(GetLayout(2), "imgTitle")), "Vesk Palette");
}

TEST(Focus, TabAndArrowsWrapHomeAndEndGoToTheEnds) {
  EXPECT_EQ(MoveFocus(5, FocusMove::Next), 0);
  EXPECT_EQ(MoveFocus(0, FocusMove::Previous), 5);
  EXPECT_EQ(MoveFocus(2, FocusMove::First), 0);
  EXPECT_EQ(MoveFocus(2, FocusMove::Last), 5);
}

}  // namespace
