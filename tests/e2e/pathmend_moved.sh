# The folder moved, run after run in one folder as a user meets it: with no .lsp
# file, and with the old path written only with single backslashes (escapes in
# AutoLISP, so no path), OK changes nothing and says why; Cancel changes nothing; OK on a .lsp that names the old
# path repairs it, records the new folder and tells the user to reload; the next
# run from there shows no box and leaves both files as they were.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pathmend_lib.sh"
e2e_setup
pm_folder "Tools"
pm_ini_text ini 'C:\Apps\Vesk\'
printf '%s' "$ini" >"$PM_INI"
old_ask=$(pm_ask_text 'C:\Apps\Vesk\Vesk.dvb')

# No .lsp file: the replacement's own box, then NotFixed.
pm_start
check_eq "no .lsp: Ask box" "$old_ask" "$(pm_box Pathmend ok)"
check_eq "no .lsp: File not Found box" "File not Found: $PM_WIN\\Vesk.lsp" "$(pm_box ReplaceTextInFile ok)"
check_eq "no .lsp: NotFixed box" "An error occured while accessing Vesk.lsp"$'\n'"Vesk.dvb paths are not fixed in Vesk.lsp" \
  "$(pm_box Pathmend ok)"
pm_done
check_same "no .lsp: Vesk.ini unchanged" "$PM_INI" "$ini"
check "no .lsp: none created" test ! -e "$PM_LSP"

# The old path only with single backslashes: nothing to replace, so nothing is
# written or recorded.
pm_lsp_text lsp 'C:\Apps\Vesk\Vesk.dvb'
printf '%s' "$lsp" >"$PM_LSP"
touch -d '2020-01-02 03:04:05' "$PM_LSP"
pm_start
check_eq "not found: Ask box" "$old_ask" "$(pm_box Pathmend ok)"
check_eq "not found: its box" "C:/Apps/Vesk/Vesk.dvb was not found in Vesk.lsp, so nothing was changed."$'\n'\
"Check the path to Vesk.dvb in Vesk.lsp and in AutoCAD's Startup Suite." "$(pm_box Pathmend ok)"
pm_done
check_same "not found: Vesk.lsp unchanged" "$PM_LSP" "$lsp"
check_eq "not found: Vesk.lsp not rewritten" "2020-01-02 03:04:05" "$(date -r "$PM_LSP" '+%F %T')"
check_same "not found: Vesk.ini unchanged" "$PM_INI" "$ini"

pm_lsp_text lsp "C:/Apps/Vesk/Vesk.dvb"
printf '%s' "$lsp" >"$PM_LSP"
pm_start
check_eq "Ask box (Cancel)" "$old_ask" "$(pm_box Pathmend cancel)"
pm_done
check_same "Cancel: Vesk.lsp unchanged" "$PM_LSP" "$lsp"
check_same "Cancel: Vesk.ini unchanged" "$PM_INI" "$ini"

pm_start
check_eq "Ask box (OK)" "$old_ask" "$(pm_box Pathmend ok)"
check_eq "Fixed box" "$PM_FIXED_TEXT" "$(pm_box Pathmend ok)"
pm_done
pm_lsp_text lsp "$PM_NEW"
pm_ini_text ini "$PM_WIN\\"
check_same "OK: Vesk.lsp repaired" "$PM_LSP" "$lsp"
check_same "OK: Vesk.ini records the folder" "$PM_INI" "$ini"
check "no temporary file" test ! -e "$PM_LSP"_TEMP

# The folder the settings now record, as Windows spells it: no box (one would
# keep the program waiting), and neither file written again.
touch -d '2020-01-02 03:04:05' "$PM_LSP" "$PM_INI"
pm_start
pm_done
check_same "next run: Vesk.lsp unchanged" "$PM_LSP" "$lsp"
check_same "next run: Vesk.ini unchanged" "$PM_INI" "$ini"
check_eq "next run: time stamps unchanged" "2020-01-02 03:04:05 2020-01-02 03:04:05" \
  "$(date -r "$PM_LSP" '+%F %T') $(date -r "$PM_INI" '+%F %T')"
e2e_done
