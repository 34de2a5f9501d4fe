# A Greek system (code page 1253): the folder, first at C:\Έργα\Vesk, now lies
# in a folder named Νέα. A .lsp in UTF-8, with the mark or without, gets the new
# path in UTF-8; one in code page 1253 gets it in 1253. The settings file stays in 1253.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pathmend_lib.sh"
pm_system el_GR
cp1253() { pm_encode "$1" CP1253 "$2"; }  # cp1253 VAR TEXT
mark=$'\xEF\xBB\xBF'

for case in mark nomark cp1253; do
  pm_folder "$case/Νέα"
  pm_lsp_text old_lsp "C:/Έργα/Vesk/Vesk.dvb"
  pm_lsp_text new_lsp "$PM_NEW"
  # the test file's own "\xC4\xE9" is not UTF-8: stand Greek in for it
  old_lsp=${old_lsp//$'\xC4\xE9'/Εντάξει} new_lsp=${new_lsp//$'\xC4\xE9'/Εντάξει}
  case $case in
    mark) old_lsp=$mark$old_lsp new_lsp=$mark$new_lsp ;;
    cp1253) cp1253 old_lsp "$old_lsp"; cp1253 new_lsp "$new_lsp" ;;
  esac
  printf '%s' "$old_lsp" >"$PM_LSP"
  pm_ini_text ini 'C:\Έργα\Vesk\'
  cp1253 ini "$ini"
  printf '%s' "$ini" >"$PM_INI"

  pm_start
  pm_box Pathmend ok >/dev/null
  check_eq "$case: Fixed box" "$PM_FIXED_TEXT" "$(pm_box Pathmend ok)"
  pm_done
  check_same "$case: Vesk.lsp repaired in its own encoding" "$PM_LSP" "$new_lsp"
  pm_ini_text ini "$PM_WIN\\"
  cp1253 ini "$ini"
  check_same "$case: Vesk.ini records the folder in code page 1253" "$PM_INI" "$ini"
done
e2e_done
