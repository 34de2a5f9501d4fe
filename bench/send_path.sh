#!/usr/bin/env bash
# Send-path benchmark under Wine (not a test): commands per second through the
# palette's send path (ActiveDocument read, then SendCommand, as a menu choice
# does) beside a bare SendCommand loop to the same stand-in AutoCAD, in the same
# run. The stand-in logs to NUL so that its file writes do not hide the calls, and
# shows its main window, as AutoCAD does (a choice then hands it the keyboard).
#   bash bench/send_path.sh [ROUNDS [COUNT]]     (default 5 rounds of 2000; builds what it needs)
set -euo pipefail
cd "$(dirname "$0")/.."
VESK_ROOT=$(pwd)
cmake --preset windows >/dev/null
cmake --build build/windows --target acad_standin bench_send_path >/dev/null

export VESK_WINE_DIR=$VESK_ROOT/build/wine-bench
export WINEPREFIX=$VESK_WINE_DIR/prefix
source scripts/wine-env.sh
wine_ready
DIR=$VESK_ROOT/build/bench-send
rm -rf "$DIR"
mkdir -p "$DIR"
wine build/windows/tests/tools/acad.exe --log NUL --ready "$(winepath -w "$DIR/ready")" --window "AutoCAD stand-in" >"$DIR/wine.log" 2>&1 &
acad=$!
trap 'kill $acad 2>/dev/null || true; wine_stop' EXIT
for _ in $(seq 300); do [ -e "$DIR/ready" ] && break; sleep 0.1; done
[ -e "$DIR/ready" ] || { echo "the stand-in AutoCAD did not come up" >&2; exit 1; }
wine build/windows/bench/win32/bench_send_path.exe "$@"
