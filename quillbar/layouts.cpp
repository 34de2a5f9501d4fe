#include "layouts.h"

#include <algorithm>
#include <cstring>

namespace {

using K = ControlKind;
using R = ControlRole;

constexpr ControlDef TitleLabel(TwipRect r) {
  return {.name = "lblTitle", .kind = K::Label, .role = R::Title, .rect = r, .tooltip = "Click to move"};
}

constexpr ControlDef TitlePicture(TwipRect r, bool stretched) {
  return {.name = "imgTitle", .kind = K::Picture, .role = R::Title, .rect = r, .tooltip = "Click to move",
          .picture = PictureId::Banner, .stretched = stretched};
}

// lblX and lblMin carry a frame where they lie over the banner, so they stay
// visible against the picture.
constexpr ControlDef CloseLabel(TwipRect r, bool framed) {
  return {.name = "lblX", .kind = K::Label, .role = R::Close, .rect = r, .text = "X", .tooltip = "Close Menu",
          .font = FontId::Symbol, .centred = true, .framed = framed};
}

constexpr ControlDef SwitchLabel(TwipRect r, const char* tooltip, bool framed) {
  return {.name = "lblMin", .kind = K::Label, .role = R::Switch, .rect = r, .text = "/", .tooltip = tooltip,
          .font = FontId::Symbol, .centred = true, .framed = framed};
}

constexpr ControlDef TextButton(const char* name, MenuId menu, TwipRect r, const char* text,
                                const char* tooltip, ColourId colour = ColourId::ButtonText) {
  return {.name = name, .kind = K::Label, .role = R::Command, .menu = menu, .rect = r, .text = text,
          .tooltip = tooltip, .colour = colour};
}

constexpr ControlDef IconButton(const char* name, MenuId menu, TwipRect r, PictureId picture,
                                const char* tooltip) {
  return {.name = name, .kind = K::Picture, .role = R::Command, .menu = menu, .rect = r, .tooltip = tooltip,
          .picture = picture};
}

constexpr ControlDef Line(TwipRect r) {
  return {.name = "Line1", .kind = K::Line, .role = R::Line, .rect = r, .colour = ColourId::WindowText};
}

// The icon buttons share their texts on the three icon layouts.
constexpr const char* kTipIO = "Import/Export XYZ File";
constexpr const char* kTipModeling = "Modeling Commands";
constexpr const char* kTipDraw = "Drawing Commands";
constexpr const char* kTipHelp = "Help";

// Each table runs from the top-most control to the bottom-most.
constexpr ControlDef kForm1[] = {
    TextButton("Label4", MenuId::Help, {0, 1440, 1575, 255}, " Help", "Help"),
    TextButton("Label3", MenuId::Draw, {0, 1080, 1575, 255}, " Drawing Commands", "Drawing Commands"),
    Line({0, 270, 1785, 0}),
    SwitchLabel({1200, 0, 255, 255}, "Switch to icon buttons", false),
    CloseLabel({1440, 0, 255, 255}, false),
    TextButton("Label2", MenuId::Modeling, {0, 720, 1575, 255}, " Modeling Commands", "Modeling Commands"),
    TextButton("Label1", MenuId::IO, {0, 360, 1575, 259}, " Import/Export Points",
               "Import/Export points from/to text files", ColourId::WindowText),
    TitleLabel({0, 45, 1695, 255}),
};

constexpr ControlDef kForm2[] = {
    IconButton("Image4", MenuId::Help, {1440, 1125, 480, 480}, PictureId::IconHelp, kTipHelp),
    IconButton("Image3", MenuId::Draw, {960, 1125, 480, 480}, PictureId::IconDraw, kTipDraw),
    IconButton("Image2", MenuId::Modeling, {480, 1125, 480, 480}, PictureId::IconModeling, kTipModeling),
    IconButton("Image1", MenuId::IO, {0, 1125, 480, 480}, PictureId::IconIO, kTipIO),
    CloseLabel({1680, 0, 255, 255}, true),
    SwitchLabel({1440, 0, 255, 255}, "Switch to horizontal icons", true),
    TitlePicture({0, 0, 1920, 1125}, false),
};

constexpr ControlDef kForm3[] = {
    IconButton("Image4", MenuId::Help, {2108, 480, 480, 480}, PictureId::IconHelp, kTipHelp),
    IconButton("Image3", MenuId::Draw, {1628, 480, 480, 480}, PictureId::IconDraw, kTipDraw),
    IconButton("Image2", MenuId::Modeling, {2108, 0, 480, 480}, PictureId::IconModeling, kTipModeling),
    IconButton("Image1", MenuId::IO, {1628, 0, 480, 480}, PictureId::IconIO, kTipIO),
    CloseLabel({1400, 0, 255, 255}, true),
    SwitchLabel({1145, 0, 255, 255}, "Switch to minimal buttons", true),
    TitlePicture({0, 0, 1638, 960}, true),
};

constexpr ControlDef kForm4[] = {
    IconButton("Image4", MenuId::Help, {1440, 250, 480, 480}, PictureId::IconHelp, kTipHelp),
    IconButton("Image3", MenuId::Draw, {960, 250, 480, 480}, PictureId::IconDraw, kTipDraw),
    IconButton("Image2", MenuId::Modeling, {480, 250, 480, 480}, PictureId::IconModeling, kTipModeling),
    IconButton("Image1", MenuId::IO, {0, 250, 480, 480}, PictureId::IconIO, kTipIO),
    CloseLabel({1680, 0, 255, 255}, false),
    SwitchLabel({1440, 0, 255, 255}, "Switch to text buttons", false),
    TitleLabel({0, 10, 1935, 255}),
};

constexpr LayoutDef kLayouts[kLayoutCount] = {
    {.number = 1, .formName = "Form1", .clientWidth = 1695, .clientHeight = 1680, .controls = kForm1},
    {.number = 2, .formName = "Form2", .clientWidth = 1920, .clientHeight = 1605, .controls = kForm2},
    {.number = 3, .formName = "Form3", .clientWidth = 2595, .clientHeight = 960, .controls = kForm3},
    {.number = 4, .formName = "Form4", .clientWidth = 1920, .clientHeight = 735, .controls = kForm4},
};

// A layout left out of the table would be a zero row: refused here, at build time.
constexpr bool Numbered() {
  for (int i = 0; i < kLayoutCount; ++i)
    if (kLayouts[i].number != i + 1 || kLayouts[i].controls.empty()) return false;
  return kFallbackLayout >= 1 && kFallbackLayout <= kLayoutCount;
}
static_assert(Numbered(), "every layout has its row in kLayouts, in number order");

}  // namespace

// The text-button layout ignores 0 and negative coordinates; the others only 0.
bool LayoutDef::appliesSaved(int32_t coordinate) const { return number == 1 ? coordinate > 0 : coordinate != 0; }

const LayoutDef& GetLayout(int number) { return kLayouts[LayoutForNumber(number) - 1]; }

int LayoutForNumber(int formNumber) {
  return formNumber >= 1 && formNumber <= kLayoutCount ? formNumber : kFallbackLayout;
}

int NextLayout(int number) { return number % kLayoutCount + 1; }

TwipRect VisibleRect(const LayoutDef& layout, const ControlDef& control) {
  const TwipRect& r = control.rect;
  int32_t left = std::clamp(r.left, 0, layout.clientWidth);
  int32_t top = std::clamp(r.top, 0, layout.clientHeight);
  int32_t right = std::clamp(r.right(), 0, layout.clientWidth);
  int32_t bottom = std::clamp(r.bottom(), 0, layout.clientHeight);
  return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

const ControlDef* HitTest(const LayoutDef& layout, double x, double y) {
  if (!layout.client().contains(x, y)) return nullptr;
  for (const ControlDef& c : layout.controls)
    if (c.kind != ControlKind::Line && VisibleRect(layout, c).contains(x, y)) return &c;
  return nullptr;
}

const ControlDef* FindControl(const LayoutDef& layout, ControlRole role) {
  for (const ControlDef& c : layout.controls)
    if (c.role == role) return &c;
  return nullptr;
}

const ControlDef* FindControl(const LayoutDef& layout, const char* name) {
  for (const ControlDef& c : layout.controls)
    if (std::strcmp(c.name, name) == 0) return &c;
  return nullptr;
}
