#include "caption_fonts.h"

#include <cstring>
#include <string>

#include "caption_fit.h"
#include "error.h"
#include "scoped_win.h"

namespace {

constexpr char kBitmapFace[] = "MS Sans Serif";
constexpr char kScalableFace[] = "Microsoft Sans Serif";  // the TrueType counterpart

struct Realised {
  std::string face;  // the face the font mapper chose
  bool trueType = false;
  TextExtent extent;
};

// What the system makes of `lf`, measured with `text` (none when text is null).
Realised Realise(const LOGFONTA& lf, const char* text = nullptr) {
  Realised r;
  ScopedFont font(CreateFontIndirectA(&lf));
  if (!font.get()) return r;
  ScopedWindowDC screen(nullptr);
  ScopedSelect selected(screen.get(), font.get());
  char face[LF_FACESIZE] = {};
  GetTextFaceA(screen.get(), LF_FACESIZE, face);
  r.face = face;
  TEXTMETRICA metrics{};
  r.trueType = GetTextMetricsA(screen.get(), &metrics) && (metrics.tmPitchAndFamily & TMPF_TRUETYPE);
  SIZE size{};
  if (text && GetTextExtentPoint32A(screen.get(), text, static_cast<int>(std::strlen(text)), &size))
    r.extent = {static_cast<int>(size.cx), static_cast<int>(size.cy)};
  return r;
}

bool Has(const LOGFONTA& lf, const char* face, bool trueType) {
  LOGFONTA probe = lf;
  std::strcpy(probe.lfFaceName, face);
  const Realised r = Realise(probe);
  return lstrcmpiA(r.face.c_str(), face) == 0 && (r.trueType || !trueType);
}

// "MS Sans Serif" at 96 dpi; at other scales its TrueType counterpart. Where
// the system lacks the face: its message font, else the mapper's default.
void ChooseFace(LOGFONTA& lf, int dpi) {
  const bool bitmap = dpi == 96;
  const char* wanted = bitmap ? kBitmapFace : kScalableFace;
  if (Has(lf, wanted, !bitmap)) {
    std::strcpy(lf.lfFaceName, wanted);
    return;
  }
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    std::strcpy(lf.lfFaceName, metrics.lfMessageFont.lfFaceName);
  else
    lf.lfFaceName[0] = '\0';
}

}  // namespace

HFONT MakeCaptionFont(const LayoutDef& def, FontId font, int dpi) {
  LOGFONTA lf{};
  lf.lfHeight = -FontPixelHeight(font, dpi);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = font == FontId::Symbol ? 161 : DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  ChooseFace(lf, dpi);
  lf.lfHeight = -FittingFontHeight(def, font, dpi, [&lf](const char* text, int height) {
    LOGFONTA sized = lf;
    sized.lfHeight = -height;
    return Realise(sized, text).extent;
  });
  HFONT made = CreateFontIndirectA(&lf);
  if (!made) ThrowLastError();
  return made;
}
