#!/usr/bin/env bash
# Regenerates the palette's pictures (the bitmap icons and banner, the program icon) from the SVG
# sources beside this script, then checks them with check-art.py. The generated files are
# committed, so the normal build never runs this; run it after editing an SVG:
#     bash quillbar/art/make-art.sh
# Needs rsvg-convert (librsvg2-bin), ImageMagick, python3 and the DejaVu Sans font
# (fonts-dejavu-core) for the banner's lettering; scripts/setup.sh installs them.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"

for tool in rsvg-convert convert python3; do
  command -v "$tool" >/dev/null || { echo "make-art: $tool is missing (bash scripts/setup.sh)" >&2; exit 1; }
done
# The banner names DejaVu Sans Bold; with another font its lettering changes width and position.
if command -v fc-match >/dev/null && [ "$(fc-match -f '%{family[0]}' 'DejaVu Sans:bold')" != "DejaVu Sans" ]; then
  echo "make-art: DejaVu Sans Bold is not installed (fonts-dejavu-core)" >&2
  exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# render SVG WIDTH HEIGHT PNG
render() { rsvg-convert --width "$2" --height "$3" --keep-aspect-ratio "$1" -o "$4"; }

# bitmap SVG WIDTH HEIGHT BMP: a 24-bit uncompressed bitmap, which the program reads without a
# codec. The pictures were JPEG files (quality 95, full-resolution colour) until the program
# stopped decoding them at start-up; they still pass through that encoding, so that they keep
# exactly the pixels the palette has always shown.
bitmap() {
  render "$1" "$2" "$3" "$work/$4.png"
  convert "$work/$4.png" -background white -alpha remove -alpha off -strip \
    -type TrueColor -sampling-factor 1x1 -quality 95 -interlace none "$work/$4.jpg"
  convert "$work/$4.jpg" -type TrueColor "BMP3:$4"
}

bitmap icon-io.svg 32 32 icon-io.bmp
bitmap icon-model.svg 32 32 icon-model.bmp
bitmap icon-draw.svg 32 32 icon-draw.bmp
bitmap icon-help.svg 32 32 icon-help.bmp
bitmap banner.svg 128 75 banner.bmp

# The 16 px icon has its own simplified drawing; 32 and 48 px come from the same one.
render program-icon-16.svg 16 16 "$work/icon16.png"
render program-icon.svg 32 32 "$work/icon32.png"
render program-icon.svg 48 48 "$work/icon48.png"
python3 make-ico.py quillbar.ico "$work/icon16.png" "$work/icon32.png" "$work/icon48.png"

python3 check-art.py
