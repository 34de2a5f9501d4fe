#!/usr/bin/env bash
# A second copy refuses to run while the first does, and a copy that crashed
# does not keep later ones from starting.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
e2e_setup
fresh_app
start_acad

start_quillbar
first=$QB_PID
check "first instance shows its palette" palette_shown
cp "$QUILLBAR_EXE" "$E2E_DIR/Quillbar2.exe"  # the same program from another folder
wine_start "$E2E_DIR/Quillbar2.exe"
second=$WINE_PID
text=$(vdriver box --title "Quillbar" --press ok --timeout 20000)
check_eq "second instance box text" "Application is already running" "$text"
check "second instance ends" wait_exit "$second" 20
check_eq "still one palette" 1 "$(vdriver count --class "$LAYOUT_CLASS" | tr -d '\r')"
check "second instance touched no settings" test ! -e "$E2E_DIR/Vesk.ini"

# The first copy dies without cleaning up; the next start must work.
kill -9 "$first"
wait_exit "$first" 20
check "palette gone with its process" vdriver gone --class "$LAYOUT_CLASS" --timeout 20000
start_quillbar
check "a new start after a crash shows the palette" palette_shown
end_process "$QB_PID"
end_process "$ACAD_PID"
e2e_done
