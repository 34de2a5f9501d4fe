#!/usr/bin/env bash
# What a choice does besides sending: it ends a command that runs in AutoCAD
# first, however deep its prompt, as AutoCAD's own buttons do.
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

# A command runs, two prompts deep (an option inside a command): the choice ends
# it and starts its own; the next choice ends that one in turn.
start_acad --running 2 --window "$ACAD_TITLE" --control "$(winpath "$CONTROL")"
start_quillbar
check "palette shown" wait_layout 1
choose mnuLAND
choose mnuSECTION
check_bytes "each choice ends what runs, then starts its command" "$ACAD_LOG" \
  '<ESC><ESC>_Landscape<CR>\n<ESC><ESC>_Cross<CR>\n'

end_process "$QB_PID"
end_process "$ACAD_PID"
e2e_done
