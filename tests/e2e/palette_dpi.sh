#!/usr/bin/env bash
# The palette on a display scaled to the dpi given as the argument (120, 144,
# 192; a prefix of its own per dpi): every layout grows as a whole from its
# twips, its controls sit where the twips put them at that scaling (a press at
# each computed point reaches its control), every caption is drawn whole inside
# its control, and the saved position stays in twips. Screenshots are kept in $E2E_DIR.
DPI=${1:?usage: palette_dpi.sh DPI}
export E2E_NAME=palette_dpi$DPI
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
source "$VESK_ROOT/scripts/palette-driver.sh"
e2e_at_dpi "$DPI"
e2e_setup

fresh_app
INI=$APP/Vesk.ini
palette_geometry
check_eq "the prefix runs at $VESK_DPI dpi" "$VESK_DPI" "$PALETTE_DPI"

start_acad
LOG=$ACAD_LOG

for ((layout = 1; layout <= PALETTE_LAYOUTS; layout++)); do
  printf '[Palette]\r\nstartY=1500\r\nstartX=3000\r\nformNumber=%s\r\n' "$layout" >"$INI"
  wine_start "$APP/Quillbar.exe"
  pid=$WINE_PID
  if ! line=$(vdriver window --class "$PALETTE_CLASS" --timeout 20000); then fail "Form$layout opens"; continue; fi
  wx=$(field "$line" clientx) wy=$(field "$line" clienty)
  check_eq "Form$layout: size scaled from twips" "$(palette_size "$layout")" "$(field "$line" cx) $(field "$line" cy)"
  check_eq "Form$layout: position scaled from twips" "$(palette_px 3000) $(palette_px 1500)" "$wx $wy"
  pointer_away
  file=$E2E_DIR/form$layout-${VESK_DPI}dpi.png
  import -window root -crop "$(field "$line" cx)x$(field "$line" cy)+$wx+$wy" +repage "$file"
  check "Form$layout: screenshot is not one colour" test "$(identify -format '%k' "$file")" -gt 1
  captions_whole "$layout" "$file"
  # Each command button opens its own menu, as tall as its entries (vdriver facts).
  for b in 1 2 3 4; do
    read -r cx cy <<<"$(palette_centre "$layout" button$b)"
    xdotool mousemove $((wx + cx)) $((wy + cy)) mousedown 1
    menu=$(vdriver window --class '#32768' --timeout 5000)
    xdotool mouseup 1
    entries=$(( $(field "$menu" cy) * 96 / PALETTE_DPI ))
    vdriver keys Escape
    vdriver gone --class '#32768' --timeout 3000 >/dev/null
    check "Form$layout: button $b opens a menu" test -n "$menu"
    [ "$b" = 1 ] && first_height=$entries
    want=$(( PALETTE_MENU[2] * 10 / PALETTE_MENU[1] ))
    [ "$b" = 2 ] && check "Form$layout: button 2's menu is as tall as its entries beside button 1's" \
      test $(( entries * 10 / first_height )) -ge $(( want - 1 )) -a $(( entries * 10 / first_height )) -le $(( want + 1 ))
  done
  read -r cx cy <<<"$(palette_centre "$layout" lblX)"
  xdotool mousemove $((wx + cx)) $((wy + cy)) click 1
  check "Form$layout: X closes" wait_exit "$pid" 15
  check_bytes "Form$layout: position saved in twips" "$INI" "[Palette]\r\nstartY=1500\r\nstartX=3000\r\nformNumber=$layout\r\n"
done

e2e_done
