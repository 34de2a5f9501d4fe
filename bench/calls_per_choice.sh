#!/usr/bin/env bash
# Calls into AutoCAD per menu choice (not a test): the stand-in AutoCAD counts
# every call that reaches it (--calls); the palette makes choices with one
# release running, then with a second one brought to the front. Prints the calls
# of each choice. Needs the windows tree built (cmake --build --preset windows);
# QUILLBAR_EXE names another Quillbar.exe to measure (an older build, say).
#   bash bench/calls_per_choice.sh
set -uo pipefail
cd "$(dirname "$0")/.."
B=$(pwd)/build/windows
export VESK_ROOT=$(pwd) QUILLBAR_EXE=${QUILLBAR_EXE:-$B/quillbar/Quillbar.exe} ACAD_EXE=$B/tests/tools/acad.exe
export VDRIVER_EXE=$B/tests/tools/vdriver.exe E2E_NAME=calls_per_choice
# A Wine prefix and X display of its own, stopped at the end.
export VESK_WINE_DIR=$VESK_ROOT/build/wine-calls WINEPREFIX=$VESK_ROOT/build/wine-calls/prefix
mkdir -p "$VESK_WINE_DIR"
source tests/e2e/lib.sh
source tests/e2e/quillbar_helpers.sh
e2e_setup
trap 'e2e_cleanup; wine_stop' EXIT
fresh_app
calls() { [ -f "$1" ] && wc -l <"$1" || echo 0; }
# choose NAME ITEM TRACE...: one choice; the calls it made into each traced release.
choose() {
  local name=$1 item=$2 before=() i=0 f
  shift 2
  for f in "$@"; do before+=("$(calls "$f")"); done
  vdriver command --class "$LAYOUT_CLASS" --item "$item"
  printf '%-44s' "$name"
  for f in "$@"; do printf ' %s' $(($(calls "$f") - before[i])); i=$((i + 1)); done
  echo
}
ONE=$E2E_DIR/one-calls.txt TWO=$E2E_DIR/two-calls.txt
ACAD_NAME=one start_acad --window "AutoCAD one" --calls "$(winpath "$ONE")" --control "$(winpath "$E2E_DIR/one-control")"
start_quillbar
palette_shown || { echo "no palette"; exit 1; }
echo "calls into each release per choice (first release, second release):"
choose "one release, first choice" mnuLAND "$ONE"
choose "one release, a later choice" mnuLAND "$ONE"
ACAD_NAME=two start_acad --versioned --window "AutoCAD two" --calls "$(winpath "$TWO")" \
  --control "$(winpath "$E2E_DIR/two-control")"
acad_act_in "$E2E_DIR/two-control" raise
vdriver foreground --title "AutoCAD two" --timeout 5000 >/dev/null
choose "two releases, first choice into the new one" mnuLAND "$ONE" "$TWO"
choose "two releases, a later choice" mnuLAND "$ONE" "$TWO"
acad_act_in "$E2E_DIR/one-control" raise
vdriver foreground --title "AutoCAD one" --timeout 5000 >/dev/null
choose "back to the first release" mnuLAND "$ONE" "$TWO"
choose "the first release, a later choice" mnuLAND "$ONE" "$TWO"
