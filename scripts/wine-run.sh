#!/usr/bin/env bash
# Runs a Windows program under Wine: the emulator CTest puts before every Windows test.
# Uses the Wine prefix named by WINEPREFIX; without one it makes its own in a temporary
# folder for this run and removes it (and the Wine server it started) afterwards. Without a
# DISPLAY the program gets a private Xvfb for its run, since making a window needs one.
set -euo pipefail
wine=${QUILLMAR_WINE:-/usr/lib/wine/wine64}
wineserver=$(dirname "$wine")/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
# No "install Mono/Gecko?" questions and no desktop integration in a throwaway prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=d}

own_prefix=""
xvfb_pid=""
display_file=""
cleanup() {
  if [[ -n $own_prefix ]]; then
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$own_prefix"
  fi
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  [[ -z $display_file ]] || rm -f "$display_file"
}
trap cleanup EXIT

if [[ -z ${WINEPREFIX:-} ]]; then
  own_prefix=$(mktemp -d "${TMPDIR:-/tmp}/quillmar-wine.XXXXXX")
  export WINEPREFIX=$own_prefix
fi

if [[ -z ${DISPLAY:-} ]] && command -v Xvfb >/dev/null; then
  # Xvfb picks a free display number itself and writes it to descriptor 3.
  display_file=$(mktemp "${TMPDIR:-/tmp}/quillmar-display.XXXXXX")
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s $display_file ]] && break
    sleep 0.05
  done
  [[ -s $display_file ]] || { echo "wine-run: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$display_file")"
fi

"$wine" "$@"
