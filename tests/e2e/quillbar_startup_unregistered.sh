#!/usr/bin/env bash
# AutoCAD's process runs but its automation object is not registered yet: the
# palette ends without a message and without a window.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
e2e_setup
fresh_app
start_acad --no-register

start_quillbar
wait_exit_code "$QB_PID" 30
check_eq "program ends by itself, normally" 0 "$EXIT_CODE"
check_eq "no palette window" 0 "$(vdriver count --class "$LAYOUT_CLASS" | tr -d '\r')"
check_eq "no message box" 0 "$(vdriver count --class "#32770" | tr -d '\r')"
check "no settings file created" test ! -e "$APP/Vesk.ini"
end_process "$ACAD_PID"
e2e_done
