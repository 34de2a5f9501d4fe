#include "palette.h"

#include <string>

#include "palette_settings.h"
#include "state.h"
#include "twips.h"

namespace {

// Where a layout opens: the saved corner on each axis whose coordinate passes
// the layout's test, elsewhere the layout's designed position, centred on the
// primary screen.
TwipPoint LoadPosition(const LayoutDef& def, ScreenTwips screen, int32_t left, int32_t top) {
  return {def.appliesSaved(left) ? left : RoundToTwips((screen.width - def.clientWidth) / 2),
          def.appliesSaved(top) ? top : RoundToTwips((screen.height - def.clientHeight) / 2)};
}

// Nothing holds the mouse any more, and no title drag goes on.
void Release() {
  PaletteState& s = State();
  s.heldLayout = 0;
  s.heldControl = nullptr;
  s.titleGrabbed = false;
}

}  // namespace

void Form_Load(const PaletteWindowOps& w, int layout) {
  const LayoutDef& def = GetLayout(layout);
  PaletteState& s = State();
  w.setCaption(layout, "");
  if (FindControl(def, ControlRole::Title)->kind == ControlKind::Label) w.setTitleText(layout, kPaletteTitle);
  // The window is made without a place; this is where it is put, once.
  const TwipPoint at = LoadPosition(def, w.screenSize(), s.paletteLeft, s.paletteTop);
  w.moveWindow(layout, at.x, at.y);
  s.currentLayout = static_cast<uint8_t>(layout);
  w.makeTopmost(layout);
}

void Title_MouseDown(int, int16_t button, float x, float y) {
  if (button != kLeftButton) return;
  PaletteState& s = State();
  s.grabX = RoundToTwips(x);
  s.grabY = RoundToTwips(y);
  s.titleGrabbed = true;
}

void Title_MouseMove(const PaletteWindowOps& w, int layout, int16_t buttons, float x, float y) {
  PaletteState& s = State();
  if (!(buttons & kLeftButton) || !s.titleGrabbed) return;
  TwipPoint at = w.windowPosition(layout);
  int32_t newLeft = RoundToTwips(static_cast<double>(at.x) + static_cast<double>(x) - s.grabX);
  int32_t newTop = RoundToTwips(static_cast<double>(at.y) + static_cast<double>(y) - s.grabY);
  w.moveWindow(layout, newLeft, newTop);
  TwipPoint now = w.windowPosition(layout);
  s.paletteLeft = now.x;
  s.paletteTop = now.y;
}

void lblMin_Click(const PaletteWindowOps& w, int layout) {
  PaletteState& s = State();
  int next = NextLayout(layout);
  s.currentLayout = static_cast<uint8_t>(next);
  SaveWhereAllowed(s.iniPath, s.userIniPath, s.onUserFile,
                   [&](const std::string& ini, const FileOps& files) { SaveFormNumber(ini, next, files); });
  w.openLayout(next);
  w.closeLayout(layout);
}

void lblX_Click(const PaletteWindowOps& w, int layout) {
  PaletteState& s = State();
  s.currentLayout = static_cast<uint8_t>(layout);
  SaveWhereAllowed(s.iniPath, s.userIniPath, s.onUserFile, [&](const std::string& ini, const FileOps& files) {
    SavePalettePlace(ini, layout, s.paletteLeft, s.paletteTop, files);
  });
  for (int other = 1; other <= kLayoutCount; ++other)
    if (other != layout) w.closeLayout(other);
  w.closeLayout(layout);
}

void CommandButton_MouseDown(const PaletteWindowOps& w, int layout, const ControlDef& button, int16_t pressed) {
  if (pressed != kLeftButton) return;
  w.popupMenu(layout, button.menu);
}

void PaletteMouseDown(const PaletteWindowOps& w, int layout, int16_t button, double x, double y) {
  PaletteState& s = State();
  if (s.heldLayout != layout) Release();
  const ControlDef* c = s.heldControl ? s.heldControl : HitTest(GetLayout(layout), x, y);
  if (!c) return;
  s.heldLayout = layout;
  s.heldControl = c;
  switch (c->role) {
    case ControlRole::Title:
      Title_MouseDown(layout, button, static_cast<float>(x - c->rect.left), static_cast<float>(y - c->rect.top));
      break;
    case ControlRole::Command:
      CommandButton_MouseDown(w, layout, *c, button);
      // The menu's own loop took the release; the button no longer holds the mouse.
      if (button == kLeftButton) Release();
      break;
    default:
      break;  // lblX and lblMin act on the click, at the release
  }
}

void PaletteMouseMove(const PaletteWindowOps& w, int layout, int16_t buttons, double x, double y) {
  const PaletteState& s = State();
  const ControlDef* c = s.heldLayout == layout && s.heldControl ? s.heldControl : HitTest(GetLayout(layout), x, y);
  if (c && c->role == ControlRole::Title)
    Title_MouseMove(w, layout, buttons, static_cast<float>(x - c->rect.left),
                    static_cast<float>(y - c->rect.top));
}

void PaletteMouseUp(const PaletteWindowOps& w, int layout, int16_t button, int16_t stillHeld, double x, double y) {
  const PaletteState& s = State();
  if (s.heldLayout != layout || !s.heldControl) return;
  const ControlDef* c = s.heldControl;
  if (stillHeld == 0) Release();
  // A click is a left press and release on the same control.
  if (button != kLeftButton || HitTest(GetLayout(layout), x, y) != c) return;
  if (c->role == ControlRole::Close) {
    Release();
    lblX_Click(w, layout);
  } else if (c->role == ControlRole::Switch) {
    Release();
    lblMin_Click(w, layout);
  }
}

void PaletteMouseLost(int layout) {
  const int holder = State().heldLayout;
  if (holder == layout || holder == 0) Release();
}

bool PaletteHoldsMouse(int layout) {
  const PaletteState& s = State();
  return s.heldLayout == layout && s.heldControl != nullptr;
}
