#!/usr/bin/env bash
# What a choice does besides sending: it ends a command that runs in AutoCAD
# first, however deep its prompt, as AutoCAD's own buttons do; it then hands the
# keyboard to AutoCAD's main window (not when that is minimised), as Esc does;
# nothing is raised, and the palette stays topmost where it is. Another program's WM_CLOSE saves
# the palette's place as "X" does.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
source "$VESK_ROOT/scripts/palette-driver.sh"
e2e_setup
fresh_app
palette_geometry
CONTROL=$E2E_DIR/acad-control
ACAD_TITLE="AutoCAD stand-in"
printf '[Palette]\r\nstartY=6000\r\nstartX=9000\r\nformNumber=1\r\n' >"$APP/Vesk.ini"

# Handled when vdriver returns.
choose() { vdriver command --class "$LAYOUT_CLASS" --item "$1"; }
# The palette's window line without its handle and pid.
palette_place() { palette_window | sed 's/^hwnd=[0-9]* pid=[0-9]* //'; }
# Clicks the title: the palette is then the active window.
click_title() {
  xdotool mousemove $(point 1 title) click 1
  check "the palette is active after a click on its title" vdriver foreground --title "" --timeout 5000
}

# A command runs, two prompts deep (an option inside a command): the choice ends
# it and starts its own; the next choice ends that one in turn.
start_acad --running 2 --window "$ACAD_TITLE" --control "$(winpath "$CONTROL")"
start_quillbar
check "palette shown" wait_layout 1
place=$(palette_place)
choose mnuLAND
choose mnuSECTION
check_bytes "each choice ends what runs, then starts its command" "$ACAD_LOG" \
  '<ESC><ESC>_Landscape<CR>\n<ESC><ESC>_Cross<CR>\n'

# The keyboard: a choice by the palette's keys, then Esc, each hand it to AutoCAD.
click_title
vdriver keys Return
check "Enter opens the first button's menu" vdriver window --class '#32768' --timeout 5000
vdriver keys i
check "after a choice the keyboard is AutoCAD's" vdriver foreground --title "$ACAD_TITLE" --timeout 5000
check_eq "the palette stays topmost where it was" "$place" "$(palette_place)"
click_title
vdriver keys Escape
check "Esc hands the keyboard to AutoCAD" vdriver foreground --title "$ACAD_TITLE" --timeout 5000
# Another program's window above AutoCAD's stays above it: nothing is raised.
MAIN_PID=$ACAD_PID MAIN_LOG=$ACAD_LOG
# Another program: a copy of the stand-in under another name, so no AutoCAD (an
# acad.exe that is not registered is an AutoCAD still starting).
cp "$ACAD_EXE" "$E2E_DIR/other.exe"
ACAD_EXE=$E2E_DIR/other.exe ACAD_NAME=other start_acad --no-register --window "Other program" \
  --control "$(winpath "$E2E_DIR/other-control")"
OTHER_PID=$ACAD_PID ACAD_PID=$MAIN_PID ACAD_LOG=$MAIN_LOG
acad_act_in "$E2E_DIR/other-control" raise
check "the other program is active" vdriver foreground --title "Other program" --timeout 5000
check "and above AutoCAD" vdriver above --title "Other program" --below "$ACAD_TITLE" --timeout 5000
choose mnuLAND
check "after a choice the keyboard is AutoCAD's" vdriver foreground --title "$ACAD_TITLE" --timeout 5000
check "the other program's window stays above AutoCAD's" \
  vdriver above --title "Other program" --below "$ACAD_TITLE" --timeout 5000
end_process "$OTHER_PID"
# Minimised, AutoCAD is left alone: the palette keeps the keyboard.
acad_act minimise
click_title
lines=$(log_lines "$ACAD_LOG")
vdriver keys Return
vdriver window --class '#32768' --timeout 5000 >/dev/null
vdriver keys i
check "the choice arrives" wait_log_grows "$ACAD_LOG" "$lines"
check "the palette answers once the choice is handled" vdriver answers --class "$LAYOUT_CLASS"
check_eq "AutoCAD minimised: the palette keeps the keyboard" "class=\"$LAYOUT_CLASS\" title=\"\"" \
  "$(vdriver foreground | tr -d '\r')"

# Closed by another program (the taskbar's Close, End task): saved as "X" does.
: >"$APP/Vesk.ini"
vdriver close --class "$LAYOUT_CLASS"
check "WM_CLOSE from another program ends the palette" wait_exit "$QB_PID" 15
check_bytes "and saves the layout and the place" "$APP/Vesk.ini" \
  '[Palette]\r\nstartY=6000\r\nstartX=9000\r\nformNumber=1\r\n'
end_process "$ACAD_PID"
e2e_done
