#!/usr/bin/env bash
# Passes when every DLL that the given Windows programs import is part of Windows
# itself, so each program runs from a bare copy of its one file.
set -uo pipefail
system_dlls=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll shlwapi.dll ole32.dll oleaut32.dll
  comctl32.dll comdlg32.dll msvcrt.dll version.dll psapi.dll windowscodecs.dll uxtheme.dll ws2_32.dll "
system_dlls=" $(echo $system_dlls) "  # one blank between names
status=0
for exe in "$@"; do
  [ -f "$exe" ] || { echo "FAIL: $exe does not exist"; status=1; continue; }
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  [ -n "$dlls" ] || { echo "FAIL: $(basename "$exe"): no import table found"; status=1; continue; }
  for dll in $dlls; do
    case "$system_dlls" in
      *" $dll "*) ;;
      *) echo "FAIL: $(basename "$exe") imports $dll, which is not a Windows system DLL"; status=1 ;;
    esac
  done
  [ $status -eq 0 ] && echo "ok: $(basename "$exe") imports only:" $dlls
done
exit $status
