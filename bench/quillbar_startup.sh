#!/usr/bin/env bash
# Start-up latency and memory of Quillbar.exe under Wine: from CreateProcess to
# its window being visible, and its working set then, beside two yardsticks timed
# the same way in the same run (warm wineserver, stand-in AutoCAD running, the
# settings file present after the warm-up round): the floor, a program doing only
# what start-up must do (WMI census, attach, one 128 x 49 topmost
# window), and a program that only shows that window. Ratios are to the floor.
# The machine is shared: compare figures of the same run only.
#
#   bash bench/quillbar_startup.sh [RUNS]        (default 30; builds what it needs)
# It runs in a Wine prefix of its own and stops that prefix's Wine (and its Xvfb) when done.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-30}
B=build/windows
cmake --preset windows >/dev/null
cmake --build $B --target quillbar acad_standin vdriver bench_startup_floor bench_minimal_window startup_timer \
  >/dev/null
export VESK_WINE_DIR=$(pwd)/build/wine-bench
export WINEPREFIX=$VESK_WINE_DIR/prefix
source scripts/wine-env.sh
wine_ready
trap wine_stop EXIT
# The layout windows' class, as the palette's own tables give it.
class=$(wine "$B/tests/tools/vdriver.exe" facts | tr -d '\r' | sed -n 's/^class \([^ ]*\).*/\1/p')
[ -n "$class" ] || { echo "vdriver facts gave no window class" >&2; exit 1; }

work=$(pwd)/build/bench-startup
rm -rf "$work"
mkdir -p "$work/quillbar" "$work/floor" "$work/minimal"
cp "$B/quillbar/Quillbar.exe" "$work/quillbar/"
cp "$B/bench/win32/bench_startup_floor.exe" "$work/floor/"
cp "$B/bench/win32/bench_minimal_window.exe" "$work/minimal/"
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

wine "$B/tests/tools/acad.exe" --log "$(winpath "$work/acad-log.txt")" --ready "$(winpath "$work/acad-ready")" \
  >"$work/acad.out" 2>&1 &
acad=$!
trap 'kill $acad 2>/dev/null || true; wine_stop' EXIT
for _ in $(seq 300); do [ -e "$work/acad-ready" ] && break; sleep 0.1; done
[ -e "$work/acad-ready" ] || { echo "the stand-in AutoCAD did not come up" >&2; exit 1; }

wine "$B/bench/win32/startup_timer.exe" "$runs" \
  "$(winpath "$work/floor/bench_startup_floor.exe")" StartupFloor \
  "$(winpath "$work/minimal/bench_minimal_window.exe")" MinimalWindow \
  "$(winpath "$work/quillbar/Quillbar.exe")" "$class"
