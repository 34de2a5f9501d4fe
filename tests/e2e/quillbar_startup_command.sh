#!/usr/bin/env bash
# A menu command reaches the drawing as two escapes, its name and one CR; a failure AutoCAD
# raises itself ends the palette with the error report and saves nothing.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
e2e_setup
fresh_app
start_acad

MNU_LAND=mnuLAND
MNU_SECTION=mnuSECTION
start_quillbar
check "palette shown" palette_shown
vdriver command --class "$LAYOUT_CLASS" --item $MNU_LAND
vdriver command --class "$LAYOUT_CLASS" --item $MNU_SECTION
check_bytes "commands arrive in order, each after two escapes and with one CR" "$ACAD_LOG" '<ESC><ESC>_Landscape<CR>\n<ESC><ESC>_Cross<CR>\n'
end_process "$QB_PID"
end_process "$ACAD_PID"

# AutoCAD raises an error of its own at SendCommand.
rm -f "$ACAD_LOG"
start_acad --fail-send
printf '[Palette]\r\nformNumber=2\r\n' >"$APP/Vesk.ini"
start_quillbar
check "palette shown" palette_shown
vdriver command --class "$LAYOUT_CLASS" --item $MNU_SECTION &
sender=$!
text=$(vdriver box --title "Quillbar" --press ok --timeout 20000)
check_eq "error report names the error" $'Error 0x80004005:\nThe command line is not available.' "$text"
wait_exit_code "$QB_PID" 20
check_eq "program ends after the report" 1 "$EXIT_CODE"
wait "$sender" 2>/dev/null
check "nothing logged" test ! -s "$ACAD_LOG"
check_bytes "no settings written" "$APP/Vesk.ini" '[Palette]\r\nformNumber=2\r\n'
end_process "$ACAD_PID"
e2e_done
