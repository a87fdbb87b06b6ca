#!/usr/bin/env bash
# The main dialog follows the desktop: under GDK_SCALE=2 it is exactly twice the size it is
# at scale 1, in both directions; under GTK_THEME=Adwaita:dark its background is dark where
# the default theme's is light.
# Usage: scale_theme_e2e_test.sh PATH-TO-QUILLMAR
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/xvfb_session.sh"
start_xvfb

# Starts the program with the environment given as arguments, sets main to its main window,
# WIDTH and HEIGHT to its size and brightness to the mean brightness of its pixels (0..100).
measure_main_window() {
  mkdir -p "$session_dir/app"
  cp "$program" "$session_dir/app/quillmar"
  env "$@" "$session_dir/app/quillmar" >"$session_dir/app.out" 2>"$session_dir/app.err" &
  app_pid=$!
  wait_for_count Quillmar 1
  main=$(windows_named Quillmar)
  sleep 0.5  # the first frame
  eval "$(xdotool getwindowgeometry --shell "$main")"
  brightness=$(import -window "$main" png:- | convert - -colorspace Gray -format '%[fx:int(100*mean)]' info:)
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}

measure_main_window GDK_SCALE=1
width1=$WIDTH height1=$HEIGHT light=$brightness
measure_main_window GDK_SCALE=2
((WIDTH == 2 * width1 && HEIGHT == 2 * height1)) ||
  fail "at scale 2 the main window is ${WIDTH}x${HEIGHT}, at scale 1 ${width1}x${height1}"
echo "ok: ${width1}x${height1} at scale 1, ${WIDTH}x${HEIGHT} at scale 2"

measure_main_window GTK_THEME=Adwaita:dark
((light > 60 && brightness < 40)) ||
  fail "the dark theme's main window has brightness $brightness, the default theme's $light"
echo "ok: brightness $light in the default theme, $brightness in Adwaita:dark"
