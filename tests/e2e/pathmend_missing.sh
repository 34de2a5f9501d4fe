# No .lsp file: "File not Found" from the replacement, then NotFixed; the settings
# keep the old folder and no .lsp file is created.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pathmend_lib.sh"
e2e_setup
pm_folder "Tools"
pm_ini_text ini 'C:\Apps\Vesk\'
printf '%s' "$ini" >"$PM_INI"

pm_start
check_eq "Ask box" "$(pm_ask_text 'C:\Apps\Vesk\Vesk.dvb')" "$(pm_box Pathmend ok)"
check_eq "File not Found box" "File not Found: $PM_WIN\\Vesk.lsp" "$(pm_box ReplaceTextInFile ok)"
check_eq "NotFixed box" "An error occured while accessing Vesk.lsp"$'\n'"Vesk.dvb paths are not fixed in Vesk.lsp" \
  "$(pm_box Pathmend ok)"
pm_done
check_same "Vesk.ini unchanged" "$PM_INI" "$ini"
check "no Vesk.lsp created" test ! -e "$PM_LSP"
e2e_done
