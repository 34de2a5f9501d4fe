// What the palette's layout windows do at run time: placing a layout when it
// opens, dragging by the title, switching to the next layout, closing, and
// opening the command buttons' pop-up menus.
//
// The handlers work on State() and reach the windows only through the
// PaletteWindowOps they are handed, so they run unchanged in the unit tests. The
// Win32 window code turns its messages into the Palette* mouse calls below, in
// client twips.
#pragma once
#include <cstdint>
#include <functional>

#include "layouts.h"
#include "twips.h"

// Mouse buttons as the handlers see them: one button for a press, a mask for a movement.
inline constexpr int16_t kLeftButton = 1;
inline constexpr int16_t kRightButton = 2;
inline constexpr int16_t kMiddleButton = 4;

// The window operations the handlers need; every layout is named by its number.
struct PaletteWindowOps {
  std::function<void(int layout, const char* caption)> setCaption;
  std::function<void(int layout, const char* text)> setTitleText;  // lblTitle's caption
  std::function<TwipPoint(int layout)> windowPosition;             // screen twips of the window's corner
  std::function<void(int layout, int32_t left, int32_t top)> moveWindow;  // size unchanged
  std::function<void(int layout)> makeTopmost;
  std::function<ScreenTwips()> screenSize;  // the primary screen, which a layout's designed position centres on
  // Creates the layout's window, which runs Form_Load, and shows it, not modal.
  std::function<void(int layout)> openLayout;
  // Hides and destroys the layout's window; nothing when it is not open.
  std::function<void(int layout)> closeLayout;
  // Shows the menu as a pop-up at the pointer; returns once the menu is dismissed.
  // A chosen entry reaches the command dispatch through the window code.
  std::function<void(int layout, MenuId menu)> popupMenu;
};

// --- Handlers ---------------------------------------------------------------

// The layout is opening, before it is shown: empty caption, the title text on
// the text layouts, the window placed (the saved position on each axis that
// passes the layout's test, the designed one elsewhere), currentLayout, topmost.
void Form_Load(const PaletteWindowOps& w, int layout);

// lblTitle_MouseDown / imgTitle_MouseDown and _MouseMove; x, y in twips from the
// title control's corner.
void Title_MouseDown(int layout, int16_t button, float x, float y);
void Title_MouseMove(const PaletteWindowOps& w, int layout, int16_t buttons, float x, float y);

// The switch: formNumber becomes the next layout, which opens where this one stands.
void lblMin_Click(const PaletteWindowOps& w, int layout);

// The close control: formNumber, startX and startY are saved, every layout closes.
void lblX_Click(const PaletteWindowOps& w, int layout);

// Label1..4_MouseDown / Image1..4_MouseDown: a left press opens the button's menu.
void CommandButton_MouseDown(const PaletteWindowOps& w, int layout, const ControlDef& button, int16_t pressed);

// --- Mouse routing ----------------------------------------------------------
// The controls are windowless: a press goes to the top-most control at the point,
// which then holds the mouse until every button is up; moves go to the holding
// control (or to the one under the pointer), with coordinates relative to it.
// x, y are client twips of the layout's window.

void PaletteMouseDown(const PaletteWindowOps& w, int layout, int16_t button, double x, double y);
void PaletteMouseMove(const PaletteWindowOps& w, int layout, int16_t buttons, double x, double y);
// `stillHeld` is the mask of the buttons that remain down after this release.
void PaletteMouseUp(const PaletteWindowOps& w, int layout, int16_t button, int16_t stillHeld, double x, double y);
// The window lost the mouse (capture taken away, window closing): nothing holds it any more.
void PaletteMouseLost(int layout);
// True while a control of this layout holds the mouse (the window keeps it captured).
bool PaletteHoldsMouse(int layout);
