#!/usr/bin/env bash
# The palette under Wine with the stand-in AutoCAD and real mouse input (xdotool)
# at points computed from the layouts' twips: every command button of every
# layout opens its menu while held and an entry reaches AutoCAD; "/" cycles the
# layouts and records each; a drag moves the window by exactly the pointer's
# offset and "X" saves it; presses on "X" over the title close without dragging;
# right presses do nothing; every caption is drawn whole. A screenshot of each
# layout is kept in $E2E_DIR.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
source "$VESK_ROOT/scripts/palette-driver.sh"
e2e_setup

fresh_app
INI=$APP/Vesk.ini
palette_geometry

start_acad
LOG=$ACAD_LOG

# Starts the palette on layout $1 at twips $2, $3 (written as a saved position).
start_palette() {
  printf '[Palette]\r\nstartY=%s\r\nstartX=%s\r\nformNumber=%s\r\n' "$3" "$2" "$1" >"$INI"
  wine_start "$APP/Quillbar.exe"
  QB_PID=$WINE_PID
  wait_layout "$1"
}

# choose LAYOUT CAPTION MOUSE_BUTTON: picks the entry from its command button's
# menu and checks that AutoCAD got what the palette's table says it sends.
choose() {
  local before want
  before=$(log_lines "$LOG")
  if ! menu_pick "$1" "$2" "$3"; then
    fail "Form$1 \"$2\": a held left press opens its menu"
    return
  fi
  want=$(palette_sends "$1" "$2")
  wait_log_grows "$LOG" "$before"
  check_eq "Form$1: \"$2\" sends $want" "$want" "$(tail -n 1 "$LOG" 2>/dev/null)"
}

screenshot() {
  local file=$E2E_DIR/form$1.png
  pointer_away
  import -window root -crop "${WW}x${WH}+${WX}+${WY}" +repage "$file"
  check_eq "Form$1: screenshot has the window's size" "$WW $WH" "$(identify -format '%w %h' "$file")"
  check "Form$1: screenshot is not one colour" test "$(identify -format '%k' "$file")" -gt 1
  captions_whole "$1" "$file"
}

close_palette() {
  xdotool mousemove $(point "$1" lblX) click 1
  check "Form$1: X ends the program" wait_exit "$QB_PID" 15
}

# Every layout: size, topmost, a screenshot, the four menus, right presses.
for ((layout = 1; layout <= PALETTE_LAYOUTS; layout++)); do
  if ! start_palette "$layout" 3000 2250; then fail "Form$layout opens"; continue; fi
  check_eq "Form$layout: client size in pixels" "$(palette_size "$layout")" "$WW $WH"
  check_eq "Form$layout: at the saved position" "$(palette_px 3000) $(palette_px 2250)" "$WX $WY"
  check_eq "Form$layout: topmost" 1 "$TOPMOST"
  screenshot "$layout"
  xdotool mousemove $(point "$layout" button4)
  check "Form$layout: resting on a button shows its tooltip" vdriver window --class tooltips_class32 --timeout 8000
  choose "$layout" "Import XYZ Points" 1
  choose "$layout" "Draw Section" 1
  choose "$layout" "Sum Line Lengths" 1
  choose "$layout" "About Vesk" 3   # chosen with the right button
  # Right presses on a command button and on the title do nothing.
  xdotool mousemove $(point "$layout" button1) click 3
  check "Form$layout: a right press opens no menu" \
    test "$(vdriver window --class '#32768' --timeout 1500 >/dev/null; echo $?)" = 3
  read -r x y <<<"$(point "$layout" title)"
  xdotool mousemove "$x" "$y" mousedown 3 mousemove $((x + 30)) $((y + 20)) mouseup 3
  read_window
  check_eq "Form$layout: a right drag does not move it" "$(palette_px 3000) $(palette_px 2250)" "$WX $WY"
  close_palette "$layout"
  check_bytes "Form$layout: X saves layout and the unchanged position" "$INI" \
    "[Palette]\r\nstartY=2250\r\nstartX=3000\r\nformNumber=$layout\r\n"
done

# "/" once per layout: each layout opens where the last stood; the file names it at once.
start_palette 1 3000 2250
n=1
for ((step = 1; step <= PALETTE_LAYOUTS; step++)); do
  xdotool mousemove $(point "$n" lblMin) click 1
  n=$(( n % PALETTE_LAYOUTS + 1 ))
  check "switch $step: Form$n shows alone" wait_layout "$n"
  check_eq "switch $step: formNumber" "$n" "$(sed -n 's/^formNumber=\([0-9]*\)\r$/\1/p' "$INI")"
  check_eq "switch $step: same place" "$(palette_px 3000) $(palette_px 2250)" "$WX $WY"
done
check_bytes "a round of switches changes only formNumber" "$INI" "[Palette]\r\nstartY=2250\r\nstartX=3000\r\nformNumber=1\r\n"

# A press on "X" where it lies over the title, moved a little before the release:
# it closes, and nothing was dragged.
read -r x y <<<"$(point 1 lblX)"
xdotool mousemove "$x" "$y" mousedown 1 mousemove $((x + 2)) $((y + 1)) mouseup 1
check "X over the title closes" wait_exit "$QB_PID" 15
check_bytes "X over the title did not drag" "$INI" "[Palette]\r\nstartY=2250\r\nstartX=3000\r\nformNumber=1\r\n"

# A drag by (dx, dy) pixels in steps, partly off the left edge of the screen,
# holding the banner far enough right that the pointer itself stays on screen.
start_palette 3 3000 2250
x=$((WX + $(palette_px 1000))) y=$((WY + $(palette_px 600)))
dx=-250 dy=40
palette_drag "$x" "$y" "$dx" "$dy"
read_window
check_eq "drag moves the window by the pointer's offset" "$(( $(palette_px 3000) + dx )) $(( $(palette_px 2250) + dy ))" "$WX $WY"
# On to Form4, which takes the negative left edge, and to Form1, which keeps
# its designed left edge there (centred on the screen) and takes the top.
xdotool mousemove $(point 3 lblMin) click 1
check "Form4 opens after the drag" wait_layout 4
check_eq "Form4 takes the negative left edge" "$(( $(palette_px 3000) + dx )) $(( $(palette_px 2250) + dy ))" "$WX $WY"
xdotool mousemove $(point 4 lblMin) click 1
check "Form1 opens after the drag" wait_layout 1
tw=$(( 1440 / PALETTE_DPI ))
read -r -a client <<<"${PALETTE_RECT[1:client]}"
spare=$(( $(field "$(vdriver screen)" w) * tw - client[2] ))
centred=$(( spare / 2 )); (( spare % 2 && centred % 2 )) && centred=$(( centred + 1 ))
check_eq "Form1 keeps its designed, centred left edge and takes the top" \
  "$(palette_px $centred) $(( $(palette_px 2250) + dy ))" "$WX $WY"
close_palette 1
check_bytes "X saves the dragged position in twips, not where Form1 stands" "$INI" \
  "[Palette]\r\nstartY=$(( ($(palette_px 2250) + dy) * tw ))\r\nstartX=$(( ($(palette_px 3000) + dx) * tw ))\r\nformNumber=1\r\n"

# A folder that may not be changed (immutable: not even root may write in it)
# and no Vesk.ini: the palette starts as on a first start, is dragged, switched
# and closed without a box, keeping its settings in the user's own file, and
# starts again with the layout and place it was closed with; the folder stays
# as it was.
USER_INI=$(user_ini) || fail "Wine names the user's local folder"
rm -rf "$(dirname "$USER_INI")"
fresh_app read-only
check "read-only folder: made immutable" e2e_immutable "$APP"
before=$(ls -la --time-style=full-iso "$APP")
start_quillbar
check "read-only folder: the palette starts on the minimal layout" wait_layout 4
x0=$WX y0=$WY
read -r x y <<<"$(point 4 title)"
palette_drag "$x" "$y" -60 45
read_window
xdotool mousemove $(point 4 lblMin) click 1
check "read-only folder: / opens Form1" wait_layout 1
check "read-only folder: no box" test "$(vdriver window --class '#32770' --timeout 1500 >/dev/null 2>&1; echo $?)" = 3
closed_at="$WX $WY"
check_eq "read-only folder: dragged, then switched in place" "$(( x0 - 60 )) $(( y0 + 45 ))" "$closed_at"
xdotool mousemove $(point 1 lblX) click 1
check "read-only folder: X ends the program" wait_exit "$QB_PID" 15
check_bytes "read-only folder: the user's file holds the layout and place" "$USER_INI" \
  "[Palette]\r\nstartY=$(( WY * tw ))\r\nstartX=$(( WX * tw ))\r\nformNumber=1\r\n"
start_quillbar
check "read-only folder: starts again on Form1" wait_layout 1
check_eq "read-only folder: where it was closed" "$closed_at" "$WX $WY"
end_process "$QB_PID"
check_eq "read-only folder: nothing in it created or changed" "$before" "$(ls -la --time-style=full-iso "$APP")"

e2e_done
