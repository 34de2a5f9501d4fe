# A folder whose path the ANSI code page cannot spell (Greek in a Western code
# page): a clear box, and nothing is changed or created.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pathmend_lib.sh"
e2e_setup
pm_folder "Ωmega"
pm_lsp_text lsp "C:/Apps/Vesk/Vesk.dvb"
printf '%s' "$lsp" >"$PM_LSP"

pm_start
check_eq "the box" "The path of this folder has characters that the system's code page cannot represent, so it cannot be written into the .lsp file."$'\n\n'"Nothing was changed. Move or rename the folder so that its path has none of these characters, then run Pathmend again." \
  "$(pm_box Pathmend ok)"
pm_done
check_same "Vesk.lsp unchanged" "$PM_LSP" "$lsp"
check "no Vesk.ini created" test ! -e "$PM_INI"
e2e_done
