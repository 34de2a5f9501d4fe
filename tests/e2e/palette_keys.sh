#!/usr/bin/env bash
# The palette by keyboard and by screen reader, under Wine with the stand-in
# AutoCAD, at the dpi given as the argument (96 unless given; another dpi gets a
# prefix of its own). Every layout's accessibility tree, read from another process
# (tests/tools/a11y_probe.exe): the children's roles and names, their places
# against the painted rectangles, hit-tests at their centres. At 96 dpi also real
# key input (SendInput, to Wine's foreground window) after a click on the title: the focus moves, shows and is
# announced, Enter opens a menu whose access key sends its command, Enter on "/"
# switches twice (the focus stays on "/"), End + Enter and Alt+F4 close and save;
# a child's default action opens its menu; with the mouse alone the palette is
# drawn pixel for pixel as the reference screenshots in docs/screenshots.
DPI=${1:-96}
export E2E_NAME=palette_keys$DPI
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
source "$VESK_ROOT/scripts/palette-driver.sh"
e2e_at_dpi "$DPI"
e2e_setup

a11y() {
  wine "$A11Y_EXE" "$@" >"$E2E_DIR/a11y.out"
  local status=$?
  tr -d '\r' <"$E2E_DIR/a11y.out"
  return $status
}

fresh_app
INI=$APP/Vesk.ini
palette_geometry
check_eq "the prefix runs at $DPI dpi" "$DPI" "$PALETTE_DPI"
start_acad
LOG=$ACAD_LOG

start_palette() {
  printf '[Palette]\r\nstartY=2250\r\nstartX=3000\r\nformNumber=%s\r\n' "$1" >"$INI"
  wine_start "$APP/Quillbar.exe"
  QB_PID=$WINE_PID
  wait_layout "$1"
}

# Clicks the title, which makes the palette the active window, then rests the
# pointer on a point of the window where no control lies on Form1 and lets any
# tooltip go.
click_title() {
  xdotool mousemove $(point "$1" title) click 1
  check "Form$1: the palette is active after a click on its title" vdriver foreground --title "" --timeout 5000
  xdotool mousemove $((WX + $(palette_px 1635))) $((WY + $(palette_px 450)))
  vdriver gone --class tooltips_class32 --timeout 8000 >/dev/null || true
}

# The saved place after a close, written into a file emptied while the palette ran
# (each new key goes in at the top of the section).
check_saved() {
  check "$1: ends the program" wait_exit "$QB_PID" 15
  check_bytes "$1: saves the layout and the place" "$INI" \
    "[Palette]\r\nstartY=2250\r\nstartX=3000\r\nformNumber=$2\r\n"
}

# Whether the palette's process has oleacc.dll mapped (Wine runs it as a Linux process).
oleacc_mapped() { grep -qi 'oleacc\.dll' "/proc/$QB_PID/maps"; }

declare -A NAMES=(
  [1]="Import/Export Points|Modeling Commands|Drawing Commands|Help|Switch to icon buttons"
  [2]="Import/Export XYZ File|Modeling Commands|Drawing Commands|Help|Switch to horizontal icons"
  [3]="Import/Export XYZ File|Modeling Commands|Drawing Commands|Help|Switch to minimal buttons"
  [4]="Import/Export XYZ File|Modeling Commands|Drawing Commands|Help|Switch to text buttons"
)

for layout in 1 2 3 4; do
  if ! start_palette "$layout"; then fail "Form$layout opens"; continue; fi
  IFS='|' read -r n1 n2 n3 n4 n5 <<<"${NAMES[$layout]}"
  # oleacc comes in with the first reader's request, not at start-up.
  [ "$layout" = 1 ] && check "oleacc is not loaded at start-up" test "$(oleacc_mapped; echo $?)" = 1
  out=$(a11y tree --layout "$layout")
  status=$?
  [ "$layout" = 1 ] && check "oleacc is loaded once a reader asks" oleacc_mapped
  check_eq "Form$layout: children, roles and names" "children=7
1 buttonmenu $n1
2 buttonmenu $n2
3 buttonmenu $n3
4 buttonmenu $n4
5 pushbutton $n5
6 pushbutton Close Menu
7 statictext Vesk Palette" "$(grep -v '^FAIL' <<<"$out")"
  grep '^FAIL' <<<"$out"
  check_eq "Form$layout: places within 1 px of the painting, hit-tests at the centres" 0 "$status"
  if [ "$DPI" = 96 ]; then
    click_title "$layout"
    pointer_away
    shot=$E2E_DIR/mouse-form$layout.png
    import -window root -crop "${WW}x${WH}+${WX}+${WY}" +repage "$shot"
    check_eq "Form$layout: with the mouse alone, drawn as the reference" 0 \
      "$(compare -metric AE "$shot" "$VESK_ROOT/docs/screenshots/form$layout.png" null: 2>&1)"
  fi
  xdotool mousemove $(point "$layout" lblX) click 1
  check "Form$layout: X ends the program" wait_exit "$QB_PID" 15
done

[ "$DPI" = 96 ] || e2e_done

# Keys on Form1: the focus starts on command button 1 and moves with Right.
start_palette 1
click_title 1
check_eq "the focus starts on command button 1" "focus=1 focused=1" "$(a11y focus)"
before=$E2E_DIR/keys-before.png after=$E2E_DIR/keys-after.png
import -window root -crop "${WW}x${WH}+${WX}+${WY}" +repage "$before"
# A screen reader listening from another process hears of the move.
wine "$A11Y_EXE" events --seconds 10 >"$E2E_DIR/events.txt" &
listener=$!
wait_file_has "$E2E_DIR/events.txt" ready 10
vdriver keys Right
wait_exit "$listener" 15
check_eq "Right moves the focus to command button 2" "focus=2 focused=1" "$(a11y focus)"
check_eq "the move raises a focus event for command button 2" "focus 2" "$(tail -n 1 "$E2E_DIR/events.txt" | tr -d '\r')"
import -window root -crop "${WW}x${WH}+${WX}+${WY}" +repage "$after"
check "the keyboard shows the focus rectangle" \
  test "$(compare -metric AE "$before" "$after" null: 2>&1)" != 0
vdriver keys Return
if menu=$(vdriver window --class '#32768' --timeout 5000); then
  pass "Enter opens the second button's menu"
  # Label2 spans twips 0 to 1575 across, 720 to 975 down.
  check_eq "the menu opens under the button" "$WX $((WY + $(palette_px 975)))" "$(field "$menu" x) $(field "$menu" y)"
  vdriver keys p
  wait_log_grows "$LOG" 0
else
  fail "Enter opens the second button's menu"
fi
vdriver gone --class '#32768' --timeout 3000 >/dev/null

# Enter on "/" twice: the focus stays on "/" in the layout it opens.
vdriver keys End Left Return
check "Enter on / opens Form2" wait_layout 2
vdriver keys Return
check "Enter again on / opens Form3" wait_layout 3
check_eq "the switches are recorded" 3 "$(sed -n 's/^formNumber=\([0-9]*\)\r$/\1/p' "$INI")"
: >"$INI"
vdriver keys End Return
check_saved "End and Enter" 3

start_palette 4
click_title 4
: >"$INI"
vdriver keys alt+F4
check_saved "Alt+F4" 4

# A screen reader's default action on command button 3 opens its menu.
start_palette 2
a11y do --child 3
check "the default action opens the button's menu" vdriver window --class '#32768' --timeout 5000
vdriver keys Escape
vdriver gone --class '#32768' --timeout 3000 >/dev/null
xdotool mousemove $(point 2 lblX) click 1
check "the palette closes after the default action" wait_exit "$QB_PID" 15

check_bytes "P in the menu sent _Landscape once" "$LOG" "<ESC><ESC>_Landscape<CR>\n"
e2e_done
