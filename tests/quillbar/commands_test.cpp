#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "commands.h"

namespace {

// Each entry sends its command and one carriage return; only the section entry
// depends on the layout: the icon-button layout sends the add-on's other command.
TEST(CommandText, OnlyTheSectionEntryDependsOnTheLayout) {
  const size_t land = *CommandIndexForItem("mnuLAND"), section = *CommandIndexForItem("mnuSECTION");
  for (int layout = 1; layout <= 4; ++layout) {
    EXPECT_EQ(CommandText(layout, land), "_Landscape\r") << "Form" << layout;
    EXPECT_EQ(CommandText(layout, section), layout == 2 ? "_Section\r" : "_Cross\r") << "Form" << layout;
  }
}

TEST(MenuTree, FourMenusInOrderCoverTheTable) {
  ASSERT_EQ(MenuTree().size(), 4u);
  size_t next = 0;
  for (size_t m = 0; m < 4; ++m) {
    const MenuDef& menu = MenuTree()[m];
    EXPECT_EQ(menu.first, next);
    for (size_t i = menu.first; i < menu.first + menu.count; ++i) EXPECT_STREQ(CommandTable()[i].menu, menu.name);
    next = menu.first + menu.count;
  }
  EXPECT_EQ(next, CommandTable().size());
}

TEST(CommandIds, AreUniqueAndLeadBackToTheirEntry) {
  std::set<int> ids;
  for (size_t i = 0; i < CommandTable().size(); ++i) {
    ids.insert(CommandId(i));
    EXPECT_EQ(CommandIndexForId(CommandId(i)), i);
    EXPECT_EQ(CommandIndexForItem(CommandTable()[i].item), i);
  }
  EXPECT_EQ(ids.size(), CommandTable().size());
  for (int id : {0, 1, 2, kFirstCommandId - 1, kFirstCommandId + 20, -kFirstCommandId})
    EXPECT_EQ(CommandIndexForId(id), std::nullopt) << id;  // 1 and 2 are IDOK and IDCANCEL
  EXPECT_EQ(CommandIndexForItem("mnuMODELING"), std::nullopt);
}

}  // namespace
