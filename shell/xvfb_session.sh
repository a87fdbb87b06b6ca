# Shared by the end-to-end tests and the screenshot script: a private Xvfb display (or a
# private headless Wayland compositor), the program copied into a folder of its own, and
# helpers to find, point at and wait for windows. Source it; it sets a trap that stops the
# program and the display server and removes the folder on exit.

session_dir=$(mktemp -d /tmp/quillmar-e2e-XXXXXX)
xvfb_pid=""
weston_pid=""
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
  for server in "$xvfb_pid" "$weston_pid"; do
    if [[ -n "$server" ]]; then
      kill "$server" 2>/dev/null || true
      wait "$server" 2>/dev/null || true
    fi
  done
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
  # -noreset: by default the server resets whenever its last client leaves, which here is
  # after every xdotool call and every run of the program, and a program starting meanwhile
  # can find no server to talk to.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fdfile" \
    >"$session_dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [[ -s "$fdfile" ]] && break
    sleep 0.1
  done
  [[ -s "$fdfile" ]] || fail "Xvfb did not start: $(cat "$session_dir/xvfb.log")"
  export DISPLAY=":$(head -n1 "$fdfile")"
}

# Starts a headless Wayland compositor with a socket of its own and points WAYLAND_DISPLAY at
# it; DISPLAY is unset, so nothing can fall back to X.
start_weston() {
  export XDG_RUNTIME_DIR="$session_dir/runtime"
  mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
  local socket="quillmar-wayland"
  weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --width=1280 \
    --height=1024 >"$session_dir/weston.log" 2>&1 &
  weston_pid=$!
  for _ in $(seq 100); do
    [[ -S "$XDG_RUNTIME_DIR/$socket" ]] && break
    sleep 0.1
  done
  [[ -S "$XDG_RUNTIME_DIR/$socket" ]] || fail "weston did not start: $(cat "$session_dir/weston.log")"
  export WAYLAND_DISPLAY=$socket
  unset DISPLAY
}

# Copies the program $1 into app/ of the session folder (its backups folder lands beside it)
# and starts it with the arguments after $1; its output goes to app.out and app.err.
start_program() {
  mkdir -p "$session_dir/app"
  cp "$1" "$session_dir/app/quillmar"
  "$session_dir/app/quillmar" "${@:2}" >"$session_dir/app.out" 2>"$session_dir/app.err" &
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
  local state="the program is not running ($(cat "$session_dir/app.err" 2>/dev/null))"
  [[ -n "$app_pid" ]] && kill -0 "$app_pid" 2>/dev/null && state="the program runs"
  kill -0 "$xvfb_pid" 2>/dev/null || state+="; Xvfb ended: $(tail -n3 "$session_dir/xvfb.log")"
  fail "expected $count window(s) titled '$name', found $(windows_named "$name" | wc -l);" \
    "$state; windows: $(xdotool search --onlyvisible --name '.*' getwindowname %@ 2>/dev/null |
      tr '\n' '|')"
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

# Waits until the title of window $1 matches the pattern $2, and prints it; fails after 20
# seconds. A clean ends with a flush of its file system to disk, whose length depends on
# everything else written to that disk lately.
wait_for_title() {
  local title=""
  for _ in $(seq 200); do
    title=$(xdotool getwindowname "$1")
    # shellcheck disable=SC2053  # $2 is a pattern on purpose
    if [[ "$title" == $2 ]]; then
      printf '%s\n' "$title"
      return 0
    fi
    sleep 0.1
  done
  fail "window $1 is titled \"$title\", not \"$2\""
}

# After "Stop the clean?" was answered Yes in main window $1: the program still runs, the
# title says the walk stopped and counts as many files as the backups folder $2 holds copies
# and records, more than none and fewer than the $3 files of the tree.
check_stopped_walk() {
  local title copies recorded
  title=$(wait_for_title "$1" "Quillmar - stopped: *")
  kill -0 "$app_pid" || fail "the program ended instead of stopping the walk"
  copies=$(find "$2" -name '*BACKUP' | wc -l)
  recorded=$(tr -cd ';' <"$2/list.txt" | wc -c)
  ((copies > 0 && copies < $3)) || fail "the stopped walk made $copies copies of $3 files"
  ((recorded == copies)) || fail "$copies copies but $recorded records after the stop"
  local files="$copies files"
  ((copies == 1)) && files="1 file"  # a walk stopped at its very first report
  [[ "$title" == "Quillmar - stopped: $files visited, $copies backed up, 0 failed" ]] ||
    fail "the title \"$title\" does not count the $copies copies"
}

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

# Waits until window $1 is no longer mapped; fails after 10 seconds.
wait_gone() {
  for _ in $(seq 100); do
    # grep without -q reads all of its input: quitting early would end xdotool with SIGPIPE,
    # which pipefail would take for "not found".
    xdotool search --onlyvisible --name '.*' 2>/dev/null | grep -x "$1" >/dev/null || return 0
    sleep 0.1
  done
  fail "window $1 is still open"
}

# Waits for a message box (titled Quillmar) other than the main window $1 and prints its id;
# fails after 10 seconds. The main window's own title changes while and after it walks.
wait_for_box() {
  local box
  for _ in $(seq 100); do
    box=$(other_window_named Quillmar "$1")
    if [[ -n "$box" ]]; then
      echo "$box"
      return 0
    fi
    sleep 0.1
  done
  fail "no message box appeared"
}

# Types a pattern and a directory into the main dialog, whose Files box has the focus: the
# pattern first, then the directory (three tabs on), then back to the Files box. The clean
# reads both boxes, whichever was typed last.
type_directory_and_pattern() {
  xdotool type --delay 30 "$2"
  xdotool key Tab Tab Tab
  xdotool type --delay 30 "$1"
  xdotool key shift+Tab shift+Tab shift+Tab End
}
