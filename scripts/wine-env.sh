# Wine + Xvfb environment shared by the tests, the demo and the benchmarks.
# Source it, then call wine_ready (idempotent, safe to run from parallel tests).
#
#   VESK_WINE_DIR   where the prefix and the Xvfb state live (default: build/wine)
#   VESK_DISPLAY    use this X display instead of starting a private Xvfb
#   VESK_DPI        logical dpi of a newly made prefix (default 96)

VESK_ROOT=${VESK_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
VESK_WINE_DIR=${VESK_WINE_DIR:-$VESK_ROOT/build/wine}
export WINEPREFIX=${WINEPREFIX:-$VESK_WINE_DIR/prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# The stand-in AutoCAD registers its automation object under this class id.
VESK_ACAD_CLSID="{5B0C6E1A-3F7D-4C2B-9A61-2E8D4F3B7C10}"

# Start (or reuse) a private Xvfb and export DISPLAY.
wine_display() {
  if [ -n "${VESK_DISPLAY:-}" ]; then export DISPLAY=$VESK_DISPLAY; return 0; fi
  local pidf=$VESK_WINE_DIR/xvfb.pid dispf=$VESK_WINE_DIR/xvfb.display
  if [ -f "$pidf" ] && kill -0 "$(cat "$pidf")" 2>/dev/null; then
    export DISPLAY=$(cat "$dispf"); return 0
  fi
  local n=90 i
  while :; do
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp >"$VESK_WINE_DIR/xvfb.log" 2>&1 &
    echo $! >"$pidf"; echo ":$n" >"$dispf"
    for i in $(seq 1 100); do
      [ -e /tmp/.X11-unix/X$n ] && break
      kill -0 "$(cat "$pidf")" 2>/dev/null || break  # lost the race for :$n to another Xvfb
      sleep 0.1
    done
    [ -e /tmp/.X11-unix/X$n ] && kill -0 "$(cat "$pidf")" 2>/dev/null && break
    n=$((n + 1))
    [ $n -lt 200 ] || { echo "wine-env: no X display could be started" >&2; return 1; }
  done
  export DISPLAY=":$n"
}

# Make the prefix once: fresh boot, then the keys the tests rely on.
wine_prefix() {
  [ -f "$WINEPREFIX/.vesk-ready" ] && wine_fonts && return 0
  rm -rf "$WINEPREFIX"
  wineboot -i >"$VESK_WINE_DIR/wineboot.log" 2>&1
  # RegisterActiveObject fails while the wineserver that made the prefix still runs.
  wineserver -w
  local dpi=${VESK_DPI:-96} reg=$VESK_WINE_DIR/setup.reg
  printf -v dpihex '%08x' "$dpi"
  cat >"$reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:$dpihex

[HKEY_CURRENT_CONFIG\\Software\\Fonts]
"LogPixels"=dword:$dpihex

[HKEY_CLASSES_ROOT\\AutoCAD.Application\\CLSID]
@="$VESK_ACAD_CLSID"

[HKEY_CLASSES_ROOT\\CLSID\\$VESK_ACAD_CLSID\\ProgID]
@="AutoCAD.Application"
REG
  wine regedit /S "$reg" >>"$VESK_WINE_DIR/wineboot.log" 2>&1
  wineserver -w
  wine_fonts
  touch "$WINEPREFIX/.vesk-ready"
}

# Wine's own fonts (MS Sans Serif, Tahoma, ...; Debian's fonts-wine), where Windows
# keeps them: this Wine does not look in its data folder for them, and without
# them every face is drawn in DejaVu Sans.
wine_fonts() {
  local from=/usr/share/wine/fonts to=$WINEPREFIX/drive_c/windows/Fonts
  [ -d "$from" ] && [ -d "$to" ] || return 0
  [ -f "$to/sserife.fon" ] || cp "$from"/* "$to"/
}

# Start the prefix's wineserver and its background services (explorer, services,
# devices) ourselves, detached from every caller's output; the server lingers 30 s
# after its last client. Started by a program under test, they would keep that
# test's stdout open, and ctest would wait for them to end.
wine_server() {
  local rc=0
  wineserver -p30 </dev/null >/dev/null 2>&1 || rc=$?
  [ $rc -eq 2 ] && return 0  # a server already runs for this prefix
  [ $rc -eq 0 ] && wine cmd /c exit </dev/null >/dev/null 2>&1
}

wine_ready() {
  mkdir -p "$VESK_WINE_DIR"
  exec 8>"$VESK_WINE_DIR/lock"
  flock 8
  wine_display && wine_prefix && wine_server
  local rc=$?
  flock -u 8; exec 8>&-
  return $rc
}

# End everything this environment started: the prefix's processes, then Xvfb.
wine_stop() {
  wineserver -k 2>/dev/null || true
  local pidf=$VESK_WINE_DIR/xvfb.pid
  if [ -f "$pidf" ]; then kill "$(cat "$pidf")" 2>/dev/null || true; rm -f "$pidf"; fi
}
