// The four palette layouts as data: Form1 (text buttons), Form2 (icon buttons),
// Form3 (horizontal icons), Form4 (minimal buttons). All geometry is in twips.
#pragma once
#include <cstdint>

struct TwipRect {
  int32_t left, top, width, height;
};

struct LayoutDef {
  int number;             // 1 to 4, the value of formNumber
  const char* formName;   // "Form1" ...
  int32_t clientWidth;    // client area, twips
  int32_t clientHeight;
  bool appliesSaved(int32_t coordinate) const;  // Form_Load's test for a saved coordinate
};

// The layout with this number (1 to 4).
const LayoutDef& GetLayout(int number);

// The layout that start-up opens for a stored formNumber: 1 to 3 name their own
// layout, every other value (0, 4 to 255) the minimal buttons.
int LayoutForNumber(uint8_t formNumber);

// The layout that the switch control opens: 1 -> 2 -> 3 -> 4 -> 1.
int NextLayout(int number);
