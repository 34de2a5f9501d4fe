#!/usr/bin/env bash
# Passes when every DLL that the given Windows programs import is one of the
# system's known DLLs, which Windows maps from the system folder whatever lies
# beside the program: so each program runs from a bare copy of its one file, and
# a DLL planted beside it is never imported. Any other DLL is loaded at run time
# from the system folder (common/system_dll.h).
set -uo pipefail
known_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll shlwapi.dll ole32.dll oleaut32.dll
  comdlg32.dll msvcrt.dll imm32.dll psapi.dll ws2_32.dll rpcrt4.dll sechost.dll setupapi.dll "
known_dlls=" $(echo $known_dlls) "  # one blank between names
status=0
for exe in "$@"; do
  [ -f "$exe" ] || { echo "FAIL: $exe does not exist"; status=1; continue; }
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || { echo "FAIL: $(basename "$exe"): no import table found"; status=1; continue; }
  for dll in $dlls; do
    case "$known_dlls" in
      *" $dll "*) ;;
      *) echo "FAIL: $(basename "$exe") imports $dll, which is not one of the system's known DLLs"; status=1 ;;
    esac
  done
  [ $status -eq 0 ] && echo "ok: $(basename "$exe") imports only:" $dlls
done
exit $status
