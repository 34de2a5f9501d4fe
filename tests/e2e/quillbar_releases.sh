#!/usr/bin/env bash
# Two AutoCAD releases run at once, one registered under the version-independent
# name, one under its own versioned class: each choice goes to the one whose
# main window is in front at that moment: also a copy of one started again after
# it quit, and one started busy, once it answers; one computing behind is not
# waited for. AutoCAD's own windows above its main one are AutoCAD's: another
# program's window above stays above after a choice. Two copies of one release,
# the second in front: nothing goes to either, and a box says why.
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

# The release in front quits and a copy of it starts again under the same class:
# the copy, brought to the front, gets the choice, not the release behind.
acad_act_in "$E2E_DIR/old-control" quit
check "the versioned release quit" wait_exit "$OLD_PID" 20
ACAD_NAME=again start_acad --versioned --window "AutoCAD again" --control "$(winpath "$E2E_DIR/again-control")"
AGAIN_PID=$ACAD_PID AGAIN_LOG=$ACAD_LOG
front_then_choose again mnuLAND
check_bytes "the copy started again gets the choice" "$AGAIN_LOG" '<ESC><ESC>_Landscape<CR>\n'
check_bytes "the release behind gets nothing" "$NEW_LOG" '<ESC><ESC>_Cross<CR>\n'

# A release started busy, in front: the choice waits for it, then goes there.
acad_act_in "$E2E_DIR/new-control" quit
check "the other release quit" wait_exit "$NEW_PID" 20
BUSY=$E2E_DIR/busy
touch "$BUSY"
ACAD_NAME=busy start_acad --window "AutoCAD busy" --control "$(winpath "$E2E_DIR/busy-control")" \
  --busy-while "$(winpath "$BUSY")" --refusals "$(winpath "$E2E_DIR/refusals")"
BUSY_PID=$ACAD_PID BUSY_LOG=$ACAD_LOG
acad_act_in "$E2E_DIR/busy-control" raise
check "the busy release is in front" vdriver foreground --title "AutoCAD busy" --timeout 5000
vdriver command --class "$LAYOUT_CLASS" --item mnuSECTION &
sender=$!
check "the busy release refuses the palette's calls" wait_file "$E2E_DIR/refusals" 20
rm -f "$BUSY"
check "the choice is delivered once it answers" wait_exit "$sender" 20
check_bytes "the busy release in front gets it" "$BUSY_LOG" '<ESC><ESC>_Cross<CR>\n'
check_bytes "the idle release behind gets nothing" "$AGAIN_LOG" '<ESC><ESC>_Landscape<CR>\n'

# A release the palette has not met yet computes behind another program's window
# and the release in front: the choice does not wait for it.
ACAD_NAME=late start_acad --versioned --window "AutoCAD late" --control "$(winpath "$E2E_DIR/late-control")"
LATE_PID=$ACAD_PID LATE_LOG=$ACAD_LOG
acad_act_in "$E2E_DIR/again-control" quit
check "the idle release quit" wait_exit "$AGAIN_PID" 20
# Another program: a copy of the stand-in under another name, so no AutoCAD.
cp "$ACAD_EXE" "$E2E_DIR/other.exe"
ACAD_EXE=$E2E_DIR/other.exe ACAD_NAME=other start_acad --no-register --window "Other program" \
  --control "$(winpath "$E2E_DIR/other-control")"
OTHER_PID=$ACAD_PID
acad_act_in "$E2E_DIR/busy-control" raise
check "the release in front is active" vdriver foreground --title "AutoCAD busy" --timeout 5000
acad_act_in "$E2E_DIR/other-control" raise
check "another program is active above it" vdriver foreground --title "Other program" --timeout 5000
acad_act_in "$E2E_DIR/late-control" "compute 8000"
vdriver command --class "$LAYOUT_CLASS" --item mnuLAND &
sender=$!
check "the choice returns while the release behind computes" wait_exit "$sender" 4
check_bytes "the release in front gets it" "$BUSY_LOG" '<ESC><ESC>_Cross<CR>\n<ESC><ESC>_Landscape<CR>\n'
end_process "$QB_PID"
end_process "$OTHER_PID"
end_process "$BUSY_PID"
end_process "$LATE_PID"

# AutoCAD's floating command line above its main window, another program above both.
ACAD_NAME=own start_acad --window "AutoCAD own" --owned "Command line" --control "$(winpath "$E2E_DIR/own-control")"
OWN_PID=$ACAD_PID OWN_LOG=$ACAD_LOG
start_quillbar
check "palette shown" palette_shown
ACAD_EXE=$E2E_DIR/other.exe ACAD_NAME=other start_acad --no-register --window "Other program" \
  --control "$(winpath "$E2E_DIR/other-control")"
OTHER_PID=$ACAD_PID
acad_act_in "$E2E_DIR/other-control" raise
check "the other program is active" vdriver foreground --title "Other program" --timeout 5000
check "AutoCAD's command line is above its main window" \
  vdriver above --title "Command line" --below "AutoCAD own" --timeout 5000
vdriver command --class "$LAYOUT_CLASS" --item mnuLAND
check_bytes "the choice arrives" "$OWN_LOG" '<ESC><ESC>_Landscape<CR>\n'
check "after the choice the keyboard is AutoCAD's" vdriver foreground --title "AutoCAD own" --timeout 5000
check "the other program's window stays above AutoCAD's" \
  vdriver above --title "Other program" --below "AutoCAD own" --timeout 5000
check "AutoCAD's command line stays above its main window" \
  vdriver above --title "Command line" --below "AutoCAD own" --timeout 5000
end_process "$QB_PID"
end_process "$OTHER_PID"
end_process "$OWN_PID"

# Two copies of one release register one class, and the table gives out only the
# first: with the second in front nothing is sent, to either; with the first in
# front the next choice arrives.
ACAD_NAME=first start_acad --window "AutoCAD first" --control "$(winpath "$E2E_DIR/first-control")"
FIRST_PID=$ACAD_PID FIRST_LOG=$ACAD_LOG
ACAD_NAME=second start_acad --window "AutoCAD second" --control "$(winpath "$E2E_DIR/second-control")"
SECOND_PID=$ACAD_PID SECOND_LOG=$ACAD_LOG
start_quillbar
check "palette shown" palette_shown
acad_act_in "$E2E_DIR/second-control" raise
check "the second copy is in front" vdriver foreground --title "AutoCAD second" --timeout 5000
vdriver command --class "$LAYOUT_CLASS" --item mnuLAND &
sender=$!
text=$(vdriver box --title "Quillbar" --press ok --timeout 20000)
check_eq "a box says the second copy cannot be reached" "$(printf '%s\n%s' \
  "This AutoCAD is a second copy of a release that is already running, and Quillbar reaches only the copy started first, so _Landscape was not sent." \
  "Work in the first copy, or close this one, then choose the command again.")" "$text"
check "the choice returns after the box" wait_exit "$sender" 20
check "the palette stays" palette_shown
check "neither copy got the command" test ! -s "$FIRST_LOG" -a ! -s "$SECOND_LOG"
front_then_choose first mnuLAND
check_bytes "with the first copy in front the choice arrives" "$FIRST_LOG" '<ESC><ESC>_Landscape<CR>\n'
check "the second copy still got nothing" test ! -s "$SECOND_LOG"
end_process "$QB_PID"
end_process "$SECOND_PID"
end_process "$FIRST_PID"
e2e_done
