# Shared by the end-to-end test and the screenshot script: a private Xvfb display, the
# program copied into a folder of its own, and helpers to find, point at and wait for windows.
# Source it; it sets a trap that stops the program and Xvfb and removes the folder on exit.

session_dir=$(mktemp -d /tmp/quillmar-e2e-XXXXXX)
xvfb_pid=""
app_pid=""
session_wineprefix=""

session_cleanup() {
  if [[ -n "$app_pid" ]] && kill -0 "$app_pid" 2>/dev/null; then
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
  fi
  if [[ -n "$session_wineprefix" ]]; then
    WINEPREFIX=$session_wineprefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  fi
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$session_dir"
}
trap session_cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Starts Xvfb on a display number it picks itself (so parallel runs never collide).
start_xvfb() {
  local fdfile="$session_dir/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >"$session_dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [[ -s "$fdfile" ]] && break
    sleep 0.1
  done
  [[ -s "$fdfile" ]] || fail "Xvfb did not start: $(cat "$session_dir/xvfb.log")"
  export DISPLAY=":$(head -n1 "$fdfile")"
}

# Copies the program into app/ of the session folder (its backups folder lands beside it)
# and starts it; its output goes to app.out and app.err.
start_program() {
  mkdir -p "$session_dir/app"
  cp "$1" "$session_dir/app/quillmar"
  "$session_dir/app/quillmar" >"$session_dir/app.out" 2>"$session_dir/app.err" &
  app_pid=$!
}

# The Windows build: copies quillmar.exe into app/ of the session folder and starts it under
# Wine, in the Wine prefix the caller names with WINEPREFIX or else in one of the session's
# own (made on the first start, about ten seconds).
start_windows_program() {
  mkdir -p "$session_dir/app"
  cp "$1" "$session_dir/app/quillmar.exe"
  if [[ -z ${WINEPREFIX:-} ]]; then
    session_wineprefix="$session_dir/wineprefix"
    export WINEPREFIX=$session_wineprefix
  fi
  "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-run.sh" "$session_dir/app/quillmar.exe" \
    >"$session_dir/app.out" 2>"$session_dir/app.err" &
  app_pid=$!
}

# The Windows name of a path on this machine: Wine shows the root folder as drive Z:.
windows_path() {
  local path=${1//\//\\}
  printf 'Z:%s' "$path"
}

# Prints the ids of the mapped windows whose title is exactly $1.
windows_named() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true
}

# Waits until exactly $2 mapped windows are titled $1; fails after 10 seconds.
wait_for_count() {
  local name=$1 count=$2
  for _ in $(seq 100); do
    [[ $(windows_named "$name" | wc -l) -eq $count ]] && return 0
    sleep 0.1
  done
  fail "expected $count window(s) titled '$name', found $(windows_named "$name" | wc -l)"
}

# Prints the id of the one mapped window titled $1 that is not $2 (the newest such window).
other_window_named() {
  windows_named "$1" | { grep -vx "$2" || true; } | tail -n1
}

# Moves the pointer over a window at the fraction ($2/$3, $4/$5) of its size; with no window
# manager the keyboard goes to the window under the pointer. Clicks when $6 is "click".
point_at() {
  local id=$1 fx=$2 wx=$3 fy=$4 wy=$5 action=${6:-}
  eval "$(xdotool getwindowgeometry --shell "$id")"
  local px=$((X + WIDTH * fx / wx)) py=$((Y + HEIGHT * fy / wy))
  xdotool mousemove "$px" "$py"
  sleep 0.15
  if [[ "$action" == click ]]; then
    xdotool click 1
    sleep 0.15
  fi
}

# Points at the middle of window $1.
point_into() { point_at "$1" 1 2 1 2; }

# Waits for the program to end; fails when it is still running after 10 seconds.
wait_for_exit() {
  for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null && fail "the program is still running"
  local status=0
  wait "$app_pid" || status=$?
  app_pid=""
  return "$status"
}

# Types a directory and a pattern into the main dialog, whose Files box has the focus: the
# directory first (three tabs on), then back to Files, since a change of the Files box reads
# both boxes and that is how a typed directory reaches the walk.
type_directory_and_pattern() {
  xdotool key Tab Tab Tab
  xdotool type --delay 30 "$1"
  xdotool key shift+Tab shift+Tab shift+Tab
  xdotool type --delay 30 "$2"
}
