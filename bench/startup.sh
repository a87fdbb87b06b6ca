#!/usr/bin/env bash
# Start-up benchmark: how long each program given takes from its start to a main window
# titled Quillmar that is mapped on a private Xvfb display, over several runs; afterwards one
# picture of the window checks that it was painted (more than one colour). Prints a table of
# the median, fastest and slowest run, and the executable's size. The target is 0.5 s to the
# painted main dialog. Usage: bench/startup.sh [--runs N] PROGRAM...
set -euo pipefail
runs=10
if [[ ${1:-} == --runs ]]; then
  runs=$2
  shift 2
fi
(($# > 0)) || { echo "usage: $0 [--runs N] PROGRAM..." >&2; exit 2; }
source "$(dirname "$0")/../shell/xvfb_session.sh"
start_xvfb

# Sets ms to the milliseconds from the start of program $1 to its mapped main window, and
# window to that window.
one_run() {
  local begin end
  window=""
  begin=$(date +%s%N)
  start_program "$1"
  while [[ -z "$window" ]]; do
    window=$(xdotool search --onlyvisible --name '^Quillmar$' 2>/dev/null | head -n1 || true)
    kill -0 "$app_pid" 2>/dev/null || fail "$1 ended: $(cat "$session_dir/app.err")"
  done
  end=$(date +%s%N)
  ms=$(((end - begin) / 1000000))
}

printf '%-50s %8s %8s %8s %10s\n' program "median" fastest slowest "size"
for program in "$@"; do
  program=$(realpath "$program")
  times=()
  for ((i = 0; i <= runs; i++)); do
    one_run "$program"
    if ((i == 0)); then
      # Untimed: the first start reads the libraries and fonts from disk. Its window is the
      # one checked for paint.
      sleep 0.5
      colours=$(import -window "$window" png:- | identify -format '%k' -)
      ((colours > 1)) || fail "$program: its main window shows $colours colour"
    else
      times+=("$ms")
    fi
    kill "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
  done
  sorted=$(printf '%s\n' "${times[@]}" | sort -n)
  median=$(sed -n "$(((runs + 1) / 2))p" <<<"$sorted")
  printf '%-50s %6s ms %6s ms %6s ms %10s\n' "$program" "$median" "$(head -n1 <<<"$sorted")" \
    "$(tail -n1 <<<"$sorted")" "$(stat -c %s "$program")"
done
