#include <gtest/gtest.h>

#include <string>

#include "commands.h"
#include "layouts.h"

namespace {

// Each entry sends its command and one carriage return; only the section entry
// depends on the layout: the icon-button layout sends the add-on's other command.
TEST(CommandText, OnlyTheSectionEntryDependsOnTheLayout) {
  const size_t land = *CommandIndexForItem("mnuLAND"), section = *CommandIndexForItem("mnuSECTION");
  for (int layout = 1; layout <= kLayoutCount; ++layout) {
    EXPECT_EQ(CommandText(layout, land), "_Landscape\r") << "Form" << layout;
    EXPECT_EQ(CommandText(layout, section), layout == 2 ? "_Section\r" : "_Cross\r") << "Form" << layout;
  }
}

}  // namespace
