#!/usr/bin/env bash
# Two AutoCAD releases run at once, one registered under the version-independent
# name, one under its own versioned class: each choice goes to the one whose
# main window is in front at that moment.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
e2e_setup
fresh_app
printf '[Palette]\r\nformNumber=1\r\n' >"$APP/Vesk.ini"

ACAD_NAME=new start_acad --window "AutoCAD new" --control "$(winpath "$E2E_DIR/new-control")"
NEW_PID=$ACAD_PID NEW_LOG=$ACAD_LOG
ACAD_NAME=old start_acad --versioned --window "AutoCAD old" --control "$(winpath "$E2E_DIR/old-control")"
OLD_PID=$ACAD_PID OLD_LOG=$ACAD_LOG
start_quillbar
check "palette shown" palette_shown

# Brings a release's window to the front, then chooses (handled when vdriver returns).
front_then_choose() {
  acad_act_in "$E2E_DIR/$1-control" raise
  check "the $1 release is in front" vdriver foreground --title "AutoCAD $1" --timeout 5000
  vdriver command --class "$LAYOUT_CLASS" --item "$2"
}
front_then_choose old mnuLAND
front_then_choose new mnuSECTION
front_then_choose old mnuSECTION
check_bytes "the release in front got each choice: the versioned one" "$OLD_LOG" \
  '<ESC><ESC>_Landscape<CR>\n<ESC><ESC>_Cross<CR>\n'
check_bytes "and the other one" "$NEW_LOG" '<ESC><ESC>_Cross<CR>\n'
end_process "$QB_PID"
end_process "$NEW_PID"
end_process "$OLD_PID"
e2e_done
