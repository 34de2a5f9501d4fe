#!/usr/bin/env bash
# Palette benchmark under Wine (not a test): how many title-drag movement events
# Quillbar handles per second, each moving its window, and its working set after
# start-up, each beside a bare window program's measured in the same run. The
# drags alternate between the two in ROUNDS rounds, so a change in the machine's
# load meets both alike; the ratio given is the median of the rounds' ratios.
#   bash bench/palette_drag.sh [MOVES] [ROUNDS]   (default 10000 moves in 5 rounds; builds what it needs)
set -euo pipefail
cd "$(dirname "$0")/.."
VESK_ROOT=$(pwd)
MOVES=${1:-10000}
ROUNDS=${2:-5}
cmake --preset windows >/dev/null
cmake --build build/windows --target quillbar acad_standin vdriver bench_minimal_window >/dev/null

export VESK_WINE_DIR=$VESK_ROOT/build/wine-bench
export WINEPREFIX=$VESK_WINE_DIR/prefix
source scripts/wine-env.sh
source scripts/palette-driver.sh
vdriver() { wine "$VESK_ROOT/build/windows/tests/tools/vdriver.exe" "$@"; }
field() { sed -n "s/.*\b$2=\([^ ]*\).*/\1/p" <<<"$1"; }
wine_ready
palette_geometry
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wine_stop' EXIT

DIR=$VESK_ROOT/build/bench-palette
rm -rf "$DIR"
mkdir -p "$DIR/app"
cp build/windows/quillbar/Quillbar.exe "$DIR/app/"
wine build/windows/tests/tools/acad.exe --log "$(winepath -w "$DIR/acad.log")" --ready "$(winepath -w "$DIR/ready")" \
  >"$DIR/wine.log" 2>&1 &
pids+=($!)
for ((i = 0; i < 100; i++)); do [ -e "$DIR/ready" ] && break; sleep 0.1; done

printf '[Palette]\r\nstartY=2250\r\nstartX=3000\r\nformNumber=4\r\n' >"$DIR/app/Vesk.ini"
wine "$DIR/app/Quillbar.exe" >>"$DIR/wine.log" 2>&1 &
pids+=($!)
wait_layout 4
palette_pid=$(field "$(vdriver window --class "$PALETTE_CLASS")" pid)
palette_mem=$(vdriver memory --pid "$palette_pid")

wine build/windows/bench/win32/bench_minimal_window.exe >>"$DIR/wine.log" 2>&1 &
pids+=($!)
minimal_pid=$(field "$(vdriver window --class MinimalWindow --timeout 20000)" pid)
minimal_mem=$(vdriver memory --pid "$minimal_pid")

read -r tx ty <<<"$(palette_centre 4 title)"
ratios=()
for ((round = 1; round <= ROUNDS; round++)); do
  drag=$(vdriver drag --class "$PALETTE_CLASS" --x "$tx" --y "$ty" --moves $((MOVES / ROUNDS)))
  bare_drag=$(vdriver drag --class MinimalWindow --x 10 --y 10 --moves $((MOVES / ROUNDS)))
  ratio=$(awk -v p="$(field "$drag" per_second)" -v b="$(field "$bare_drag" per_second)" 'BEGIN { printf "%.2f", p / b }')
  ratios+=("$ratio")
  echo "round $round: palette $(field "$drag" per_second)/s, bare window $(field "$bare_drag" per_second)/s, ratio $ratio"
done
echo "palette drag rate / bare window's (median of $ROUNDS rounds): $(printf '%s\n' "${ratios[@]}" | sort -n | sed -n "$(( (ROUNDS + 1) / 2 ))p")"
echo "palette memory:    $palette_mem"
echo "minimal window:    $minimal_mem"
p=$(field "$palette_mem" working_set_kb) m=$(field "$minimal_mem" working_set_kb)
echo "working set above the bare window: $((p - m)) KB"
