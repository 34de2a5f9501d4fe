#!/usr/bin/env bash
# The palette in action. Installs what it needs (Debian 12, as root), builds the
# Windows programs, starts the stand-in AutoCAD and Quillbar under Wine - on
# $DISPLAY when it is set, else on a private Xvfb - and walks through the four
# layouts with real mouse input: a few menu choices, a drag, "/" to switch, "X"
# to close (VESK_DPI=144 does the same at 150 %). It saves a screenshot of each
# layout in docs/screenshots/ and prints the commands that the stand-in AutoCAD
# received and the settings file left behind.
set -euo pipefail
cd "$(dirname "$0")/.."
VESK_ROOT=$(pwd)

bash scripts/setup.sh
# The build says nothing unless it fails: the demo's own lines are the point.
echo "Building the Windows programs..."
if ! built=$(cmake --preset windows 2>&1 && cmake --build build/windows --target quillbar acad_standin vdriver 2>&1); then
  printf '%s\n' "$built" >&2
  exit 1
fi

# A prefix of its own, so the demo never meets a test's windows; another display
# scale (VESK_DPI=144 for 150 %) gets a prefix of its own too, and screenshots
# named after the scale (form1-150.png).
DPI=${VESK_DPI:-96}
SUFFIX=
[ "$DPI" = 96 ] || SUFFIX=-$((DPI * 100 / 96))
export VESK_WINE_DIR=$VESK_ROOT/build/wine-demo$SUFFIX
export WINEPREFIX=$VESK_WINE_DIR/prefix
[ -n "${DISPLAY:-}" ] && export VESK_DISPLAY=$DISPLAY
source scripts/wine-env.sh
source scripts/palette-driver.sh
VDRIVER_EXE=$VESK_ROOT/build/windows/tests/tools/vdriver.exe
vdriver() { wine "$VDRIVER_EXE" "$@"; }
field() { sed -n "s/.*\b$2=\([^ ]*\).*/\1/p" <<<"$1"; }
# Someone watching gets a moment to see each step; a headless run does not wait.
pause() { [ -n "${VESK_DISPLAY:-}" ] && sleep "${DEMO_PAUSE:-0.8}"; return 0; }

echo "Preparing Wine (the first run makes a prefix, about half a minute)..."
wine_ready
DEMO=$VESK_ROOT/build/demo
rm -rf "$DEMO"
mkdir -p "$DEMO/Vesk" docs/screenshots
cp build/windows/quillbar/Quillbar.exe "$DEMO/Vesk/"
LOG=$DEMO/acad-commands.log
INI=$DEMO/Vesk/Vesk.ini
palette_geometry

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -z "${VESK_DISPLAY:-}" ] && wine_stop
  return 0
}
trap cleanup EXIT

echo "Starting the stand-in AutoCAD..."
wine build/windows/tests/tools/acad.exe --log "$(winepath -w "$LOG")" --ready "$(winepath -w "$DEMO/acad.ready")" \
  >"$DEMO/wine.log" 2>&1 &
pids+=($!)
for ((i = 0; i < 100; i++)); do [ -e "$DEMO/acad.ready" ] && break; sleep 0.1; done

# The text-button layout a little in from the top-left corner of the screen.
printf '[Palette]\r\nstartY=2250\r\nstartX=3000\r\nformNumber=1\r\n' >"$INI"
echo "Starting Quillbar..."
wine "$DEMO/Vesk/Quillbar.exe" >>"$DEMO/wine.log" 2>&1 &
qb=$!
pids+=($qb)

step() { printf '  %-52s' "$1"; }
ok() { echo "${1:-ok}"; }

shot() {
  pointer_away
  pause
  import -window root -crop "${WW}x${WH}+${WX}+${WY}" +repage "docs/screenshots/form$1$SUFFIX.png"
  echo "docs/screenshots/form$1$SUFFIX.png"
}

pick() {  # layout caption label
  local before
  before=$(log_lines "$LOG")
  step "Form$1: $3"
  menu_pick "$1" "$2" && wait_log_grows "$LOG" "$before" && ok "$(tail -n 1 "$LOG")" || ok "(nothing arrived)"
  pause
}

switch_to() {  # from to
  step "Form$1: \"/\" switches to Form$2"
  xdotool mousemove $(point "$1" lblMin) click 1
  wait_layout "$2" && ok "formNumber=$(sed -n 's/^formNumber=\(.*\)\r$/\1/p' "$INI")"
  pause
}

names=([1]="text buttons" [2]="icon buttons" [3]="horizontal icons" [4]="minimal buttons")
echo
wait_layout 1 || { echo "The palette did not open; see $DEMO/wine.log" >&2; exit 1; }
for layout in 1 2 3 4; do
  step "Form$layout (${names[$layout]}): screenshot"
  shot "$layout"
  case $layout in
    1) pick 1 "Produce Landscape" "Modeling > Produce Landscape"
       pick 1 "Import XYZ Points" "Import/Export > Import XYZ Points" ;;
    2) pick 2 "Draw Section" "Modeling > Draw Section" ;;
    3) pick 3 "Draw Grid" "Drawing > Draw Grid"
       pick 3 "Draw Section" "Modeling > Draw Section" ;;
    4) pick 4 "About Vesk" "Help > About Vesk" ;;
  esac
  [ "$layout" -lt 4 ] && switch_to "$layout" $((layout + 1))
done

step "Form4: drag the title by (120, 60) pixels"
read -r x y <<<"$(point 4 title)"
xdotool mousemove "$x" "$y" mousedown 1
for s in 1 2 3 4 5 6; do xdotool mousemove $((x + 20 * s)) $((y + 10 * s)); done
xdotool mouseup 1
read_window
ok "window now at $WX, $WY"
pause
step "Form4: \"X\" closes and saves"
xdotool mousemove $(point 4 lblX) click 1
for ((i = 0; i < 150; i++)); do kill -0 "$qb" 2>/dev/null || break; sleep 0.1; done
kill -0 "$qb" 2>/dev/null && ok "(still open)" || ok "closed"

echo
echo "Commands the stand-in AutoCAD received (<ESC> is the escape that ends a running command, <CR> the carriage return that ends each):"
sed 's/^/  /' "$LOG"
echo
echo "The palette's settings file, Vesk.ini:"
tr -d '\r' <"$INI" | sed 's/^/  /'
