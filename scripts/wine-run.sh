#!/usr/bin/env bash
# Runs a Windows program under Wine: the emulator CTest puts before every Windows test.
# Uses the Wine prefix named by WINEPREFIX; without one it makes its own in a temporary
# folder for this run and removes it (and the Wine server it started) afterwards. Without a
# DISPLAY the program gets a private Xvfb for its run.
set -euo pipefail
wine=${QUILLMAR_WINE:-/usr/lib/wine/wine64}
wineserver=$(dirname "$wine")/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
# No "install Mono/Gecko?" questions and no desktop integration in a throwaway prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=d}
if [[ -z ${WINEPREFIX:-} ]]; then
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/quillmar-wine.XXXXXX")
  export WINEPREFIX
  cleanup() {
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  }
  trap cleanup EXIT
fi
# Windows programs need a display to make windows: a private one when none is set.
if [[ -z ${DISPLAY:-} ]] && command -v xvfb-run >/dev/null; then
  xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$wine" "$@"
else
  "$wine" "$@"
fi
