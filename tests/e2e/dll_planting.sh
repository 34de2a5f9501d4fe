#!/usr/bin/env bash
# DLLs planted beside a program, named like system DLLs that it or the system's
# own DLLs load by name, with Wine told to prefer a DLL found on the search path
# to its own: the program takes none of them and still works. Each planted DLL
# leaves <name>.loaded beside itself when loaded. One program per run:
#   dll_planting.sh quillbar   start, a tooltip, a screen reader, a menu command, "/" and "X"
#   dll_planting.sh pathmend   a repair of a moved folder, both boxes answered
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/quillbar_helpers.sh"
source "$(dirname "$0")/pathmend_lib.sh"
source "$VESK_ROOT/scripts/palette-driver.sh"
program=${1:?quillbar or pathmend}
E2E_NAME=dll_planting_$program
e2e_setup
PLANTED="shcore uxtheme dwmapi oleacc"
PREFER_PLANTED="$WINEDLLOVERRIDES;${PLANTED// /,}=n,b"

# plant FOLDER: the planted DLLs into FOLDER.
palette_tooltip_shown() { vdriver window --class tooltips_class32 --timeout 8000 >/dev/null; }

reader_reads_palette() {
  wine "$A11Y_EXE" tree --layout 1 2>/dev/null | tr -d '\r' | grep -qx '6 pushbutton Close Menu'
}

plant() { local dll; for dll in $PLANTED; do cp "$PLANTED_DLL" "$1/$dll.dll"; done; }

# check_nothing_loaded FOLDER: no planted DLL was loaded.
check_nothing_loaded() {
  local dll loaded=""
  for dll in $PLANTED; do [ -e "$1/$dll.dll.loaded" ] && loaded+=" $dll.dll"; done
  check_eq "no planted DLL was loaded" "" "$loaded"
}

if [ "$program" = quillbar ]; then
  fresh_app
  plant "$APP"
  palette_geometry
  start_acad
  printf '[Palette]\r\nstartY=2250\r\nstartX=3000\r\nformNumber=1\r\n' >"$APP/Vesk.ini"
  # The loader's log shows where each DLL came from.
  WINEDLLOVERRIDES=$PREFER_PLANTED WINEDEBUG=-all,+loaddll start_quillbar
  if check "the palette opens" wait_layout 1; then
    xdotool mousemove $(point 1 button4)
    check "resting on a button shows its tooltip" palette_tooltip_shown
    # A screen reader's first request is what brings oleacc in.
    check "a screen reader reads the palette's controls" reader_reads_palette
    check "a held press opens the menu" menu_pick 1 "Import XYZ Points"
    wait_log_grows "$ACAD_LOG" 0
    check_bytes "the chosen command reaches AutoCAD" "$ACAD_LOG" '<ESC><ESC>_ImportXYZ<CR>\n'
    xdotool mousemove $(point 1 lblMin) click 1
    check "\"/\" switches to the next layout" wait_layout 2
    xdotool mousemove $(point 2 lblX) click 1
    check "\"X\" ends the program" wait_exit "$QB_PID" 15
    check_bytes "\"X\" saved the layout" "$APP/Vesk.ini" '[Palette]\r\nstartY=2250\r\nstartX=3000\r\nformNumber=2\r\n'
  fi
  end_process "$QB_PID"
  end_process "$ACAD_PID"
  check_nothing_loaded "$APP"
  # Tooltips of version 6 need comctl32 as the manifest names it, from the side-by-side store.
  comctl32=$(grep -i 'Loaded.*comctl32' "$E2E_DIR/wine.log" | head -n 1)
  check "comctl32 came from the side-by-side store: $comctl32" grep -qi winsxs <<<"$comctl32"
else
  pm_folder planted
  plant "$PM_DIR"
  pm_lsp_text lsp "C:/Apps/Vesk/Vesk.dvb"
  printf '%s' "$lsp" >"$PM_LSP"
  pm_ini_text ini 'C:\Apps\Vesk\'
  printf '%s' "$ini" >"$PM_INI"
  WINEDLLOVERRIDES=$PREFER_PLANTED pm_start
  check_eq "the Ask box" "$(pm_ask_text 'C:\Apps\Vesk\Vesk.dvb')" "$(pm_box Pathmend ok)"
  check_eq "the Fixed box" "$PM_FIXED_TEXT" "$(pm_box Pathmend ok)"
  pm_done
  pm_lsp_text lsp "$PM_NEW"
  check_same "Vesk.lsp repaired" "$PM_LSP" "$lsp"
  check_nothing_loaded "$PM_DIR"
fi
e2e_done
