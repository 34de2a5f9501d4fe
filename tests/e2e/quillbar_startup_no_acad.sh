#!/usr/bin/env bash
# Without AutoCAD the palette says so and ends, leaving no settings file behind;
# a process whose name differs only in letter case is not AutoCAD.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
e2e_setup
fresh_app

start_quillbar
text=$(vdriver box --title "Vesk Menu Palette" --press ok --timeout 20000)
check_eq "AutoCAD-absent box text" $'AutoCAD connection failed.\nPlease restart this program after AutoCAD is fully loaded.' "$text"
wait_exit_code "$QB_PID" 20
check_eq "program ends normally after the box" 0 "$EXIT_CODE"
check "no settings file created" test ! -e "$APP/Vesk.ini"
check_eq "no palette window" 0 "$(vdriver count --class "$LAYOUT_CLASS" | tr -d '\r')"

# The stand-in under an upper-case name, registered all the same.
cp "$ACAD_EXE" "$E2E_DIR/ACAD.EXE"
ACAD_EXE=$E2E_DIR/ACAD.EXE start_acad
start_quillbar
text=$(vdriver box --title "Vesk Menu Palette" --press ok --timeout 20000)
check_eq "ACAD.EXE does not count as AutoCAD" $'AutoCAD connection failed.\nPlease restart this program after AutoCAD is fully loaded.' "$text"
check "program ends after the box" wait_exit "$QB_PID" 20
end_process "$ACAD_PID"
e2e_done
