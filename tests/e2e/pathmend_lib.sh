# Sourced by the pathmend_*.sh end-to-end tests after lib.sh: the real
# Pathmend.exe in a folder named Vesk, with real Vesk.lsp and Vesk.ini beside it.

# pm_folder PARENT: makes $E2E_DIR/PARENT/Vesk holding a copy of Pathmend.exe and a Vesk.dvb.
# PM_DIR is the folder, PM_WIN its Windows path (no final "\"), PM_NEW the new
# .dvb path as the .lsp file writes it (with "/").
pm_folder() {
  PM_DIR=$E2E_DIR/$1/Vesk
  mkdir -p "$PM_DIR"
  cp "$PATHMEND_EXE" "$PM_DIR/Pathmend.exe"
  : >"$PM_DIR/Vesk.dvb"
  PM_WIN=$(winpath "$PM_DIR")
  PM_NEW="${PM_WIN//\\//}/Vesk.dvb"
  PM_LSP=$PM_DIR/Vesk.lsp
  PM_INI=$PM_DIR/Vesk.ini
}

# The test files, into variable $1: an AutoLISP start-up file naming the .dvb file
# $2 (with bytes above 127 and CR LF line ends), and a settings file recording the
# folder $2, with another program's section too.
pm_lsp_text() { printf -v "$1" '%s' $';; Vesk start-up\r\n(vl-vbaload "'"$2"$'")\r\n(princ "\xC4\xE9 ok")\r\n'; }
pm_ini_text() { printf -v "$1" '%s' $'[Palette]\r\nformNumber=2\r\n\r\n[Vesk]\r\nSoftwarePath='"$2"$'\r\n'; }

pm_start() { wine_start "$PM_DIR/Pathmend.exe"; PM_PID=$WINE_PID; }

# pm_box TITLE PRESS: prints the text of the program's next box titled TITLE and
# answers it (ok or cancel); the box is closed when this returns.
pm_box() { vdriver box --title "$1" --press "$2" --timeout 30000; }

# pm_done: the program ended by itself in time.
pm_done() { check "Pathmend.exe ends" wait_exit "$PM_PID" 30; }

# check_same NAME FILE EXPECTED_BYTES: the file holds exactly these bytes.
check_same() {
  local expected=$E2E_DIR/expected.bin
  printf '%s' "$3" >"$expected"
  if cmp -s "$expected" "$2"; then pass "$1"; else
    fail "$1"
    echo "  expected:"; od -c "$expected" | sed 's/^/    /'
    echo "  actual:"; { [ -f "$2" ] && od -c "$2" || echo "<no file $2>"; } | sed 's/^/    /'
  fi
}

# The Ask box's text for an old path.
pm_ask_text() {
  printf '%s' "Vesk.dvb has moved from:"$'\n'"$1"$'\n'"to:"$'\n'"$PM_WIN\\Vesk.dvb"$'\n\n'"Attempt to fix Vesk.dvb filepaths in Vesk.lsp ..."
}
PM_FIXED_TEXT="Path to Vesk.dvb in Vesk.lsp Fixed!"$'\n\n'"Please use APPLOAD to reload Vesk.lsp in AutoCAD and check it's path in Startup Suite."

# pm_system LOCALE (el_GR, ja_JP): sets the test up on a system of that locale,
# whose ANSI code page Wine takes; the test fails at once when the locale is missing.
pm_system() {
  export LANG=$1.UTF-8 LC_ALL=$1.UTF-8
  e2e_setup
  locale -a | grep -qx "$1.utf8" || { fail "the $1.UTF-8 locale is missing (scripts/setup.sh makes it)"; e2e_done; }
}

# pm_encode VAR CODEPAGE TEXT: TEXT in that code page (iconv's name), into variable VAR.
pm_encode() { local s; s=$(printf '%s' "$3" | iconv -f UTF-8 -t "$2"; echo .); printf -v "$1" '%s' "${s%.}"; }
