#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "commands.h"

namespace {

struct Row {
  const char* menu;
  const char* item;
  const char* caption;
  const char* command;
};

// The palette's commands as the add-on names them, written out independently of
// the program's table.
const Row kExpected[] = {
    {"mnuIO", "mnuIXYZ", "&Import XYZ Points", "_ImportXYZ"},
    {"mnuIO", "mnuEXYZ", "&Export XYZ Points", "_ExportXYZ"},
    {"mnuIO", "mnuEPOL", "&Export Polar Points", "_ExportPolar"},
    {"mnuMODELING", "mnuRP", "&Raise Points", "_RaisePoints"},
    {"mnuMODELING", "mnuLAND", "&Produce Landscape", "_Landscape"},
    {"mnuMODELING", "mnuREFORM", "&Reform 3DFaces", "_ReformFaces"},
    {"mnuMODELING", "mnuCONTOUR", "&Draw Contour Lines", "_Contour"},
    {"mnuMODELING", "mnuSECTION", "&Draw Section", nullptr},  // layout-dependent
    {"mnuMODELING", "mnuSOLID", "&3DFaces to Solid", "_Solidify"},
    {"mnuDRAW", "mnuGRID", "&Draw Grid", "_DrawGrid"},
    {"mnuDRAW", "mnuAREA", "&Area Calculations", "_CalcArea"},
    {"mnuDRAW", "mnuSCALE", "&Scale By Axes", "_ScaleByAxes"},
    {"mnuDRAW", "mnuRASTER", "&Scale Raster Image", "_ScaleImage"},
    {"mnuDRAW", "mnuLEVEL", "&Level Entities", "_Level"},
    {"mnuDRAW", "mnuSUM", "&Sum Line Lengths", "_ADDL"},
    {"mnuDRAW", "mnuROUND", "&Round Text", "_RoundTxt"},
    {"mnuDRAW", "mnuADD", "&Add To Text", "_AddTxt"},
    {"mnuHHELP", "mnuHELP", "&Help", "_VeskH"},
    {"mnuHHELP", "mnuADDMENU", "&Load Vesk Menu", "_VeskM"},
    {"mnuHHELP", "mnuABOUT", "&About Vesk", "_Vesk"},
};

TEST(CommandTable, EveryLayoutAndItemSendsItsCommandAndOneCarriageReturn) {
  ASSERT_EQ(CommandTable().size(), std::size(kExpected));
  for (size_t i = 0; i < std::size(kExpected); ++i) {
    const Row& row = kExpected[i];
    const CommandEntry& entry = CommandTable()[i];
    EXPECT_STREQ(entry.menu, row.menu);
    EXPECT_STREQ(entry.item, row.item);
    EXPECT_STREQ(entry.caption, row.caption);
    for (int layout = 1; layout <= 4; ++layout) {
      const std::string name = row.command ? row.command : (layout == 2 ? "_Section" : "_Cross");
      EXPECT_EQ(CommandText(layout, i), name + "\r") << row.item << " on Form" << layout;
    }
  }
}

TEST(MenuTree, FourMenusInOrderCoverTheTable) {
  const char* names[] = {"mnuIO", "mnuMODELING", "mnuDRAW", "mnuHHELP"};
  const char* captions[] = {"&Input / Output", "&Modeling", "&Drawing Commands", "&Help"};
  ASSERT_EQ(MenuTree().size(), 4u);
  size_t next = 0;
  for (size_t m = 0; m < 4; ++m) {
    const MenuDef& menu = MenuTree()[m];
    EXPECT_STREQ(menu.name, names[m]);
    EXPECT_STREQ(menu.caption, captions[m]);
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
