#include "palette_paint.h"

#include "caption_fonts.h"
#include "focus.h"
#include "pictures.h"
#include "twips_rect.h"

namespace {

// A picture at natural size keeps its pixel count at 96 dpi and grows with the dpi.
SIZE PictureSize(const ControlDef& c, int dpi) {
  if (c.stretched) {
    RECT r = PixelRect(c.rect, dpi);
    return {r.right - r.left, r.bottom - r.top};
  }
  const Picture& natural = NaturalPicture(c.picture);
  return {TwipsToPixels(PixelsToTwips(natural.width, 96), dpi), TwipsToPixels(PixelsToTwips(natural.height, 96), dpi)};
}

// The focus rectangle shows only while the keyboard is in use and the window has the focus.
bool FocusRectangle(const PaletteWindow& w, RECT& at) {
  if (!w.keys.cuesShown || GetFocus() != w.hwnd) return false;
  const ControlDef* c = FocusOrder(*w.def)[static_cast<size_t>(w.keys.focus)];
  if (!c) return false;
  at = PixelRect(VisibleRect(*w.def, *c), w.dpi);
  return true;
}

void PaintLabel(HDC dc, const ControlDef& c, const RECT& full, const PaletteWindow& w) {
  const char* text = c.text ? c.text : w.titleText.c_str();
  SelectObject(dc, w.fonts[c.font == FontId::Symbol ? 1 : 0].get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(c.colour == ColourId::WindowText ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
  RECT box = full;
  DrawTextA(dc, text, -1, &box, (c.centred ? DT_CENTER : DT_LEFT) | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  if (c.framed) FrameRect(dc, &full, GetSysColorBrush(COLOR_WINDOWFRAME));
}

void PaintPicture(HDC dc, const ControlDef& c, const RECT& full, int dpi) {
  const SIZE size = PictureSize(c, dpi);
  ScopedMemoryDC source(dc);
  ScopedSelect picture(source.get(), PictureBitmap(c.picture, size.cx, size.cy));
  BitBlt(dc, full.left, full.top, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
}

void PaintLine(HDC dc, const RECT& full, int dpi) {
  ScopedPen pen(CreatePen(PS_SOLID, dpi >= 192 ? dpi / 96 : 1, GetSysColor(COLOR_WINDOWTEXT)));
  ScopedSelect selected(dc, pen.get());
  MoveToEx(dc, full.left, full.top, nullptr);
  LineTo(dc, full.right, full.top);
}

void PaintControl(HDC dc, const ControlDef& c, const PaletteWindow& w) {
  const LayoutDef& def = *w.def;
  const RECT full = PixelRect(c.rect, w.dpi);
  ScopedSaveDC saved(dc);
  // Every control is cut off at the client area; lines have no area of their own.
  const RECT clip = PixelRect(c.kind == ControlKind::Line ? def.client() : VisibleRect(def, c), w.dpi);
  IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  switch (c.kind) {
    case ControlKind::Label: PaintLabel(dc, c, full, w); break;
    case ControlKind::Picture: PaintPicture(dc, c, full, w.dpi); break;
    case ControlKind::Line: PaintLine(dc, full, w.dpi); break;
  }
}

}  // namespace

void MakePaletteFonts(PaletteWindow& w) {
  w.fonts[0].reset(MakeCaptionFont(*w.def, FontId::Default, w.dpi));
  w.fonts[1].reset(MakeCaptionFont(*w.def, FontId::Symbol, w.dpi));
}

void PreparePictures(const PaletteWindow& w) {
  for (const ControlDef& c : w.def->controls)
    if (c.kind == ControlKind::Picture) PictureSize(c, w.dpi), NaturalPicture(c.picture);
}

// The whole client area is drawn off screen and copied in one step: no flicker.
void PaintPalette(const PaletteWindow& w) {
  ScopedPaint paint(w.hwnd);
  RECT client;
  GetClientRect(w.hwnd, &client);
  ScopedMemoryDC buffer(paint.get());
  ScopedBitmap canvas(CreateCompatibleBitmap(paint.get(), client.right, client.bottom));
  ScopedSelect drawOn(buffer.get(), canvas.get());
  FillRect(buffer.get(), &client, GetSysColorBrush(COLOR_BTNFACE));
  for (auto c = w.def->controls.rbegin(); c != w.def->controls.rend(); ++c) PaintControl(buffer.get(), *c, w);
  if (RECT focus; FocusRectangle(w, focus)) DrawFocusRect(buffer.get(), &focus);
  BitBlt(paint.get(), 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
}
