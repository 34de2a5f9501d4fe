#include "layouts.h"

namespace {

constexpr LayoutDef kLayouts[4] = {
    {1, "Form1", 1695, 1680},
    {2, "Form2", 1920, 1605},
    {3, "Form3", 2595, 960},
    {4, "Form4", 1920, 735},
};

}  // namespace

// The text-button layout ignores 0 and negative coordinates; the others only 0.
bool LayoutDef::appliesSaved(int32_t coordinate) const { return number == 1 ? coordinate > 0 : coordinate != 0; }

const LayoutDef& GetLayout(int number) { return kLayouts[(number >= 1 && number <= 4 ? number : 4) - 1]; }

int LayoutForNumber(uint8_t formNumber) { return formNumber >= 1 && formNumber <= 3 ? formNumber : 4; }

int NextLayout(int number) { return number % 4 + 1; }
