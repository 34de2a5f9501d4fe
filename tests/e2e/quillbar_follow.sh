#!/usr/bin/env bash
# The palette follows the AutoCAD the user works in: each choice goes to the
# drawing in front; a closed drawing, AutoCAD's start screen, AutoCAD quit and
# started again, and a release registered only under its own versioned class
# neither send a command astray nor end the palette.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
e2e_setup
fresh_app
CONTROL=$E2E_DIR/acad-control
MNU_LAND=mnuLAND
MNU_SECTION=mnuSECTION
printf '[Palette]\r\nformNumber=1\r\n' >"$APP/Vesk.ini"

# A choice that must come back without any box: the command is handled when vdriver returns.
choose_quietly() {
  vdriver command --class "$LAYOUT_CLASS" --item "$1" &
  local sender=$!
  wait_exit "$sender" 20
}
# A choice that shows a warning box: prints its text and presses OK.
choose_with_box() {
  vdriver command --class "$LAYOUT_CLASS" --item "$1" &
  local sender=$!
  vdriver box --title "Quillbar" --press ok --timeout 20000
  wait_exit "$sender" 20
}
NO_DRAWING=$'AutoCAD has no drawing open, so _Landscape was not sent.\nOpen a drawing, then choose the command again.'
NOT_RUNNING=$'AutoCAD is not running, so _Landscape was not sent.\nStart AutoCAD, then choose the command again.'

# Two drawings; the user switches between them and closes the start-up one.
start_acad --drawings 2 --log-drawing --control "$(winpath "$CONTROL")"
start_quillbar
check "palette shown" palette_shown
check "a choice returns without a box" choose_quietly $MNU_LAND
acad_act "front 2"
check "after a switch, the choice returns without a box" choose_quietly $MNU_LAND
check_bytes "the drawing in front gets each command, once" "$ACAD_LOG" \
  'Drawing1.dwg <ESC><ESC>_Landscape<CR>\nDrawing2.dwg <ESC><ESC>_Landscape<CR>\n'
acad_act "front 1" "close 1" "front 2"
check "with the start-up drawing closed, no box" choose_quietly $MNU_SECTION
acad_act "open" "close-on-send"
check "a drawing closed as the command reaches it: no box" choose_quietly $MNU_SECTION
check_bytes "the other drawing in front gets those" "$ACAD_LOG" \
  'Drawing1.dwg <ESC><ESC>_Landscape<CR>\nDrawing2.dwg <ESC><ESC>_Landscape<CR>\nDrawing2.dwg <ESC><ESC>_Cross<CR>\nDrawing2.dwg <ESC><ESC>_Cross<CR>\n'
end_process "$QB_PID"
acad_act quit
check "the stand-in quit" wait_exit "$ACAD_PID" 20

# AutoCAD's start screen: no drawing open at start-up.
rm -f "$ACAD_LOG"
start_acad --drawings 0 --log-drawing --control "$(winpath "$CONTROL")"
start_quillbar
check "palette shown with no drawing open" palette_shown
check_eq "a choice tells that no drawing is open" "$NO_DRAWING" "$(choose_with_box $MNU_LAND)"
check "palette still open" palette_shown
acad_act open
check "once a drawing is open, the choice returns without a box" choose_quietly $MNU_LAND
check_bytes "and arrives there" "$ACAD_LOG" 'Drawing1.dwg <ESC><ESC>_Landscape<CR>\n'

# AutoCAD quit and started again: the next choice arrives at the new one.
acad_act quit
check "the stand-in quit" wait_exit "$ACAD_PID" 20
rm -f "$ACAD_LOG"
start_acad --log-drawing --control "$(winpath "$CONTROL")"
check "after AutoCAD's restart, no box" choose_quietly $MNU_SECTION
check_bytes "the restarted AutoCAD gets it" "$ACAD_LOG" 'Drawing1.dwg <ESC><ESC>_Cross<CR>\n'

# AutoCAD gone without a word (ended as by End task): the box, and the palette carries on.
end_process "$ACAD_PID"
check_eq "a choice tells that AutoCAD is not running" "$NOT_RUNNING" "$(choose_with_box $MNU_LAND)"
check "palette still open" palette_shown

# Started again on its start screen, where ActiveDocument yields no object.
start_acad --drawings 0 --null-document --control "$(winpath "$CONTROL")"
check_eq "no drawing, found by an AutoCAD attached anew" "$NO_DRAWING" "$(choose_with_box $MNU_LAND)"
check "palette still open" palette_shown
check_bytes "no settings written" "$APP/Vesk.ini" '[Palette]\r\nformNumber=1\r\n'
end_process "$QB_PID"
acad_act quit
check "the stand-in quit" wait_exit "$ACAD_PID" 20

# A release registered only under its own versioned class.
rm -f "$ACAD_LOG"
start_acad --versioned --control "$(winpath "$CONTROL")"
start_quillbar
check "palette shown beside a versioned AutoCAD" palette_shown
check "the choice returns without a box" choose_quietly $MNU_LAND
check_bytes "and arrives" "$ACAD_LOG" '<ESC><ESC>_Landscape<CR>\n'
end_process "$QB_PID"
acad_act quit
e2e_done
