#!/usr/bin/env bash
# quillmar.com under Wine, run by cmd as a user types it in an open console: cmd waits for it
# and sees its exit status; its output redirected to a file and piped is UTF-8, byte for byte,
# with Cyrillic and Japanese names; written to the console, the names read as they are (the
# console here is a pseudo-terminal, which Wine writes in UTF-8); an answer comes from the
# console; with a folder it starts the window's program, quillmar.exe, and returns at once.
# Usage: console_windows_test.sh PATH-TO-QUILLMAR.COM PATH-TO-QUILLMAR.EXE
set -euo pipefail
com=$(realpath "$1")
exe=$(realpath "$2")
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/shell/xvfb_session.sh"

start_xvfb
export LANG=C.UTF-8
# The caller's Wine prefix when it names one (the test command's, made once for all tests).
if [[ -z ${WINEPREFIX:-} ]]; then
  export WINEPREFIX="$session_dir/wineprefix"
  session_wineprefix=$WINEPREFIX
fi
wine() { "$here/scripts/wine-run.sh" "$@"; }
[[ -d $WINEPREFIX/drive_c ]] || wine wineboot --init >/dev/null 2>&1

bin=$session_dir/bin
mkdir -p "$bin" "$session_dir/data"
cp "$com" "$bin/quillmar.com"
cp "$exe" "$bin/quillmar.exe"
printf 'cyrillic' >"$session_dir/data/Кириллица.txt"
printf 'japanese' >"$session_dir/data/日本語.txt"
data=$(windows_path "$session_dir/data")

# cmd, started in bin/, runs the bare name "quillmar": the .com, as a user's console does.
# cmd ends with the status of the last command it ran, which the echoes tell here.
in_cmd() { (cd "$bin" && { wine cmd /c "$1" 2>/dev/null || true; } | tr -d '\r'); }

statuses=$(in_cmd "quillmar clean $data & echo status=%ERRORLEVEL% & quillmar clean C:\\nowhere & echo status=%ERRORLEVEL% & quillmar lsit & echo status=%ERRORLEVEL%")
[[ $(grep -o 'status=[0-9]*' <<<"$statuses" | tr '\n' ' ') == "status=0 status=1 status=2 " ]] ||
  fail "cmd did not see the exit statuses 0, 1 and 2: $statuses"

expected=$(printf '%s\\Кириллица.txt\r\n%s\\日本語.txt\r\n' "$data" "$data" | od -An -tx1)
in_cmd "quillmar list > listed.txt" >/dev/null
[[ $(od -An -tx1 <"$bin/listed.txt") == "$expected" ]] ||
  fail "list into a file is not the names in UTF-8: $(od -c <"$bin/listed.txt" | head)"
piped=$(cd "$bin" && { wine cmd /c "quillmar list" 2>/dev/null || true; } | od -An -tx1)
[[ $piped == "$expected" ]] || fail "list through a pipe is not the names in UTF-8"

console=$(cd "$bin" && script -qec "$here/scripts/wine-run.sh cmd /c quillmar list" /dev/null \
  2>/dev/null </dev/null | tr -d '\r')
for name in "$data\\Кириллица.txt" "$data\\日本語.txt"; do
  grep -qF "$name" <<<"$console" || fail "the console does not show $name: $console"
done

# The answer to "Overwrite it?" comes from the console.
printf 'changed' >"$session_dir/data/Кириллица.txt"
answered=$(cd "$bin" && { sleep 3; printf 'y\r'; sleep 3; } |
  script -qec "$here/scripts/wine-run.sh cmd /c quillmar restore '$data\\Кириллица.txt'" /dev/null \
    2>/dev/null | tr -d '\r')
grep -q "Overwrite it?" <<<"$answered" || fail "restore did not ask: $answered"
[[ $(cat "$session_dir/data/Кириллица.txt") == cyrillic ]] ||
  fail "the answer from the console did not restore the file: $answered"

# A folder is the window's work: quillmar.exe opens it, and cmd has its prompt back at once.
started=$(date +%s)
in_cmd "quillmar $data & echo status=%ERRORLEVEL%" >"$session_dir/started.txt"
grep -q 'status=0' "$session_dir/started.txt" || fail "quillmar FOLDER: $(cat "$session_dir/started.txt")"
wait_for_count Quillmar 1
(($(date +%s) - started < 30)) || fail "cmd waited for the window"
main=$(windows_named Quillmar)
point_into "$main" click
xdotool key Escape
wait_gone "$main"
echo "PASS"
