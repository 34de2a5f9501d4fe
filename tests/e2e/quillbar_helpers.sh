# Helpers for the palette's end-to-end tests; sourced after lib.sh.

# The layout windows' class, from the palette's own tables (`vdriver facts`),
# read by e2e_setup once the Wine prefix is ready.
LAYOUT_CLASS=
e2e_after_setup() {
  LAYOUT_CLASS=$(vdriver facts | tr -d '\r' | sed -n 's/^class //p')
  [ -n "$LAYOUT_CLASS" ] || { echo "FAIL: vdriver facts named no window class"; exit 1; }
}


# A fresh program folder with its own copy of Quillbar.exe, in $APP.
fresh_app() {
  APP=$E2E_DIR/${1:-app}
  mkdir -p "$APP"
  cp "$QUILLBAR_EXE" "$APP/Quillbar.exe"
}

# Starts the stand-in AutoCAD with extra options; waits until it is set up.
# Its log is $ACAD_LOG, its pid $ACAD_PID; with ACAD_NAME set, its files are
# named after it (a second stand-in beside the first).
start_acad() {
  ACAD_LOG=$E2E_DIR/${ACAD_NAME:-acad}-log.txt
  local ready=$E2E_DIR/${ACAD_NAME:-acad}-ready
  rm -f "$ready"
  wine_start "$ACAD_EXE" --log "$(winpath "$ACAD_LOG")" --ready "$(winpath "$ready")" "$@"
  ACAD_PID=$WINE_PID
  local i
  for ((i = 0; i < 300; i++)); do
    [ -e "$ready" ] && return 0
    kill -0 "$ACAD_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "FAIL: the stand-in AutoCAD did not come up"
  exit 1
}

# The user acts in the stand-in AutoCAD started with --control "$CONTROL"
# (acad_act_in FILE ...: the one with that control file); waits until it has taken the acts in.
acad_act() { acad_act_in "$CONTROL" "$@"; }
acad_act_in() {
  local control=$1 i
  shift
  printf '%s\n' "$@" >"$control.new"
  mv "$control.new" "$control"
  for ((i = 0; i < 100; i++)); do [ -e "$control" ] || return 0; sleep 0.1; done
  echo "FAIL: the stand-in did not take: $*"; exit 1
}

# The palette's own settings file for this user, where it keeps them when its
# folder may not be changed: %LOCALAPPDATA%\Vesk\Vesk.ini as Wine names it, as a
# Linux path.
user_ini() {
  local local_app
  local_app=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
  [[ $local_app == [Cc]:\\* ]] || { echo "FAIL: Wine named no %LOCALAPPDATA%: $local_app" >&2; return 1; }
  echo "$(linux_path "$local_app")/Vesk/Vesk.ini"
}

# Starts $APP/Quillbar.exe; its pid is $QB_PID.
start_quillbar() {
  wine_start "$APP/Quillbar.exe"
  QB_PID=$WINE_PID
}

# Ends a process this test started and waits for it to be gone.
end_process() {
  kill "$1" 2>/dev/null || true
  wait_exit "$1" 20 || kill -9 "$1" 2>/dev/null || true
}

# The palette window's line from `vdriver window`, or empty.
palette_window() { vdriver window --class "$LAYOUT_CLASS" --timeout "${1:-20000}"; }
palette_shown() { palette_window "$@" >/dev/null; }

# Waits at most $2 seconds for process $1 (started by this test) to end and sets
# EXIT_CODE to its exit code, or to "running" when it did not end in time.
wait_exit_code() {
  local pid=$1 limit=$(( $2 * 10 )) i
  EXIT_CODE=running
  for ((i = 0; i < limit; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" 2>/dev/null
      EXIT_CODE=$?
      return 0
    fi
    sleep 0.1
  done
}

# The text captions of the layouts with a title strip, as "control twips-rect
# alignment": each rectangle is the part where the caption's own ink may lie
# (the titles end where "/" begins and above Line1; lblX starts where lblMin
# ends; on Form4 all end where the icons begin). The framed "/" and "X" of the banner layouts are left out: their
# frames are ink at the very edges.
declare -A CAPTIONS=(
  [1]="lblTitle:0,45,1200,210:left Label1:0,360,1575,259:left Label2:0,720,1575,255:left
       Label3:0,1080,1575,255:left Label4:0,1440,1575,240:left lblMin:1200,0,255,255:centre lblX:1455,0,240,255:centre"
  [4]="lblTitle:0,10,1440,240:left lblMin:1440,0,240,250:centre lblX:1680,0,240,250:centre"
)

# ink_columns FILE X Y W H: the first and last pixel column (from the region's
# left) holding ink, darker than the button face, or "none".
ink_columns() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray -depth 8 txt:- |
    awk -F'[,:() ]+' 'NR > 1 && $3 < 200 { if (first == "" || $1 < first) first = $1; if ($1 > last) last = $1 }
                      END { print (first == "" ? "none" : first " " last) }'
}

# captions_whole LAYOUT SCREENSHOT: every caption of the layout is drawn whole:
# its ink stops short of its control's right edge (and, centred, of its left
# edge). A caption cut off at its control leaves ink in the edge column, or in
# the one before it when the edge falls in the gap between two letters.
captions_whole() {
  local entry name rect align x0 y0 x1 y1 w h first last
  for entry in ${CAPTIONS[$1]:-}; do
    IFS=: read -r name rect align <<<"$entry"
    IFS=, read -r x0 y0 w h <<<"$rect"
    x1=$(palette_px $((x0 + w))) y1=$(palette_px $((y0 + h))) x0=$(palette_px "$x0") y0=$(palette_px "$y0")
    w=$((x1 - x0))
    read -r first last <<<"$(ink_columns "$2" "$x0" "$y0" "$w" $((y1 - y0)))"
    echo "  Form$1 $name: ink in columns $first..${last:-} of 0..$((w - 1))"
    check "Form$1: $name drawn whole" test "$first" != none -a "${last:-$w}" -lt $((w - 2)) \
      -a \( "$align" = left -o "$first" -gt 1 \)
  done
}
