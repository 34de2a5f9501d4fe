# The folder moved: Cancel changes nothing; OK repairs the .lsp file, records the
# new folder and tells the user to reload; the next run is silent.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pathmend_lib.sh"
e2e_setup
pm_folder "Tools"
pm_lsp_text lsp "C:/Apps/Vesk/Vesk.dvb"
pm_ini_text ini 'C:\Apps\Vesk\'
printf '%s' "$lsp" >"$PM_LSP"
printf '%s' "$ini" >"$PM_INI"

pm_start
check_eq "Ask box (Cancel)" "$(pm_ask_text 'C:\Apps\Vesk\Vesk.dvb')" "$(pm_box Pathmend cancel)"
pm_done
check_same "Cancel: Vesk.lsp unchanged" "$PM_LSP" "$lsp"
check_same "Cancel: Vesk.ini unchanged" "$PM_INI" "$ini"

pm_start
check_eq "Ask box (OK)" "$(pm_ask_text 'C:\Apps\Vesk\Vesk.dvb')" "$(pm_box Pathmend ok)"
check_eq "Fixed box" "$PM_FIXED_TEXT" "$(pm_box Pathmend ok)"
pm_done
pm_lsp_text lsp "$PM_NEW"
pm_ini_text ini "$PM_WIN\\"
check_same "OK: Vesk.lsp repaired" "$PM_LSP" "$lsp"
check_same "OK: Vesk.ini records the folder" "$PM_INI" "$ini"
check "no temporary file" test ! -e "$PM_LSP"_TEMP

pm_start
pm_done
check_same "next run: Vesk.lsp unchanged" "$PM_LSP" "$lsp"
check_same "next run: Vesk.ini unchanged" "$PM_INI" "$ini"
e2e_done
