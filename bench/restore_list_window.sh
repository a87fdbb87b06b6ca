#!/usr/bin/env bash
# Restoration list window benchmark: how long "Restore Files" takes to show a painted list of
# many entries that answers the keyboard, for the desktop program under Xvfb or the Windows
# one under Wine. For each size, list.txt gets that many entries; the program starts, "Restore
# Files" is clicked, and the clock runs until the list's middle shows white with text in it
# (painted), then until End, pressed at once, has scrolled it (answering keys). Prints the
# median of the runs of each, and the program's peak memory (VmHWM) with the list open.
# The target is under 1 s to the painted list at 200,000 entries, and time and memory linear.
# Usage: bench/restore_list_window.sh [--runs N] [--windows] PROGRAM [ENTRIES...]
set -euo pipefail
runs=3
windows=false
while [[ ${1:-} == --* ]]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --windows) windows=true; shift ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
(($# > 0)) || { echo "usage: $0 [--runs N] [--windows] PROGRAM [ENTRIES...]" >&2; exit 2; }
program=$(realpath "$1")
shift
sizes=("$@")
((${#sizes[@]} > 0)) || sizes=(20000 100000 200000)
source "$(dirname "$0")/../shell/xvfb_session.sh"

# Template sizes and places in dialog units: the main dialog's, its "Restore Files" button,
# the restoration list's and its list box.
main_w=191 main_h=112 restore_x=132 restore_y=66
list_w=186 list_h=154 box_x=7 box_y=7 box_w=172 box_h=93

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Writes a PNG of the middle of the list box of window $1, as the screen shows it now.
list_middle() {
  eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" || return 0
  local x=$((X + WIDTH * (box_x + box_w / 5) / list_w)) y=$((Y + HEIGHT * (box_y + box_h / 8) / list_h))
  local w=$((WIDTH * box_w * 3 / 5 / list_w)) h=$((HEIGHT * box_h / 2 / list_h))
  import -window root -crop "${w}x${h}+${x}+${y}" +repage png:- 2>/dev/null || true
}

# Prints "WHITE DARK": the fractions of pure white and of dark pixels in the middle of the
# list box of window $1.
list_look() {
  list_middle "$1" |
    convert png:- \( +clone -fill black +opaque white -format '%[fx:mean] ' -write info:- +delete \) \
      -colorspace gray -threshold 50% -negate -format '%[fx:mean]\n' info:- 2>/dev/null ||
    echo "0 0"
}

# The process that holds the program's memory: the program itself, or Wine's for the .exe.
memory_pid() {
  if $windows; then pgrep -n -f 'app/quillmar\.exe' || true; else echo "$app_pid"; fi
}

stop_program() {
  if $windows; then
    WINEPREFIX=$WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null || true
  fi
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}

# One run with $1 entries: sets painted_ms, keys_ms and peak_kb.
one_run() {
  local entries=$1 main restore begin look white dark before
  rm -rf "$session_dir/app/backups"
  mkdir -p "$session_dir/app/backups"
  local prefix=/home/user/documents
  $windows && prefix='Z:\home\user\documents'
  PREFIX=$prefix python3 - "$session_dir/app/backups/list.txt" "$entries" <<'PY'
import os, sys
path, count = sys.argv[1], int(sys.argv[2])
prefix = os.environ["PREFIX"]
sep = "\\" if prefix.startswith("Z:") else "/"
with open(path, "w") as f:
    f.write("".join("%s%sfolder%03d%s%sreport-%06d.txt;" % (prefix, sep, i % 1000, sep, sep, i)
                    for i in range(count)))
PY
  if $windows; then start_windows_program "$program"; else start_program "$program"; fi
  for _ in $(seq 300); do [[ -n $(windows_named Quillmar) ]] && break; sleep 0.1; done
  wait_for_count Quillmar 1
  main=$(windows_named Quillmar)
  sleep 0.5
  point_at "$main" "$restore_x" "$main_w" "$restore_y" "$main_h"
  begin=$(now_ms)
  xdotool click 1
  while [[ -z $(windows_named "Restoration List") ]]; do
    (($(now_ms) - begin < 60000)) || fail "no restoration list after a minute"
  done
  restore=$(windows_named "Restoration List")
  while :; do
    read -r white dark < <(list_look "$restore")
    awk -v w="$white" -v d="$dark" 'BEGIN { exit !(w > 0.5 && d > 0.002) }' && break
    (($(now_ms) - begin < 60000)) || fail "the list was not painted within a minute"
  done
  painted_ms=$(($(now_ms) - begin))
  point_at "$restore" $((box_x + box_w / 2)) "$list_w" $((box_y + box_h / 2)) "$list_h"
  # Wine gives a window the keyboard on a click only; the click moves the caret, so the
  # picture to compare with is taken after it.
  $windows && { xdotool click 1; sleep 0.3; }
  before=$(list_middle "$restore" | md5sum)
  begin=$(now_ms)
  xdotool key End
  while [[ $(list_middle "$restore" | md5sum) == "$before" ]]; do
    (($(now_ms) - begin < 60000)) || fail "End changed nothing within a minute"
  done
  keys_ms=$(($(now_ms) - begin))
  peak_kb=$(awk '/VmHWM/ { print $2 }' "/proc/$(memory_pid)/status")
  stop_program
}

start_xvfb
kind=GTK
$windows && kind="Win32 (Wine)"
printf '%-14s %8s %12s %12s %10s\n' "$kind" entries "painted ms" "End ms" "peak MiB"
for entries in "${sizes[@]}"; do
  painted=() keys=() peaks=()
  for ((i = 0; i < runs; i++)); do
    one_run "$entries"
    painted+=("$painted_ms") keys+=("$keys_ms") peaks+=("$peak_kb")
  done
  median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
  printf '%-14s %8s %12s %12s %10s\n' "" "$entries" "$(median "${painted[@]}")" \
    "$(median "${keys[@]}")" "$(awk -v k="$(median "${peaks[@]}")" 'BEGIN { printf "%.1f", k / 1024 }')"
done
