#!/usr/bin/env bash
# The first layout window: the minimal layout on a first start, centred by its
# top-left corner; the stored formNumber picks the layout, rounding halves to even.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
e2e_setup
fresh_app
start_acad

screen=$(vdriver screen | tr -d '\r')
sw=$(field "$screen" w) sh=$(field "$screen" h)
check_eq "screen at 96 dpi" 96 "$(field "$screen" dpi)"

start_quillbar
win=$(palette_window)
check_eq "first start: client width" 128 "$(field "$win" cx)"
check_eq "first start: client height" 49 "$(field "$win" cy)"
check_eq "first start: left at half the screen width" $((sw / 2)) "$(field "$win" x)"
check_eq "first start: top at half the screen height" $((sh / 2)) "$(field "$win" y)"
check_eq "first start: topmost" 1 "$(field "$win" topmost)"
style=$(field "$win" style)
check_eq "no caption, no frame" 0 $((style & 0x00CF0000))
check_eq "pop-up window" $((0x80000000)) $((style & 0x80000000))
check_eq "empty caption" '""' "$(field "$win" caption)"
end_process "$QB_PID"

# formNumber, expected client size, and a saved position that the layout takes.
for run in "2 128 107" "3.5 128 49"; do
  set -- $run
  printf '[Palette]\r\nformNumber=%s\r\nstartX=1500\r\nstartY=3000\r\n' "$1" >"$APP/Vesk.ini"
  start_quillbar
  win=$(palette_window)
  check_eq "formNumber=$1: client size" "$2x$3" "$(field "$win" cx)x$(field "$win" cy)"
  check_eq "formNumber=$1: saved position" "100,200" "$(field "$win" x),$(field "$win" y)"
  end_process "$QB_PID"
done
check_bytes "start-up never writes the settings" "$APP/Vesk.ini" \
  '[Palette]\r\nformNumber=3.5\r\nstartX=1500\r\nstartY=3000\r\n'
end_process "$ACAD_PID"
e2e_done
