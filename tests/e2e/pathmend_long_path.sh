# A folder path of 300 characters, past the old MAX_PATH limit, with the program
# started through a "\\?\" path: the repair and the settings work end to end, and
# the .lsp file and the settings get the path as users write it, no "//?/" in it.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pathmend_lib.sh"
e2e_setup
base=$(winpath "$E2E_DIR")
# The last piece is at least one "x", whatever the length of the build folder: a piece
# ending in "/" would make an empty folder name.
parent="" piece="A folder with a rather long name for the add-on of this office"
while [ $(( ${#base} + ${#parent} + ${#piece} + 8 )) -le 300 ]; do parent+="$piece/"; done
filler=$(( 300 - ${#base} - ${#parent} - 6 ))
parent+=$(printf '%*s' "$filler" '' | tr ' ' x)
pm_folder "$parent"
PM_WIN="$base\\${parent//\//\\}\\Vesk"  # winepath cuts paths at 260 characters
PM_NEW="${PM_WIN//\\//}/Vesk.dvb"
check_eq "the folder's path has 300 characters" 300 "${#PM_WIN}"
pm_lsp_text lsp "C:/Apps/Vesk/Vesk.dvb"
printf '%s' "$lsp" >"$PM_LSP"
pm_ini_text ini 'C:\Apps\Vesk\'
printf '%s' "$ini" >"$PM_INI"

wine_start "\\\\?\\$PM_WIN\\Pathmend.exe"; PM_PID=$WINE_PID
check_eq "Ask box names the path as users write it" "$(pm_ask_text 'C:\Apps\Vesk\Vesk.dvb')" "$(pm_box Pathmend ok)"
check_eq "Fixed box" "$PM_FIXED_TEXT" "$(pm_box Pathmend ok)"
pm_done
pm_lsp_text lsp "$PM_NEW"
check_same "Vesk.lsp names the new path" "$PM_LSP" "$lsp"
pm_ini_text ini "$PM_WIN\\"
check_same "Vesk.ini records the folder" "$PM_INI" "$ini"

pm_start
pm_done  # a box would keep it waiting
check_same "next run: Vesk.lsp unchanged" "$PM_LSP" "$lsp"
e2e_done
