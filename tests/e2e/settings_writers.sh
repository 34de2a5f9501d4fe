# Separate processes writing one settings file through the real store (the test
# tool ini_writer): two writers at once keep every key, also under Wine from two
# prefixes, each with a wineserver of its own, as two computers sharing a network
# folder; a lock holder that is killed does not block the next writer, and its
# lock file serves that write; one that lives on makes it fail after its wait;
# under Wine, a file held open for a moment does not fail the write.
# Runs natively (INI_WRITER_WINE=0) and under Wine (1).
source "$(dirname "$0")/lib.sh"
if [ "${INI_WRITER_WINE:-0}" = 1 ]; then
  e2e_setup
  RUNNER=(wine)
  win() { winpath "$1"; }
else
  E2E_DIR=$VESK_ROOT/build/e2e/settings_writers-native
  rm -rf "$E2E_DIR" && mkdir -p "$E2E_DIR"
  trap e2e_cleanup EXIT
  RUNNER=()
  win() { printf '%s' "$1"; }
fi

INI=$E2E_DIR/Vesk.ini
W_INI=$(win "$INI")
# tool ARGS...: runs it in the foreground, output without CRs.
tool() { "${RUNNER[@]}" "$INI_WRITER" "$@" 2>&1 | tr -d '\r'; }
# tool_bg OUT ARGS...: runs it in the background, output into OUT; pid in TOOL_PID.
tool_bg() {
  local out=$1; shift
  "${RUNNER[@]}" "$INI_WRITER" "$@" >"$out" 2>&1 &
  TOOL_PID=$!
  E2E_PIDS+=("$TOOL_PID")
}
result() { tr -d '\r' <"$1"; }
well_formed() {  # one header, then N key lines, every line ended by CR LF
  local n=$1
  [ "$(head -n1 "$INI")" = $'[Stress]\r' ] &&
    [ "$(grep -c $'^[a-z][0-9]*=[0-9]*\r$' "$INI")" = "$n" ] &&
    [ "$(wc -l <"$INI")" = $((n + 1)) ] &&
    [ "$(tail -c2 "$INI" | od -An -c | tr -d ' ')" = '\r\n' ]
}
# No temporary file is left; the lock file stays for the next writer, one for the file.
no_temp() { [ "$(ls "$E2E_DIR" | grep -c TEMP)" = 0 ] && [ "$(ls "$E2E_DIR" | grep -c LOCK)" -le 1 ]; }

# Two writers of 200 keys each, released at once by the gate file; the second
# runs through the command in $2 (empty: as the first).
two_writers() {
  local gate=$E2E_DIR/gate-$1 second=("${RUNNER[@]}")
  [ -n "$2" ] && second=($2)
  rm -f "$INI"
  tool_bg "$E2E_DIR/a.out" write "$W_INI" Stress a 200 "$(win "$gate")"; a=$TOOL_PID
  "${second[@]}" "$INI_WRITER" write "$W_INI" Stress b 200 "$(win "$gate")" >"$E2E_DIR/b.out" 2>&1 &
  b=$!; E2E_PIDS+=("$b")
  touch "$gate"
  check "$1: writer a ends" wait_exit "$a" 240
  check "$1: writer b ends" wait_exit "$b" 240
  check_eq "$1: writer a, no failure" "written=200 failed=0" "$(result "$E2E_DIR/a.out")"
  check_eq "$1: writer b, no failure" "written=200 failed=0" "$(result "$E2E_DIR/b.out")"
  check_eq "$1: all 400 keys present" "200 200" "$(tool count "$W_INI" Stress a 200) $(tool count "$W_INI" Stress b 200)"
  check "$1: the file is well formed" well_formed 400
  check "$1: no temporary file, one lock file" no_temp
}
if [ "${INI_WRITER_WINE:-0}" = 1 ]; then
  # The other computer: a prefix of its own beside the tests' one, on the same display.
  OTHER=$VESK_ROOT/build/wine-other
  ( export VESK_WINE_DIR=$OTHER WINEPREFIX=$OTHER/prefix VESK_DISPLAY=$DISPLAY; wine_ready ) ||
    { fail "the second Wine prefix could not be prepared"; e2e_done; }
  trap 'e2e_cleanup; WINEPREFIX=$OTHER/prefix wineserver -k 2>/dev/null' EXIT
  two_writers "two computers" "env WINEPREFIX=$OTHER/prefix wine"
fi
two_writers "one computer" ""

# A holder killed while it holds the lock: the next writer goes straight on.
READY=$E2E_DIR/ready1
tool_bg "$E2E_DIR/hold1.out" hold-lock "$W_INI" "$(win "$READY")"; holder=$TOOL_PID
check "holder has the lock" wait_file "$READY" 60
kill -KILL "$holder"
check "holder is gone" wait_exit "$holder" 30
check_eq "writer after a killed holder" "written=1 failed=0" "$(tool write "$W_INI" Stress c 1 "$W_INI")"
check "the holder's lock file serves that write" no_temp

# A holder that lives on: the writer waits for it, then fails and changes nothing.
cp "$INI" "$E2E_DIR/before"
READY=$E2E_DIR/ready2
tool_bg "$E2E_DIR/hold2.out" hold-lock "$W_INI" "$(win "$READY")"; holder=$TOOL_PID
check "holder has the lock" wait_file "$READY" 60
out=$(tool write "$W_INI" Stress d 1 "$W_INI")
check "writer fails while the lock is held: $out" grep -q '^written=0 failed=1 first: Error ' <<<"$out"
check "file unchanged" cmp -s "$E2E_DIR/before" "$INI"
kill -KILL "$holder"
wait_exit "$holder" 30

if [ "${INI_WRITER_WINE:-0}" = 1 ]; then
  # Another process holds the file open without FILE_SHARE_DELETE for half a
  # second, as a scanner does: the writer (released when it opens the file) retries.
  READY=$E2E_DIR/ready3
  tool_bg "$E2E_DIR/ready3.out" write "$W_INI" Stress e 1 "$(win "$READY")"; writer=$TOOL_PID
  tool_bg "$E2E_DIR/hold3.out" hold-open "$W_INI" "$(win "$READY")" 500; holder=$TOOL_PID
  check "writer ends" wait_exit "$writer" 60
  check_eq "file held for half a second: written" "written=1 failed=0" "$(result "$E2E_DIR/ready3.out")"
  wait_exit "$holder" 30

  # Held past the retry budget: today's error report, the file unchanged.
  cp "$INI" "$E2E_DIR/before"
  READY=$E2E_DIR/ready4
  tool_bg "$E2E_DIR/hold4.out" hold-open "$W_INI" "$(win "$READY")" -1; holder=$TOOL_PID
  check "holder has the file open" wait_file "$READY" 60
  out=$(tool write "$W_INI" Stress f 1 "$W_INI")
  check "writer fails while the file is held: $out" grep -qE '^written=0 failed=1 first: Error (32|5):' <<<"$out"
  check "file unchanged" cmp -s "$E2E_DIR/before" "$INI"
  check "no temporary file" no_temp
  kill -KILL "$holder"
  wait_exit "$holder" 30
fi
check "the file is well formed" well_formed $(( $(grep -c '=' "$INI") ))
e2e_done
