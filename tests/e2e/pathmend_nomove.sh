# Run from the folder that the settings record: no box at all, and the files keep
# their bytes and their time stamps.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pathmend_lib.sh"
e2e_setup
pm_folder "Tools"
pm_lsp_text lsp "C:/Apps/Vesk/Vesk.dvb"
pm_ini_text ini "$PM_WIN\\"
printf '%s' "$lsp" >"$PM_LSP"
printf '%s' "$ini" >"$PM_INI"
touch -d '2020-01-02 03:04:05' "$PM_LSP" "$PM_INI"

pm_start
# A box would keep the program waiting for an answer: ending in time means none was shown.
pm_done
check_same "Vesk.lsp unchanged" "$PM_LSP" "$lsp"
check_same "Vesk.ini unchanged" "$PM_INI" "$ini"
check_eq "time stamps unchanged" "2020-01-02 03:04:05 2020-01-02 03:04:05" \
  "$(date -r "$PM_LSP" '+%F %T') $(date -r "$PM_INI" '+%F %T')"
check "no temporary file" test ! -e "$PM_LSP"_TEMP
e2e_done
