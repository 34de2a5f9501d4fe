# The temporary file beside the .lsp file, in a folder that others may write to.
# A link planted at its name (Wine follows Unix links in every file call, so it
# cannot be removed as itself here) stops the run with the box that names it: the
# link's target, the .lsp file and the settings stay as they were. Without it the
# repair goes through, and the new .lsp file keeps the old one's permissions.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pathmend_lib.sh"
e2e_setup
pm_folder "Shared"
pm_lsp_text lsp "C:/Apps/Vesk/Vesk.dvb"
printf '%s' "$lsp" >"$PM_LSP"
chmod 600 "$PM_LSP"
pm_ini_text ini 'C:\Apps\Vesk\'
printf '%s' "$ini" >"$PM_INI"
printf 'not yours' >"$E2E_DIR/victim"
ln -s "$E2E_DIR/victim" "$PM_LSP"_TEMP

pm_start
pm_box Pathmend ok >/dev/null
box=$(pm_box Pathmend ok)
check_eq "planted link: the box names the temporary file" \
  "Cannot remove the temporary file $PM_WIN\\Vesk.lsp_TEMP, so Vesk.lsp was not changed."$'\n\n'"Delete that file, or close the program that holds it open, then try again." \
  "$box"
pm_done
check_same "planted link: its target untouched" "$E2E_DIR/victim" "not yours"
check_same "planted link: Vesk.lsp unchanged" "$PM_LSP" "$lsp"
check_same "planted link: Vesk.ini unchanged" "$PM_INI" "$ini"

rm "$PM_LSP"_TEMP
pm_start
pm_box Pathmend ok >/dev/null
check_eq "Fixed box" "$PM_FIXED_TEXT" "$(pm_box Pathmend ok)"
pm_done
pm_lsp_text lsp "$PM_NEW"
check_same "Vesk.lsp repaired" "$PM_LSP" "$lsp"
# Wine maps permissions to Unix modes only roughly: others still get no access.
check_eq "Vesk.lsp keeps others out" "0" "$(stat -c %a "$PM_LSP" | tail -c 2)"
check "no temporary file" test ! -e "$PM_LSP"_TEMP
e2e_done
