// The four palette layouts as data: Form1 (text buttons), Form2 (icon buttons),
// Form3 (horizontal icons), Form4 (minimal buttons). All geometry is in twips
// (1/1440 inch), measured from the top-left corner of the client area.
//
// The definitions never change at run time. One piece of code draws and
// hit-tests any of them: the Win32 window code paints the controls bottom-most
// first, and HitTest hands a point to the top-most control there.
#pragma once
#include <cstdint>
#include <span>

#include "twips.h"

enum class ControlKind { Label, Picture, Line };

// What a control does; the behaviour module switches on this, never on names.
enum class ControlRole { Title, Close, Switch, Command, Line };

enum class CursorId { Arrow, Move };

// Default: "MS Sans Serif" 8.25 pt, the window's font. Symbol: the 9.75 pt face
// of lblX and lblMin (character set 161).
enum class FontId { Default, Symbol };

enum class ColourId { WindowText, ButtonText };

enum class PictureId { None, IconIO, IconModeling, IconDraw, IconHelp, Banner };

// The four hidden top-level menus, shown only as pop-up menus of the command buttons.
enum class MenuId { None = 0, IO = 1, Modeling = 2, Draw = 3, Help = 4 };

struct ControlDef {
  const char* name;     // lblTitle, imgTitle, lblX, lblMin, Label1..4, Image1..4, Line1
  ControlKind kind;
  ControlRole role;
  MenuId menu = MenuId::None;  // command buttons: the menu they open
  TwipRect rect;        // as designed; may reach past the client area (cut off there)
  const char* text = nullptr;     // labels; nullptr for a title whose text is set when the layout opens
  const char* tooltip = nullptr;  // nullptr: no tooltip
  FontId font = FontId::Default;
  ColourId colour = ColourId::ButtonText;  // text colour of a label, pen colour of a line
  PictureId picture = PictureId::None;
  bool centred = false;    // text centred horizontally (else left-aligned from the left edge)
  bool framed = false;     // a one-pixel frame: lblX and lblMin where they lie over the banner
  bool stretched = false;  // the picture is scaled to the rectangle (else natural size)
};

struct LayoutDef {
  int number;             // 1 to 4, the value of formNumber
  const char* formName;   // "Form1" ...
  int32_t clientWidth;    // client area, twips
  int32_t clientHeight;
  std::span<const ControlDef> controls;  // stacking order, top-most first
  bool appliesSaved(int32_t coordinate) const;  // Form_Load's test for a saved coordinate
  TwipRect client() const { return {0, 0, clientWidth, clientHeight}; }
};

// How many layouts there are, numbered from 1; every table of layouts and
// every loop over them takes its size from here.
inline constexpr int kLayoutCount = 4;
// The window class of every layout window.
inline constexpr char kLayoutClass[] = "QuillbarLayout";
// The minimal buttons: what a formNumber that names no layout opens.
inline constexpr int kFallbackLayout = 4;

// The drag handle shows the four-way arrow, every other control the default arrow.
inline CursorId CursorOf(const ControlDef& control) {
  return control.role == ControlRole::Title ? CursorId::Move : CursorId::Arrow;
}

// The layout with this number (1 to kLayoutCount; any other: the fallback).
const LayoutDef& GetLayout(int number);

// The layout that start-up opens for a stored formNumber: a layout's own number
// opens it, every other value (0, 5 to 255) the minimal buttons.
int LayoutForNumber(int formNumber);

// The layout that the switch control opens: 1 -> 2 -> 3 -> 4 -> 1.
int NextLayout(int number);

// The control that receives the mouse at (x, y), client twips: the top-most one
// in stacking order whose visible part holds the point. Lines take no input.
// nullptr outside the client area or where no control lies.
const ControlDef* HitTest(const LayoutDef& layout, double x, double y);

// The part of a control that lies inside the client area (width or height 0 when none).
TwipRect VisibleRect(const LayoutDef& layout, const ControlDef& control);

// The layout's control with this role (the first command button for Command), or nullptr.
const ControlDef* FindControl(const LayoutDef& layout, ControlRole role);
const ControlDef* FindControl(const LayoutDef& layout, const char* name);

// The text of lblTitle once the layout has opened (Form1 and Form4).
inline constexpr const char* kPaletteTitle = " Vesk Palette";
