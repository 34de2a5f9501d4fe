#!/usr/bin/env bash
# A busy AutoCAD refuses every call while the test's busy file exists. A command
# refused for a moment arrives once, with no box; one refused throughout ends in
# the busy box, and the palette then still sends the next command; a screen
# reader's default action during the wait opens no menu and loses no choice; a palette
# closed while it waits stops trying at once; an error
# AutoCAD raises after the wait still ends the palette with the error report. A
# command that computes right after AutoCAD took it never holds the palette.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
e2e_setup
fresh_app
BUSY=$E2E_DIR/busy
REFUSALS=$E2E_DIR/refusals.txt
start_acad --busy-while "$(winpath "$BUSY")" --refusals "$(winpath "$REFUSALS")"
printf '[Palette]\r\nformNumber=4\r\n' >"$APP/Vesk.ini"

MNU_LAND=mnuLAND
MNU_SECTION=mnuSECTION
start_quillbar
check "palette shown" palette_shown

# A Landscape choice sent while AutoCAD is busy, from a fresh log; `sender` is its
# driver, which returns once the choice has been delivered or given up.
busy_choice() {
  rm -f "$ACAD_LOG" "$REFUSALS"
  touch "$BUSY"
  vdriver command --class "$LAYOUT_CLASS" --item $MNU_LAND &
  sender=$!
}

# Busy for a moment: free again once AutoCAD has refused at least once.
busy_choice
check "AutoCAD refuses while busy" wait_file "$REFUSALS" 20
rm -f "$BUSY"
check "the command is delivered without a box" wait_exit "$sender" 20
check_bytes "it arrives once, unchanged" "$ACAD_LOG" '<ESC><ESC>_Landscape<CR>\n'

# A screen reader presses a command button while a choice waits: no menu opens
# inside the wait, and the waiting choice arrives once AutoCAD is free.
busy_choice
wait_file "$REFUSALS" 20
wine "$A11Y_EXE" do --child 2
# Two more refusals: the wait has handled what the reader posted.
refused=$(wc -l <"$REFUSALS")
for ((i = 0; i < 100; i++)); do [ "$(wc -l <"$REFUSALS")" -ge $((refused + 2)) ] && break; sleep 0.1; done
rm -f "$BUSY"
check "the waiting choice is delivered" wait_exit "$sender" 20
check_eq "no menu opened" 0 "$(vdriver count --class '#32768' | tr -d '\r')"
check_bytes "it arrives once" "$ACAD_LOG" '<ESC><ESC>_Landscape<CR>\n'

# Busy throughout: the box after the wait; a choice made meanwhile is not acted on.
busy_choice
wait_file "$REFUSALS" 20
check "a second choice while waiting returns" vdriver command --class "$LAYOUT_CLASS" --item $MNU_SECTION
text=$(vdriver box --title "Quillbar" --press ok --timeout 30000)
check_eq "the busy box names the command" $'AutoCAD is busy and did not take the command _Landscape.\nFinish or cancel what AutoCAD is doing, then choose the command again.' "$text"
check "the choice returns after the box" wait_exit "$sender" 20
check "nothing arrived while busy" test ! -s "$ACAD_LOG"
check "palette still open" palette_shown
rm -f "$BUSY"
vdriver command --class "$LAYOUT_CLASS" --item $MNU_SECTION
check_bytes "the next choice arrives once" "$ACAD_LOG" '<ESC><ESC>_Cross<CR>\n'
check_bytes "no settings written" "$APP/Vesk.ini" '[Palette]\r\nformNumber=4\r\n'

# Closed from the taskbar while AutoCAD is busy: the palette ends without another
# try or a box, and the command does not arrive once AutoCAD is free.
busy_choice
wait_file "$REFUSALS" 20
vdriver close --class "$LAYOUT_CLASS"
check "the palette window goes" vdriver gone --class "$LAYOUT_CLASS" --timeout 20000
rm -f "$BUSY"
wait_exit_code "$QB_PID" 20
check_eq "the program then ends" 0 "$EXIT_CODE"
wait "$sender" 2>/dev/null
check "nothing arrived once AutoCAD was free" test ! -s "$ACAD_LOG"
end_process "$ACAD_PID"

# Busy, then AutoCAD raises an error of its own: the error report and the end.
start_acad --fail-send --busy-while "$(winpath "$BUSY")" --refusals "$(winpath "$REFUSALS")"
start_quillbar
check "palette shown" palette_shown
busy_choice
wait_file "$REFUSALS" 20
rm -f "$BUSY"
text=$(vdriver box --title "Quillbar" --press ok --timeout 20000)
check_eq "error report names the error" $'Error 0x80004005:\nThe command line is not available.' "$text"
wait_exit_code "$QB_PID" 20
check_eq "program ends after the report" 1 "$EXIT_CODE"
wait "$sender" 2>/dev/null
end_process "$ACAD_PID"

# The command computes on AutoCAD's thread right after AutoCAD took it (its
# command line above its main window): the palette is free meanwhile, answers and
# can be dragged by its title, and its next choice arrives once AutoCAD is done.
source "$VESK_ROOT/scripts/palette-driver.sh"
palette_geometry
rm -f "$ACAD_LOG"
start_acad --window "AutoCAD stand-in" --owned "Command line" --compute 8000
printf '[Palette]\r\nformNumber=1\r\n' >"$APP/Vesk.ini"
start_quillbar
check "palette shown" wait_layout 1
vdriver command --class "$LAYOUT_CLASS" --item $MNU_LAND &
sender=$!
check "the choice arrives" wait_file "$ACAD_LOG" 20
check "the choice returns while AutoCAD computes" wait_exit "$sender" 4
check "the palette answers at once" vdriver answers --class "$LAYOUT_CLASS" --timeout 1000
read_window
x0=$WX
read -r x y <<<"$(point 1 title)"
xdotool mousemove "$x" "$y" mousedown 1
for step in 1 2 3 4; do xdotool mousemove $((x + 10 * step)) "$y"; done
xdotool mouseup 1
moved() { local i; for ((i = 0; i < 30; i++)); do read_window && [ "$WX" != "$x0" ] && return 0; sleep 0.1; done; return 1; }
check "it can be dragged by its title meanwhile" moved
vdriver command --class "$LAYOUT_CLASS" --item $MNU_SECTION &
sender=$!
check "the next choice arrives once AutoCAD is done" wait_exit "$sender" 20
check_bytes "both arrive once" "$ACAD_LOG" '<ESC><ESC>_Landscape<CR>\n<ESC><ESC>_Cross<CR>\n'
end_process "$QB_PID"
end_process "$ACAD_PID"
e2e_done
