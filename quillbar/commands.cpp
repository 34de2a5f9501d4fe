#include "commands.h"

#include <array>
#include <cstring>
#include <string_view>

namespace {

constexpr auto kCommands = std::to_array<CommandEntry>({
    {"mnuIO", "mnuIXYZ", "&Import XYZ Points", "_ImportXYZ"},
    {"mnuIO", "mnuEXYZ", "&Export XYZ Points", "_ExportXYZ"},
    {"mnuIO", "mnuEPOL", "&Export Polar Points", "_ExportPolar"},
    {"mnuMODELING", "mnuRP", "&Raise Points", "_RaisePoints"},
    {"mnuMODELING", "mnuLAND", "&Produce Landscape", "_Landscape"},
    {"mnuMODELING", "mnuREFORM", "&Reform 3DFaces", "_ReformFaces"},
    {"mnuMODELING", "mnuCONTOUR", "&Draw Contour Lines", "_Contour"},
    {"mnuMODELING", "mnuSECTION", "&Draw Section", "_Cross"},
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
});

// The top-level menus' names; where each one's entries begin and
// how many there are follows from the command table.
constexpr std::array<MenuDef, kMenuCount> kMenuNames = {{
    {"mnuIO", 0, 0},
    {"mnuMODELING", 0, 0},
    {"mnuDRAW", 0, 0},
    {"mnuHHELP", 0, 0},
}};

constexpr std::array<MenuDef, kMenuCount> CountMenus() {
  std::array<MenuDef, kMenuCount> menus = kMenuNames;
  size_t next = 0;
  for (MenuDef& menu : menus) {
    menu.first = next;
    while (next < kCommands.size() && std::string_view(kCommands[next].menu) == menu.name) ++next;
    menu.count = next - menu.first;
  }
  return menus;
}

constexpr std::array<MenuDef, kMenuCount> kMenus = CountMenus();

// Every entry names one of the menus, in their order, and every menu has entries.
constexpr bool EveryEntryInItsMenu() {
  for (const MenuDef& menu : kMenus)
    if (menu.count == 0) return false;
  return kMenus.back().first + kMenus.back().count == kCommands.size();
}
static_assert(EveryEntryInItsMenu(), "the command table runs through the menus in order, each entry naming its own");

// The icon-button layout's section entry runs the add-on's other section command.
constexpr int kSectionLayout = 2;
constexpr const char* kSectionCommand = "_Section";

// Two escapes end whatever runs in AutoCAD first, as its own buttons' ^C^C does:
// a command can be two prompts deep (an option, a transparent command).
constexpr const char* kCancel = "\x1b\x1b";

}  // namespace

std::span<const CommandEntry> CommandTable() { return kCommands; }
std::span<const MenuDef> MenuTree() { return kMenus; }

int CommandId(size_t index) { return kFirstCommandId + static_cast<int>(index); }

std::optional<size_t> CommandIndexForId(int id) {
  if (id < kFirstCommandId || id >= kFirstCommandId + static_cast<int>(kCommands.size())) return std::nullopt;
  return static_cast<size_t>(id - kFirstCommandId);
}

std::optional<size_t> CommandIndexForItem(const std::string& item) {
  for (size_t i = 0; i < kCommands.size(); ++i)
    if (item == kCommands[i].item) return i;
  return std::nullopt;
}

std::string CommandText(int layout, size_t index) {
  const CommandEntry& entry = kCommands.at(index);
  const bool section = std::strcmp(entry.item, "mnuSECTION") == 0 && layout == kSectionLayout;
  return kCancel + std::string(section ? kSectionCommand : entry.command) + "\r";
}
