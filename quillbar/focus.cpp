#include "focus.h"

#include <algorithm>

FocusOrderList FocusOrder(const LayoutDef& layout) {
  FocusOrderList order{};
  // The tables list controls in stacking order, which is not the Tab order.
  for (size_t stop = 0; stop < kFocusTable.size(); ++stop)
    for (const ControlDef& c : layout.controls)
      if (c.role == kFocusTable[stop].role && c.menu == kFocusTable[stop].menu) order[stop] = &c;
  return order;
}

const ControlDef* AccessibleChild(const LayoutDef& layout, int child) {
  if (child < 1 || child > kAccessibleChildren) return nullptr;
  if (child == kAccessibleChildren) return FindControl(layout, ControlRole::Title);
  return FocusOrder(layout)[static_cast<size_t>(child - 1)];
}

int AccessibleChildOf(const LayoutDef& layout, const ControlDef* control) {
  for (int child = 1; control && child <= kAccessibleChildren; ++child)
    if (AccessibleChild(layout, child) == control) return child;
  return 0;
}

int MoveFocus(int stop, FocusMove move) {
  switch (move) {
    case FocusMove::Next: return (stop + 1) % kFocusStops;
    case FocusMove::Previous: return (stop + kFocusStops - 1) % kFocusStops;
    case FocusMove::First: return 0;
    case FocusMove::Last: return kFocusStops - 1;
  }
  return stop;
}

int FocusAfterSwitch(const LayoutDef& from, int stop, const LayoutDef& to) {
  const ControlDef* was = FocusOrder(from)[static_cast<size_t>(std::clamp(stop, 0, kFocusStops - 1))];
  const FocusOrderList now = FocusOrder(to);
  for (int i = 0; was && i < kFocusStops; ++i)
    if (now[static_cast<size_t>(i)] && now[static_cast<size_t>(i)]->role == was->role &&
        now[static_cast<size_t>(i)]->menu == was->menu)
      return i;
  return 0;
}

std::string AccessibleName(const ControlDef& control) {
  std::string name;
  if (control.role == ControlRole::Title) name = kPaletteTitle;
  else if (control.role == ControlRole::Command && control.text) name = control.text;
  else if (control.tooltip) name = control.tooltip;
  const size_t first = name.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : name.substr(first);
}
