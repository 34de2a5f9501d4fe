// The palette's commands: one table in menu order that is at the same time
// the menu tree of every layout, and the text each entry sends to the drawing.
#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string>

struct CommandEntry {
  int id;               // menu command id, the entry's own: a new row takes the next free one
  const char* menu;     // pop-up menu that carries the entry, e.g. "mnuIO"
  const char* item;     // "mnuIXYZ"
  const char* caption;  // "&Import XYZ Points"
  const char* command;  // "_ImportXYZ"
  // A layout that sends another command under the same caption (0: none), and that command.
  int otherLayout = 0;
  const char* otherCommand = nullptr;
};

struct MenuDef {
  const char* name;     // "mnuIO"
  size_t first;         // index of its first entry in CommandTable()
  size_t count;
};

// The four top-level menus, in the order of MenuId: input/output, modelling,
// drawing, help.
inline constexpr size_t kMenuCount = 4;
// How many entries the menus hold; the table is checked against it when built.
inline constexpr size_t kCommandCount = 20;

// The kCommandCount entries in menu order.
std::span<const CommandEntry> CommandTable();
// The top-level menus, each with the run of entries that names it, as counted
// from the command table when the program is built.
std::span<const MenuDef> MenuTree();

// Menu command ids: each entry carries its own, so window code builds its menus
// from the table and routes WM_COMMAND back to it, and a row added anywhere
// leaves the other entries' ids as they were.
int CommandId(size_t index);
std::optional<size_t> CommandIndexForId(int id);
// The entry with this item name ("mnuLAND"), if any.
std::optional<size_t> CommandIndexForItem(const std::string& item);

// The text that entry `index` sends on layout 1 to 4: two escapes (ending any
// command that runs), its command name for that layout and one CR.
std::string CommandText(int layout, size_t index);
