# Helpers for the palette's end-to-end tests; sourced after lib.sh.
LAYOUT_CLASS=QuillbarLayout

# A Linux path as the Wine prefix sees it (drive Z: is the root).
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# A fresh program folder with its own copy of Quillbar.exe, in $APP.
fresh_app() {
  APP=$E2E_DIR/${1:-app}
  mkdir -p "$APP"
  cp "$QUILLBAR_EXE" "$APP/Quillbar.exe"
}

# Starts the stand-in AutoCAD with extra options; waits until it is set up.
# Its log is $ACAD_LOG, its pid $ACAD_PID.
start_acad() {
  ACAD_LOG=$E2E_DIR/acad-log.txt
  local ready=$E2E_DIR/acad-ready
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
