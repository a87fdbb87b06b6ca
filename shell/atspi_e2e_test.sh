#!/usr/bin/env bash
# End to end through the accessibility bus alone (atspi_journey.py), on a session bus of the
# test's own, with the program on a private Xvfb display or, given "wayland", natively on a
# private headless Wayland compositor.
# Usage: atspi_e2e_test.sh PATH-TO-QUILLMAR [x11 | wayland]
set -euo pipefail
program=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
source "$here/xvfb_session.sh"

if [[ ${2:-x11} == wayland ]]; then
  start_weston
  export GDK_BACKEND=wayland
else
  start_xvfb
  export GDK_BACKEND=x11
fi
data="$session_dir/data"
mkdir -p "$data" "$session_dir/app"
printf 'alpha\n' >"$data/a.txt"
printf 'beta\n' >"$data/b.txt"
printf 'gamma\n' >"$data/c.dat"
cp "$program" "$session_dir/app/quillmar"
# The bus daemon's complaint that it may not raise its file limit says nothing about the test.
dbus-run-session -- /usr/bin/python3 "$here/atspi_journey.py" "$session_dir/app/quillmar" \
  "$data" "$session_dir/app/backups" 2> >(grep -v 'Failed to set fd limit' >&2)
