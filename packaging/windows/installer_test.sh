#!/usr/bin/env bash
# The Windows packages under Wine, in a Wine prefix of the test's own: the installer run
# silently (/S) for the current user puts quillmar.exe and its uninstaller in
# %LOCALAPPDATA%\Programs\Quillmar, a Start-menu entry and an "Apps & features" entry; the
# installed program starts, shows its window, and keeps its store in
# %LOCALAPPDATA%\Quillmar\backups; an uninstall while it runs removes nothing and says it
# failed; the silent uninstall removes the program, the entry and the shortcut and leaves the
# backups. The portable ZIP holds one folder, Quillmar, with the same exe and console program,
# the README and the licence; the exe's version record names the file it is.
# Usage: installer_test.sh SETUP.EXE PORTABLE.ZIP
set -euo pipefail
setup=$(realpath "$1")
portable=$(realpath "$2")
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/shell/xvfb_session.sh"

start_xvfb
export WINEPREFIX="$session_dir/wineprefix"
session_wineprefix=$WINEPREFIX
wine() { "$here/scripts/wine-run.sh" "$@"; }
wine wineboot --init >/dev/null 2>&1

users="$WINEPREFIX/drive_c/users/$(id -un)"
local_data="$users/AppData/Local"
programs="$local_data/Programs/Quillmar"
shortcut="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quillmar.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmar'

wine "$setup" /S >/dev/null 2>&1 || fail "the installer failed"
[[ -f "$programs/quillmar.exe" ]] || fail "no quillmar.exe in $programs"
[[ -f "$programs/quillmar.com" ]] || fail "no quillmar.com in $programs"
[[ -f "$programs/uninstall.exe" ]] || fail "no uninstaller in $programs"
[[ -f "$shortcut" ]] || fail "no Start-menu shortcut"
entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
for value in "DisplayName    REG_SZ    Quillmar" \
  "UninstallString    REG_SZ    \"C:\\users\\$(id -un)\\AppData\\Local\\Programs\\Quillmar\\uninstall.exe\"" \
  "DisplayIcon    REG_SZ    C:\\users\\$(id -un)\\AppData\\Local\\Programs\\Quillmar\\quillmar.exe"; do
  grep -qF "$value" <<<"$entry" || fail "the uninstall entry lacks: $value; it holds: $entry"
done
grep -q "DisplayVersion    REG_SZ    [0-9.]*$" <<<"$entry" || fail "no DisplayVersion: $entry"
cmp -s "$programs/quillmar.exe" <(unzip -p "$portable" 'Quillmar/quillmar.exe') ||
  fail "the installer and the ZIP hold different programs"
cmp -s "$programs/quillmar.com" <(unzip -p "$portable" 'Quillmar/quillmar.com') ||
  fail "the installer and the ZIP hold different console programs"
zip_files=$(unzip -Z1 "$portable" | sort | tr '\n' ' ')
[[ $zip_files == "Quillmar/ Quillmar/LICENSE.txt Quillmar/README.txt Quillmar/quillmar.com Quillmar/quillmar.exe " ]] ||
  fail "the ZIP holds: $zip_files"
# The version record's strings are UTF-16 keys, each followed by its value.
original=$(/usr/bin/python3 - "$programs/quillmar.exe" <<'PY'
import re, sys
data = open(sys.argv[1], "rb").read()
key = "OriginalFilename".encode("utf-16-le") + b"\0\0"
at = data.index(key) + len(key)
while data[at:at + 2] == b"\0\0":
    at += 2
print(data[at:].decode("utf-16-le", "replace").split("\0")[0])
PY
)
[[ $original == quillmar.exe ]] || fail "the version record's OriginalFilename is $original"

# The installed program names the user's data folder as its store ...
help=$(wine "$programs/quillmar.exe" --help 2>/dev/null | tr -d '\r')
store_line="This copy's backups folder: C:\\users\\$(id -un)\\AppData\\Local\\Quillmar\\backups\\"
grep -qxF "$store_line" <<<"$help" || fail "the installed copy's store is not the user's: $help"
# ... and starts: its main window appears.
wine "$programs/quillmar.exe" >"$session_dir/app.out" 2>"$session_dir/app.err" &
app_pid=$!
wait_for_count Quillmar 1

# An uninstall while the program runs removes nothing and says it failed. Run in place
# (_?=), the uninstaller does not hand over to a copy of itself, so its exit status is its own.
windows_programs="C:\\users\\$(id -un)\\AppData\\Local\\Programs\\Quillmar"
status=0
wine "$programs/uninstall.exe" /S "_?=$windows_programs" >/dev/null 2>&1 || status=$?
[[ $status == 2 ]] || fail "the uninstall beside a running Quillmar ended with status $status"
for left in "$programs/quillmar.exe" "$programs/quillmar.com" "$programs/uninstall.exe" "$shortcut"; do
  [[ -e $left ]] || fail "the refused uninstall removed $left"
done
wine reg query "$key" >/dev/null 2>&1 || fail "the refused uninstall removed the Apps & features entry"
# Escape ends it, as it does the main dialog: a program still running would keep its exe.
main=$(windows_named Quillmar)
for _ in 1 2 3; do
  point_into "$main" click
  xdotool key Escape
  for _ in $(seq 30); do
    kill -0 "$app_pid" 2>/dev/null || break 2
    sleep 0.1
  done
done
wait_for_exit || fail "the installed program ended with an error"

# A backup made meanwhile survives the uninstall.
mkdir -p "$local_data/Quillmar/backups"
printf 'C:\\a.txt;' >"$local_data/Quillmar/backups/list.txt"
printf 'alpha' >"$local_data/Quillmar/backups/a.txtBACKUP"

# The uninstaller hands over to a copy of itself and returns at once: wait for its work.
wine "$programs/uninstall.exe" /S >/dev/null 2>&1 || fail "the uninstaller failed"
for _ in $(seq 100); do
  [[ -e "$programs/quillmar.exe" || -e "$programs/quillmar.com" || -e "$programs/uninstall.exe" ]] || break
  sleep 0.2
done
[[ ! -e "$programs/quillmar.exe" ]] || fail "the uninstall left quillmar.exe"
[[ ! -e "$programs/quillmar.com" ]] || fail "the uninstall left quillmar.com"
[[ ! -e "$programs/uninstall.exe" ]] || fail "the uninstall left its uninstaller"
[[ ! -e "$shortcut" ]] || fail "the uninstall left the Start-menu shortcut"
if wine reg query "$key" >/dev/null 2>&1; then fail "the uninstall left the Apps & features entry"; fi
[[ $(cat "$local_data/Quillmar/backups/list.txt") == 'C:\a.txt;' ]] || fail "the uninstall touched list.txt"
[[ $(cat "$local_data/Quillmar/backups/a.txtBACKUP") == alpha ]] || fail "the uninstall touched the backups"
echo "PASS"
