// The palette by keyboard and by screen reader, as data: which controls take the
// keyboard focus and in what order, how the focus keys move it, what a switch
// keeps, and the name a screen reader gives each control.
#pragma once
#include <array>
#include <string>

#include "layouts.h"

// The controls that take the focus, in Tab order: command buttons 1 to 4, "/", "X".
// The number of stops follows from this table.
struct FocusStopDef {
  ControlRole role;
  MenuId menu;  // the command button that opens this menu; None for "/" and "X"
};
inline constexpr std::array kFocusTable = {
    FocusStopDef{ControlRole::Command, MenuId::IO},       FocusStopDef{ControlRole::Command, MenuId::Modeling},
    FocusStopDef{ControlRole::Command, MenuId::Draw},     FocusStopDef{ControlRole::Command, MenuId::Help},
    FocusStopDef{ControlRole::Switch, MenuId::None},      FocusStopDef{ControlRole::Close, MenuId::None},
};
inline constexpr int kFocusStops = static_cast<int>(kFocusTable.size());
using FocusOrderList = std::array<const ControlDef*, kFocusStops>;
FocusOrderList FocusOrder(const LayoutDef& layout);

// The controls a screen reader sees, child 1 first: the focus stops, then the title.
inline constexpr int kAccessibleChildren = kFocusStops + 1;
const ControlDef* AccessibleChild(const LayoutDef& layout, int child);  // 1-based; nullptr outside
int AccessibleChildOf(const LayoutDef& layout, const ControlDef* control);  // 0 when not a child

// Tab / arrows move by one and wrap around; Home and End go to the ends.
enum class FocusMove { Next, Previous, First, Last };
int MoveFocus(int stop, FocusMove move);

// The stop that a layout opened by a switch focuses: the control of the same role
// (and the same command button), or command button 1 where the new layout has none.
int FocusAfterSwitch(const LayoutDef& from, int stop, const LayoutDef& to);

// What a sighted user reads: a text button's caption without its leading blank,
// else the tooltip; the title is the palette's name.
std::string AccessibleName(const ControlDef& control);
