#include "commands.h"

#include <array>
#include <string_view>

#include "layouts.h"

namespace {

constexpr auto kCommands = std::to_array<CommandEntry>({
    {100, "mnuIO", "mnuIXYZ", "&Import XYZ Points", "_ImportXYZ"},
    {101, "mnuIO", "mnuEXYZ", "&Export XYZ Points", "_ExportXYZ"},
    {102, "mnuIO", "mnuEPOL", "&Export Polar Points", "_ExportPolar"},
    {103, "mnuMODELING", "mnuRP", "&Raise Points", "_RaisePoints"},
    {104, "mnuMODELING", "mnuLAND", "&Produce Landscape", "_Landscape"},
    {105, "mnuMODELING", "mnuREFORM", "&Reform 3DFaces", "_ReformFaces"},
    {106, "mnuMODELING", "mnuCONTOUR", "&Draw Contour Lines", "_Contour"},
    // Layout 2, the icon buttons, runs the add-on's other section command.
    {107, "mnuMODELING", "mnuSECTION", "&Draw Section", "_Cross", 2, "_Section"},
    {108, "mnuMODELING", "mnuSOLID", "&3DFaces to Solid", "_Solidify"},
    {109, "mnuDRAW", "mnuGRID", "&Draw Grid", "_DrawGrid"},
    {110, "mnuDRAW", "mnuAREA", "&Area Calculations", "_CalcArea"},
    {111, "mnuDRAW", "mnuSCALE", "&Scale By Axes", "_ScaleByAxes"},
    {112, "mnuDRAW", "mnuRASTER", "&Scale Raster Image", "_ScaleImage"},
    {113, "mnuDRAW", "mnuLEVEL", "&Level Entities", "_Level"},
    {114, "mnuDRAW", "mnuSUM", "&Sum Line Lengths", "_ADDL"},
    {115, "mnuDRAW", "mnuROUND", "&Round Text", "_RoundTxt"},
    {116, "mnuDRAW", "mnuADD", "&Add To Text", "_AddTxt"},
    {117, "mnuHHELP", "mnuHELP", "&Help", "_VeskH"},
    {118, "mnuHHELP", "mnuADDMENU", "&Load Vesk Menu", "_VeskM"},
    {119, "mnuHHELP", "mnuABOUT", "&About Vesk", "_Vesk"},
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
static_assert(kCommands.size() == kCommandCount, "kCommandCount counts the rows of the command table");

// A menu id is a WM_COMMAND's low word, one per entry; another command is
// sent on a layout that exists.
constexpr bool IdsAndLayoutsHold() {
  for (size_t i = 0; i < kCommands.size(); ++i) {
    const CommandEntry& entry = kCommands[i];
    if (entry.id < 1 || entry.id > 0xFFFF) return false;
    for (size_t j = 0; j < i; ++j)
      if (kCommands[j].id == entry.id) return false;
    if ((entry.otherLayout != 0) != (entry.otherCommand != nullptr)) return false;
    if (entry.otherLayout < 0 || entry.otherLayout > kLayoutCount) return false;
  }
  return true;
}
static_assert(IdsAndLayoutsHold(), "every entry has an id of its own, and another command only with its layout");

// Two escapes end whatever runs in AutoCAD first, as its own buttons' ^C^C does:
// a command can be two prompts deep (an option, a transparent command).
constexpr const char* kCancel = "\x1b\x1b";

}  // namespace

std::span<const CommandEntry> CommandTable() { return kCommands; }
std::span<const MenuDef> MenuTree() { return kMenus; }

int CommandId(size_t index) { return kCommands.at(index).id; }

std::optional<size_t> CommandIndexForId(int id) {
  for (size_t i = 0; i < kCommands.size(); ++i)
    if (kCommands[i].id == id) return i;
  return std::nullopt;
}

std::optional<size_t> CommandIndexForItem(const std::string& item) {
  for (size_t i = 0; i < kCommands.size(); ++i)
    if (item == kCommands[i].item) return i;
  return std::nullopt;
}

std::string CommandText(int layout, size_t index) {
  const CommandEntry& entry = kCommands.at(index);
  const bool other = entry.otherLayout != 0 && layout == entry.otherLayout;
  return kCancel + std::string(other ? entry.otherCommand : entry.command) + "\r";
}
