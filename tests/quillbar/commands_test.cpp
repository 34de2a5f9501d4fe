#include <gtest/gtest.h>

#include <string>

#include "commands.h"
#include "layouts.h"

namespace {

// Each entry sends two escapes, its command and one carriage return; only the
// section entry depends on the layout: the icon-button layout sends the add-on's
// other command.
TEST(CommandText, OnlyTheSectionEntryDependsOnTheLayout) {
  const size_t land = *CommandIndexForItem("mnuLAND"), section = *CommandIndexForItem("mnuSECTION");
  for (int layout = 1; layout <= kLayoutCount; ++layout) {
    EXPECT_EQ(CommandText(layout, land), "\x1b\x1b_Landscape\r") << "Form" << layout;
    EXPECT_EQ(CommandText(layout, section), layout == 2 ? "\x1b\x1b_Section\r" : "\x1b\x1b_Cross\r")
        << "Form" << layout;
    // Every entry: the escapes, its name (one word), one CR; nothing else.
    for (size_t i = 0; i < CommandTable().size(); ++i) {
      const std::string text = CommandText(layout, i);
      EXPECT_EQ(text.substr(0, 3), "\x1b\x1b_") << text;
      EXPECT_EQ(text.find_first_of(" \r\n\x1b", 3), text.size() - 1) << text;
      EXPECT_EQ(text.back(), '\r') << text;
    }
  }
}

}  // namespace
