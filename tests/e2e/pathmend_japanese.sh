# A Japanese system (code page 932), where one letter takes two bytes and the
# second may be the code of "\" (ソ is 83 5C) or "[" (ー is 81 5B): the folder, once
# at C:\Apps\Vesk, now lies in C:\vesk-e2e\データ\ソフト\Vesk. OK repairs the .lsp file
# with each letter's bytes intact and records the folder so that it reads back (no
# NotStored box), and the next run is silent. The settings store Quillbar uses
# writes and reads its keys in a Vesk.ini there too.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pathmend_lib.sh"
pm_system ja_JP
cp932() { pm_encode "$1" CP932 "$2"; }  # cp932 VAR TEXT

# On drive C:, as a user's folder would be; removed at the end.
root=$WINEPREFIX/drive_c/vesk-e2e
rm -rf "$root"
trap 'e2e_cleanup; rm -rf "$root"' EXIT
PM_DIR=$root/データ/ソフト/Vesk
mkdir -p "$PM_DIR"
cp "$PATHMEND_EXE" "$PM_DIR/Pathmend.exe"
: >"$PM_DIR/Vesk.dvb"
PM_LSP=$PM_DIR/Vesk.lsp PM_INI=$PM_DIR/Vesk.ini
win='C:\vesk-e2e\データ\ソフト\Vesk'

# the test file's own "\xC4\xE9" is not UTF-8: stand Japanese in for it
pm_lsp_text lsp "C:/Apps/Vesk/Vesk.dvb"
lsp=${lsp//$'\xC4\xE9'/表示}
cp932 lsp "$lsp"
printf '%s' "$lsp" >"$PM_LSP"
pm_ini_text ini 'C:\Apps\Vesk\'
printf '%s' "$ini" >"$PM_INI"

pm_start
pm_box Pathmend ok >/dev/null
check_eq "Fixed box" "$PM_FIXED_TEXT" "$(pm_box Pathmend ok)"
pm_done  # ended after Fixed: no NotStored box
pm_lsp_text lsp "C:/vesk-e2e/データ/ソフト/Vesk/Vesk.dvb"
lsp=${lsp//$'\xC4\xE9'/表示}
cp932 lsp "$lsp"
check_same "Vesk.lsp names the new path in code page 932" "$PM_LSP" "$lsp"
pm_ini_text ini "$win\\"
cp932 ini "$ini"
check_same "Vesk.ini records the folder in code page 932" "$PM_INI" "$ini"

touch -d '2020-01-02 03:04:05' "$PM_LSP" "$PM_INI"
pm_start
pm_done  # a box would keep it waiting
check_eq "next run: neither file written" "2020-01-02 03:04:05 2020-01-02 03:04:05" \
  "$(date -r "$PM_LSP" '+%F %T') $(date -r "$PM_INI" '+%F %T')"

writer=$(dirname "$VDRIVER_EXE")/../settings/ini_writer.exe
: >"$PM_DIR/gate"
check_eq "the store writes Palette keys there" "written=5 failed=0" \
  "$(wine "$writer" write "$win\\Vesk.ini" Palette key 5 "$win\\gate" 2>>"$E2E_DIR/wine.log" | tr -d '\r')"
check_eq "and reads them back" "5" "$(wine "$writer" count "$win\\Vesk.ini" Palette key 5 2>>"$E2E_DIR/wine.log" | tr -d '\r')"
check "the recorded folder stays" grep -qF "SoftwarePath=" "$PM_INI"
e2e_done
