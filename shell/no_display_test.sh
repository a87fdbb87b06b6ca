#!/usr/bin/env bash
# Without a display the program says so in one line on standard error and exits non-zero.
# Usage: no_display_test.sh PATH-TO-QUILLMAR
set -uo pipefail
program=$1
dir=$(mktemp -d /tmp/quillmar-nodisplay-XXXXXX)
trap 'rm -rf "$dir"' EXIT

check() {
  local label=$1
  shift
  env "$@" timeout 10 "$program" >"$dir/out" 2>"$dir/err"
  local status=$?
  if ((status == 0 || status >= 124)); then
    echo "FAIL ($label): exit status $status" >&2
    exit 1
  fi
  if [[ $(wc -l <"$dir/err") -ne 1 ]] || ! grep -q '^quillmar: cannot open the display: ' "$dir/err"; then
    echo "FAIL ($label): standard error was: $(cat "$dir/err")" >&2
    exit 1
  fi
  [[ -s "$dir/out" ]] && { echo "FAIL ($label): wrote to standard output" >&2; exit 1; }
  echo "ok ($label): $(cat "$dir/err")"
}

check "no DISPLAY" -u DISPLAY
check "no server" DISPLAY=:4095
