// The palette's commands: one table in menu order that is at the same time
// the menu tree of every layout, and the text each entry sends to the drawing.
#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string>

struct CommandEntry {
  const char* menu;     // pop-up menu that carries the entry, e.g. "mnuIO"
  const char* item;     // "mnuIXYZ"
  const char* caption;  // "&Import XYZ Points"
  const char* command;  // "_ImportXYZ"; the one layout-dependent row is resolved by CommandText
};

struct MenuDef {
  const char* name;     // "mnuIO"
  size_t first;         // index of its first entry in CommandTable()
  size_t count;
};

// The four top-level menus, in the order of MenuId: input/output, modelling,
// drawing, help.
inline constexpr size_t kMenuCount = 4;

// The 20 entries in menu order.
std::span<const CommandEntry> CommandTable();
// The top-level menus, each with the run of entries that names it, as counted
// from the command table when the program is built.
std::span<const MenuDef> MenuTree();

// Menu command ids: stable per entry, so window code builds its menus from the
// table and routes WM_COMMAND back to it.
inline constexpr int kFirstCommandId = 100;
int CommandId(size_t index);
std::optional<size_t> CommandIndexForId(int id);
// The entry with this item name ("mnuLAND"), if any.
std::optional<size_t> CommandIndexForItem(const std::string& item);

// The text that entry `index` sends on layout 1 to 4: two escapes (ending any
// command that runs), its command name and one CR.
std::string CommandText(int layout, size_t index);
