#!/usr/bin/env bash
# One menu choice by hand, to see a command arrive: starts the stand-in AutoCAD
# and Quillbar under Wine on layout LAYOUT (default 1), chooses the entry ITEM
# through the driver (as its menu would), prints what the stand-in received beside
# what the palette's table says it sends, and stops Wine again. Exit code 0 when
# the two agree.
#
#   bash scripts/try-command.sh ITEM [LAYOUT]      e.g. mnuLAND, or mnuSECTION 2
#
# Needs the Windows tree (cmake --preset windows); builds the three programs it
# runs. Its Wine prefix and Xvfb are its own (build/wine-try), so it never meets
# a test's windows; the first run makes the prefix, about half a minute.
set -euo pipefail
[ $# -ge 1 ] || { sed -n 's/^#   //p' "$0" >&2; exit 2; }
ITEM=$1 LAYOUT=${2:-1}
cd "$(dirname "$0")/.."
VESK_ROOT=$(pwd)
cmake --build --preset windows --target quillbar acad_standin vdriver >/dev/null

export VESK_WINE_DIR=$VESK_ROOT/build/wine-try
export WINEPREFIX=$VESK_WINE_DIR/prefix
source scripts/wine-env.sh
source scripts/palette-driver.sh
vdriver() { wine build/windows/tests/tools/vdriver.exe "$@"; }
field() { sed -n "s/.*\b$2=\([^ ]*\).*/\1/p" <<<"$1"; }
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

WORK=$VESK_ROOT/build/try-command
rm -rf "$WORK"
mkdir -p "$WORK/Vesk"
cp build/windows/quillbar/Quillbar.exe "$WORK/Vesk/"
LOG=$WORK/acad-commands.log
pids=()
stop() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wine_stop
}
trap stop EXIT

wine_ready
palette_geometry
want=${PALETTE_COMMAND[$LAYOUT:$ITEM]:-}
[ -n "$want" ] || { echo "no entry $ITEM on layout $LAYOUT (vdriver facts lists them)" >&2; exit 2; }

wine build/windows/tests/tools/acad.exe --log "$(winpath "$LOG")" --ready "$(winpath "$WORK/acad.ready")" \
  >"$WORK/wine.log" 2>&1 &
pids+=($!)
for ((i = 0; i < 300; i++)); do [ -e "$WORK/acad.ready" ] && break; sleep 0.1; done
[ -e "$WORK/acad.ready" ] || { echo "the stand-in AutoCAD did not come up; see $WORK/wine.log" >&2; exit 1; }

printf '[Palette]\r\nstartY=2250\r\nstartX=3000\r\nformNumber=%s\r\n' "$LAYOUT" >"$WORK/Vesk/Vesk.ini"
wine "$WORK/Vesk/Quillbar.exe" >>"$WORK/wine.log" 2>&1 &
pids+=($!)
wait_layout "$LAYOUT" || { echo "the palette did not open; see $WORK/wine.log" >&2; exit 1; }

echo "vdriver command --class $PALETTE_CLASS --item $ITEM   (layout $LAYOUT)"
vdriver command --class "$PALETTE_CLASS" --item "$ITEM"
wait_log_grows "$LOG" 0 || true
got=$(cat "$LOG" 2>/dev/null || true)
echo "the stand-in AutoCAD received: ${got:-(nothing)}"
echo "the command table sends:       $want"
[ "$got" = "$want" ]
