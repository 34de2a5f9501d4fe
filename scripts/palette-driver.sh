# Drives the palette with real mouse input, for the end-to-end tests and the demo
# (sourced; the caller provides `vdriver` and `field` as tests/e2e/lib.sh does).
# Pixels follow the display's dpi (PALETTE_DPI).

# The rectangles in twips that the driver presses, keyed "<layout>:<part>" (client,
# title, lblMin, lblX, button1..4), as the palette's own layout tables give them
# (`vdriver layouts`): each control's visible part less the edge strips that
# controls above it cover. Titles are pressed near their left end (see
# palette_centre), clear of the controls over their right end.
declare -gA PALETTE_RECT=()
# The entries of each command button's menu, keyed by the button's number, and
# the number of layouts, from the palette's own tables (`vdriver menus`, `layouts`).
declare -gA PALETTE_MENU=()
PALETTE_LAYOUTS=0

# Reads the rectangles, the menus and the display's dpi; call once the Wine prefix is ready.
palette_geometry() {
  local key rect first count
  PALETTE_DPI=$(field "$(vdriver screen)" dpi)
  while read -r key rect; do PALETTE_RECT[$key]=$rect; done < <(vdriver layouts | tr -d '\r')
  [ -n "${PALETTE_RECT[4:title]:-}" ] || { echo "palette-driver: vdriver layouts gave no geometry" >&2; return 1; }
  PALETTE_LAYOUTS=$(printf '%s\n' "${!PALETTE_RECT[@]}" | grep -c ':client$')
  while read -r key first count; do PALETTE_MENU[${key%%:*}]=$count; done < <(vdriver menus | tr -d '\r')
  [ -n "${PALETTE_MENU[4]:-}" ] || { echo "palette-driver: vdriver menus gave no menus" >&2; return 1; }
}

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
