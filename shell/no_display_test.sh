#!/usr/bin/env bash
# Without a display the program says so in one line on standard error and exits non-zero,
# with a folder argument too; --version and the help (--help, -h, help) answer without one, and
# unknown options, a word that is neither a command nor a folder, an empty folder name and more
# than one argument are refused with the usage.
# Usage: no_display_test.sh PATH-TO-QUILLMAR VERSION
set -uo pipefail
program=$1
version=$2
dir=$(mktemp -d /tmp/quillmar-nodisplay-XXXXXX)
trap 'rm -rf "$dir"' EXIT

fail() {
  echo "FAIL ($1): $2" >&2
  echo "standard output: $(cat "$dir/out")" >&2
  echo "standard error: $(cat "$dir/err")" >&2
  exit 1
}

# Runs the program without a display; sets status.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$program" "$@" >"$dir/out" 2>"$dir/err"
  status=$?
}

check_no_display() {
  local label=$1
  shift
  env "$@" timeout 10 "$program" ${folder_argument:+"$folder_argument"} >"$dir/out" 2>"$dir/err"
  local status=$?
  ((status == 0 || status >= 124)) && fail "$label" "exit status $status"
  if [[ $(wc -l <"$dir/err") -ne 1 ]] || ! grep -q '^quillmar: cannot open the display: ' "$dir/err"; then
    fail "$label" "not the one line about the display"
  fi
  [[ -s "$dir/out" ]] && fail "$label" "wrote to standard output"
  echo "ok ($label): $(cat "$dir/err")"
}

check_no_display "no DISPLAY" -u DISPLAY
check_no_display "no server" DISPLAY=:4095
folder_argument=$dir check_no_display "a folder, no DISPLAY" -u DISPLAY

run --version
((status == 0)) || fail "--version" "exit status $status"
[[ $(cat "$dir/out") == "quillmar $version" && ! -s "$dir/err" ]] || fail "--version" "not the version"
echo "ok (--version): $(cat "$dir/out")"

for ask in --help -h help; do
  run "$ask"
  ((status == 0)) || fail "$ask" "exit status $status"
  grep -qx 'Usage: quillmar \[--help | --version | FOLDER\]' "$dir/out" || fail "$ask" "no usage"
  grep -qx '       quillmar clean .*' "$dir/out" || fail "$ask" "no commands"
  grep -qF "This copy's backups folder: $(dirname "$(readlink -f "$program")")/backups/" "$dir/out" ||
    fail "$ask" "not this copy's backups folder"
  [[ -s "$dir/err" ]] && fail "$ask" "wrote to standard error"
  echo "ok ($ask): $(wc -l <"$dir/out") lines"
done

# Refused: each case is the arguments, then the error line.
refusals=(
  "--verbose|unrecognized argument '--verbose'"
  "-v|unrecognized argument '-v'"
  "--help=yes|unrecognized argument '--help=yes'"
  "|the folder name is empty"
  ". .|one argument at most, 2 given"
  "lsit|'lsit' is neither a command nor a folder"
  "--help --version|one argument at most, 2 given"
)
for refusal in "${refusals[@]}"; do
  IFS=' ' read -r -a args <<<"${refusal%%|*}"
  ((${#args[@]} > 0)) || args=("")
  expected="quillmar: ${refusal#*|}"
  run "${args[@]}"
  ((status == 2)) || fail "${args[*]}" "exit status $status"
  [[ $(head -n 1 "$dir/err") == "$expected" ]] || fail "${args[*]}" "not the error line: $expected"
  [[ $(sed -n 2p "$dir/err") == "Usage: quillmar [--help | --version | FOLDER]" ]] &&
    grep -q '^       quillmar restore ' "$dir/err" || fail "${args[*]}" "no usage"
  [[ -s "$dir/out" ]] && fail "${args[*]}" "wrote to standard output"
  echo "ok (${args[*]}): exit 2, $(head -n 1 "$dir/err")"
done
