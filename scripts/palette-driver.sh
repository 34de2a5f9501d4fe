# Drives the palette with real mouse input, for the end-to-end tests and the demo
# (sourced; the caller provides `vdriver` and `field` as tests/e2e/lib.sh does).
# Pixels follow the display's dpi (PALETTE_DPI).

# What the driver knows of the palette comes from its own tables (`vdriver facts`):
# PALETTE_CLASS, the layout windows' class;
# PALETTE_RECT, the rectangles in twips that the driver presses, keyed
#   "<layout>:<part>" (client, title, lblMin, lblX, button1..4): each control's
#   visible part less the edge strips that controls above it cover. Titles are
#   pressed near their left end (see palette_centre), clear of the controls over
#   their right end;
# PALETTE_MENU, the number of entries of each command button's menu, keyed by the
#   button's number;
# PALETTE_ENTRY, each menu entry's "<button> <position from 0> <item>", keyed by
#   its caption ("Draw Section");
# PALETTE_COMMAND, what each entry sends, keyed "<layout>:<item>", as the stand-in
#   AutoCAD logs it ("<ESC><ESC>_Cross<CR>");
# PALETTE_LAYOUTS, the number of layouts.
declare -gA PALETTE_RECT=() PALETTE_MENU=() PALETTE_ENTRY=() PALETTE_COMMAND=()
PALETTE_LAYOUTS=0 PALETTE_CLASS=

# Reads the palette's facts and the display's dpi; call once the Wine prefix is ready.
palette_geometry() {
  local kind key rest
  PALETTE_DPI=$(field "$(vdriver screen)" dpi)
  while read -r kind key rest; do
    case $kind in
      class) PALETTE_CLASS=$key ;;
      rect) PALETTE_RECT[$key]=$rest ;;
      menu) PALETTE_MENU[${key%%:*}]=${rest#* } ;;
      entry) PALETTE_ENTRY[${rest#* }]="${key%%:*} ${key#*:} ${rest%% *}" ;;
      command) PALETTE_COMMAND[$key]=$rest ;;
    esac
  done < <(vdriver facts | tr -d '\r')
  [ -n "$PALETTE_CLASS" ] && [ -n "${PALETTE_RECT[4:title]:-}" ] && [ -n "${PALETTE_MENU[4]:-}" ] ||
    { echo "palette-driver: vdriver facts gave no palette" >&2; return 1; }
  PALETTE_LAYOUTS=$(printf '%s\n' "${!PALETTE_RECT[@]}" | grep -c ':client$')
}

# What entry CAPTION sends from layout LAYOUT, as the stand-in AutoCAD logs it.
palette_sends() {
  local e=(${PALETTE_ENTRY[$2]})
  echo "${PALETTE_COMMAND[$1:${e[2]}]}"
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
  line=$(vdriver window --class "$PALETTE_CLASS" --timeout "${1:-20000}") || return 1
  WX=$(field "$line" clientx) WY=$(field "$line" clienty) WW=$(field "$line" cx) WH=$(field "$line" cy)
  TOPMOST=$(field "$line" topmost)
}

# Waits (bounded) until layout $1 is the only palette window showing.
wait_layout() {
  local want i
  want=$(palette_size "$1")
  for ((i = 0; i < 40; i++)); do
    if read_window 2000 && [ "$WW $WH" = "$want" ] && [ "$(vdriver count --class "$PALETTE_CLASS")" = 1 ]; then
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

# Drags with the left button from screen point $1, $2 by $3, $4 pixels, in five steps.
palette_drag() {
  local x=$1 y=$2 dx=$3 dy=$4 step
  xdotool mousemove "$x" "$y" mousedown 1
  for step in 1 2 3 4 5; do xdotool mousemove $((x + dx * step / 5)) $((y + dy * step / 5)); done
  xdotool mouseup 1
}

# menu_pick LAYOUT CAPTION [MOUSE]: presses the command button whose menu holds
# the entry CAPTION with the left button, lets go once its menu shows, and clicks
# the entry with mouse button MOUSE (1 unless given). Fails when no menu opens.
menu_pick() {
  local layout=$1 mouse=${3:-1} e menu mx my mcx mcy
  e=(${PALETTE_ENTRY[$2]:-})
  [ ${#e[@]} = 3 ] || { echo "palette-driver: no menu entry \"$2\"" >&2; return 1; }
  local entry=${e[1]} entries=${PALETTE_MENU[${e[0]}]}
  xdotool mousemove $(point "$layout" "button${e[0]}") mousedown 1
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
