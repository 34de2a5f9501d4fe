#!/usr/bin/env bash
# A folder whose path the ANSI code page cannot spell (Greek in a Western code
# page): a box says so before the attach, and the palette ends without a window
# or a settings file.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
e2e_setup
fresh_app "Ωmega"
start_acad

start_quillbar
check_eq "the box" "The path of this folder has characters that the system's code page cannot represent, so the palette cannot keep its settings there."$'\n\n'"Move or rename the folder so that its path has none of these characters, then start Quillbar again." \
  "$(vdriver box --title Quillbar --press ok --timeout 30000)"
wait_exit_code "$QB_PID" 30
check_eq "program ends after the box" 0 "$EXIT_CODE"
check_eq "no palette window" 0 "$(vdriver count --class "$LAYOUT_CLASS" | tr -d '\r')"
check "no settings file created" test ! -e "$APP/Vesk.ini"
end_process "$ACAD_PID"
e2e_done
