# Drives the palette with real mouse input, for the end-to-end tests and the demo
# (sourced; the caller provides `vdriver` and `field` as tests/e2e/lib.sh does).
# The rectangles are the layouts' designed ones in twips, cut off at the client
# area; pixels follow the display's dpi (PALETTE_DPI, 96 unless set).

declare -A PALETTE_RECT=(
  [1:client]="0 0 1695 1680" [2:client]="0 0 1920 1605" [3:client]="0 0 2595 960" [4:client]="0 0 1920 735"
  [1:title]="0 45 1695 255" [1:lblMin]="1200 0 255 255" [1:lblX]="1455 0 240 255"
  [1:button1]="0 360 1575 259" [1:button2]="0 720 1575 255" [1:button3]="0 1080 1575 255" [1:button4]="0 1440 1575 240"
  [2:title]="0 0 1920 1125" [2:lblMin]="1440 0 240 255" [2:lblX]="1680 0 240 255"
  [2:button1]="0 1125 480 480" [2:button2]="480 1125 480 480" [2:button3]="960 1125 480 480" [2:button4]="1440 1125 480 480"
  [3:title]="0 0 1145 960" [3:lblMin]="1145 0 255 255" [3:lblX]="1400 0 228 255"
  [3:button1]="1628 0 480 480" [3:button2]="2108 0 480 480" [3:button3]="1628 480 480 480" [3:button4]="2108 480 480 480"
  [4:title]="0 10 1920 240" [4:lblMin]="1440 0 240 255" [4:lblX]="1680 0 240 255"
  [4:button1]="0 250 480 480" [4:button2]="480 250 480 480" [4:button3]="960 250 480 480" [4:button4]="1440 250 480 480"
)
# Only the parts of each control that no other control covers are listed:
# lblX's left pixel lies under lblMin on the text layout, its right end under
# the first icon on the horizontal layout; the titles lose the strip under
# the switch and close controls (points are taken left of them).

# Twips to pixels at the display's dpi: nearest, halves to even, as the palette rounds.
palette_px() {
  local n=$(( $1 * ${PALETTE_DPI:-96} )) q r
  q=$(( n / 1440 )) r=$(( n % 1440 ))
  if (( r * 2 > 1440 || (r * 2 == 1440 && q % 2 == 1) )); then q=$(( q + 1 )); fi
  echo $q
}

# The centre of a control, in pixels from the client area's corner: "x y".
palette_centre() {
  local r=(${PALETTE_RECT[$1:$2]})
  local x=$(( r[0] + r[2] / 2 )) y=$(( r[1] + r[3] / 2 ))
  # Titles are taken near their left end, clear of "/" and "X".
  [ "$2" = title ] && x=$(( r[0] + 300 ))
  echo "$(palette_px $x) $(palette_px $y)"
}

# The client area's size in pixels: "w h".
palette_size() {
  local r=(${PALETTE_RECT[$1:client]})
  echo "$(palette_px ${r[2]}) $(palette_px ${r[3]})"
}

# Window geometry of the palette, from its `vdriver window` line: WX WY (client
# corner on screen), WW WH (client size), TOPMOST.
read_window() {
  local line
  line=$(vdriver window --class QuillbarLayout --timeout "${1:-20000}") || return 1
  WX=$(field "$line" clientx) WY=$(field "$line" clienty) WW=$(field "$line" cx) WH=$(field "$line" cy)
  TOPMOST=$(field "$line" topmost)
}

# Waits (bounded) until layout $1 is the only palette window showing.
wait_layout() {
  local want i
  want=$(palette_size "$1")
  for ((i = 0; i < 40; i++)); do
    if read_window 2000 && [ "$WW $WH" = "$want" ] && [ "$(vdriver count --class QuillbarLayout)" = 1 ]; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Screen point of control $2 of layout $1 in the window read last: "x y".
point() {
  local c
  c=($(palette_centre "$1" "$2"))
  echo "$((WX + c[0])) $((WY + c[1]))"
}

# menu_pick LAYOUT BUTTON ENTRY ENTRIES [MOUSE]: presses the command button with
# the left button, lets go once its menu shows, and clicks entry ENTRY (from 0)
# of its ENTRIES with mouse button MOUSE (1 unless given). Fails when no menu opens.
menu_pick() {
  local layout=$1 button=$2 entry=$3 entries=$4 mouse=${5:-1} menu mx my mcx mcy
  xdotool mousemove $(point "$layout" "$button") mousedown 1
  if ! menu=$(vdriver window --class '#32768' --timeout 5000); then
    xdotool mouseup 1
    return 1
  fi
  xdotool mouseup 1
  mx=$(field "$menu" clientx) my=$(field "$menu" clienty) mcx=$(field "$menu" cx) mcy=$(field "$menu" cy)
  xdotool mousemove $((mx + mcx / 2)) $((my + (2 * entry + 1) * mcy / (2 * entries))) click "$mouse"
  vdriver gone --class '#32768' --timeout 3000 >/dev/null
}

# Lines in the stand-in AutoCAD's log $1 (0 before the first command).
log_lines() { [ -f "$1" ] && wc -l <"$1" || echo 0; }

# Waits (bounded) until log $1 has more than $2 lines.
wait_log_grows() {
  local i
  for ((i = 0; i < 50; i++)); do [ "$(log_lines "$1")" -gt "$2" ] && return 0; sleep 0.1; done
  return 1
}

# Moves the pointer off the palette and waits (bounded) until no tooltip shows,
# so a screenshot holds the palette alone.
pointer_away() {
  xdotool mousemove 0 0
  vdriver gone --class tooltips_class32 --timeout 8000 >/dev/null || true
}
