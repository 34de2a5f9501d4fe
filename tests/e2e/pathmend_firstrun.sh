# First run, no settings file: Ask names the bare .dvb name; on OK every whole
# path ending in Vesk.dvb, in any letter case and before a macro's "!", becomes
# the new path, a piece that strcat joins to the folder at load time stays, and
# the folder is recorded.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/pathmend_lib.sh"
e2e_setup
pm_folder "Tools 2"
printf '%s' $'(vl-vbaload "c:/apps/vesk/vesk.dvb")\r\n(vl-vbarun "C:/Apps/Vesk/Vesk.dvb!Main.Start")\r\n(princ "C:/x/MyVesk.dvb")\r\n(vl-vbarun (strcat (prefix) "vesk/Vesk.dvb!Main.Start"))\r\n' >"$PM_LSP"

pm_start
check_eq "Ask box" "$(pm_ask_text "Vesk.dvb")" "$(pm_box Pathmend ok)"
check_eq "Fixed box" "$PM_FIXED_TEXT" "$(pm_box Pathmend ok)"
pm_done
check_same "Vesk.lsp repaired" "$PM_LSP" \
  $'(vl-vbaload "'"$PM_NEW"$'")\r\n(vl-vbarun "'"$PM_NEW"$'!Main.Start")\r\n(princ "C:/x/MyVesk.dvb")\r\n(vl-vbarun (strcat (prefix) "vesk/Vesk.dvb!Main.Start"))\r\n'
check_same "Vesk.ini records the folder" "$PM_INI" $'[Vesk]\r\nSoftwarePath='"$PM_WIN"$'\\\r\n'
e2e_done
