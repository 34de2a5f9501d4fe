# Shared by the end-to-end tests: sourced by each test script, which ctest runs
# with the built programs' paths in QUILLBAR_EXE, PATHMEND_EXE, ACAD_EXE, VDRIVER_EXE.
set -u
VESK_ROOT=${VESK_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
source "$VESK_ROOT/scripts/wine-env.sh"

E2E_FAILURES=0
E2E_PIDS=()
E2E_OWN_PREFIX=0
E2E_IMMUTABLE=()

# A display scaled to $1 dpi gets a Wine prefix and X display of its own, ended
# with the test (96, the default, shares the common one). Call before e2e_setup.
e2e_at_dpi() {
  [ "$1" = 96 ] && return 0
  export VESK_DPI=$1 VESK_WINE_DIR=$VESK_ROOT/build/wine$1
  export WINEPREFIX=$VESK_WINE_DIR/prefix
  E2E_OWN_PREFIX=1
}

# A fresh work folder in $E2E_DIR (named after the script, or E2E_NAME), the Wine
# prefix and X display ready.
e2e_setup() {
  wine_ready || { echo "FAIL: the Wine prefix or X display could not be prepared"; exit 1; }
  local name=${E2E_NAME:-$(basename "$0" .sh)}
  E2E_DIR=$VESK_ROOT/build/e2e/$name
  # A run that was killed may have left a folder immutable.
  [ -d "$E2E_DIR" ] && chattr -R -i "$E2E_DIR" 2>/dev/null
  rm -rf "$E2E_DIR"
  mkdir -p "$E2E_DIR"
  if [ "$E2E_OWN_PREFIX" = 1 ]; then trap 'e2e_cleanup; wine_stop' EXIT; else trap e2e_cleanup EXIT; fi
  # A script's own preparation that needs the prefix (quillbar_helpers.sh).
  if declare -F e2e_after_setup >/dev/null; then e2e_after_setup; fi
}

# Starts a Windows program in the background; its pid is in WINE_PID.
wine_start() {
  wine "$@" >>"$E2E_DIR/wine.log" 2>&1 &
  WINE_PID=$!
  E2E_PIDS+=("$WINE_PID")
}

# Waits at most $2 seconds for process $1 to end. Fails if it still runs.
wait_exit() {
  local pid=$1 limit=$(( $2 * 10 )) i
  for ((i = 0; i < limit; i++)); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits at most $2 seconds for file $1 to exist and be non-empty.
wait_file() {
  local file=$1 limit=$(( $2 * 10 )) i
  for ((i = 0; i < limit; i++)); do
    [ -s "$file" ] && return 0
    sleep 0.1
  done
  return 1
}

# Waits at most $3 seconds until file $1 contains the fixed text $2.
wait_file_has() {
  local file=$1 text=$2 limit=$(( $3 * 10 )) i
  for ((i = 0; i < limit; i++)); do
    [ -f "$file" ] && grep -qF -- "$text" "$file" && return 0
    sleep 0.1
  done
  return 1
}

vdriver() { wine "$VDRIVER_EXE" "$@"; }

# A Linux path as the Wine prefix sees it (drive Z: is the root). Computed here,
# not asked of winepath: one Wine process fewer, and one that under load has
# printed nothing.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

pass() { echo "PASS: $1"; }
fail() { echo "FAIL: $1"; E2E_FAILURES=$((E2E_FAILURES + 1)); }

# check NAME COMMAND...: passes when the command succeeds.
check() {
  local name=$1; shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

check_eq() {
  if [ "$2" == "$3" ]; then pass "$1"; else
    fail "$1"
    printf '  expected: %q\n  actual:   %q\n' "$2" "$3"
  fi
}

# check_bytes NAME FILE EXPECTED: the file holds exactly these bytes (printf %b escapes: \r \n \xHH).
check_bytes() {
  local expected actual
  expected=$(printf '%b' "$3" | od -An -c)
  actual=$( [ -f "$2" ] && od -An -c <"$2" || echo "<no file $2>")
  check_eq "$1" "$expected" "$actual"
}

# A field of a `vdriver window` line: field "$line" w
field() { sed -n "s/.*\b$2=\([^ ]*\).*/\1/p" <<<"$1"; }

# Makes folder $1 immutable (chattr +i, as root): nobody, not even root, may
# create, change, rename or remove anything in it. Undone when the test ends.
e2e_immutable() { chattr +i "$1" && E2E_IMMUTABLE+=("$1"); }

# A Windows path on drive C: as a Linux path, through the prefix's drive link.
linux_path() {
  local p=$1
  echo "$(readlink -f "$WINEPREFIX/dosdevices/c:")$(tr '\\' / <<<"${p:2}")"
}

e2e_cleanup() {
  local pid dir
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for dir in "${E2E_IMMUTABLE[@]}"; do chattr -i "$dir" 2>/dev/null || true; done
}

e2e_done() {
  if [ "$E2E_FAILURES" -eq 0 ]; then echo "all checks passed"; exit 0; fi
  echo "$E2E_FAILURES check(s) failed"; exit 1
}
