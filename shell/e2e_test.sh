#!/usr/bin/env bash
# End to end: the real program in a real window under Xvfb, driven by keyboard and mouse with
# xdotool. Backs up two files, restores one of them, checks the disk at every step, ends the
# program both with Escape and with Enter in an edit box, and backs up a folder whose path was
# typed into the folder browser.
# Usage: e2e_test.sh PATH-TO-QUILLMAR
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/xvfb_session.sh"

# Positions inside the dialogs, as fractions of the template sizes in dialog units.
main_w=191 main_h=87     # template 102
list_w=186 list_h=138    # template 129

start_xvfb
data="$session_dir/data"
mkdir -p "$data/sub"
printf 'alpha\n' >"$data/a.txt"
printf 'beta\n' >"$data/b.dat"
printf 'gamma\n' >"$data/sub/c.txt"

start_program "$program"
wait_for_count Quillmar 1
main=$(windows_named Quillmar)
point_into "$main"

type_directory_and_pattern "$data" '*.txt'
# Tab to "Quillmar!" and press it with Enter.
xdotool key Tab Return
wait_for_count Quillmar 2
point_into "$(other_window_named Quillmar "$main")"
xdotool key Return   # OK, the default answer to "Click OK to clean files."
wait_for_count Quillmar 1

backups="$session_dir/app/backups"
[[ -f "$backups/a.txtBACKUP" && -f "$backups/c.txtBACKUP" ]] || fail "backups missing: $(ls -A "$backups" 2>&1)"
[[ ! -e "$backups/b.datBACKUP" ]] || fail "b.dat was backed up although the Files box said *.txt"
[[ "$(cat "$backups/a.txtBACKUP")" == alpha ]] || fail "a.txtBACKUP holds the wrong bytes"
list=$(cat "$backups/list.txt")
for entry in "$data/a.txt;" "$data/sub//c.txt;"; do
  [[ "$list" == *"$entry"* ]] || fail "list.txt lacks $entry: $list"
done
[[ ${#list} -eq $((${#data} * 2 + 19)) ]] || fail "list.txt holds more than the two records: $list"

# Both originals change; restoring one must bring back exactly its old bytes.
printf 'changed\n' >"$data/a.txt"
printf 'changed\n' >"$data/sub/c.txt"

# "Restore Files" with the mouse.
point_at "$main" 265 $((main_w * 2)) 66 "$main_h" click
wait_for_count "Restoration List" 1
restore=$(windows_named "Restoration List")
# Click the first entry, move down to the second with the arrow key, then "Restore": the
# entry under the focus line, the second one, is the one restored.
first=${list%%;*}
second=${list#*;}
second=${second%;}
point_at "$restore" 60 "$list_w" 12 "$list_h" click
xdotool key Down
point_at "$restore" 151 "$list_w" 233 $((list_h * 2)) click
# Answer every box the restore raises (replace the changed file? Yes; then the report: OK).
answered=0
for _ in $(seq 30); do
  box=$(other_window_named Quillmar "$main")
  if [[ -n "$box" ]]; then
    point_into "$box"
    xdotool key Return
    answered=$((answered + 1))
    sleep 0.3
  elif ((answered >= 2)); then
    break
  else
    sleep 0.1
  fi
done
((answered >= 1)) || fail "the restore asked nothing and reported nothing"

list=$(cat "$backups/list.txt")
[[ "$list" == "$first;" ]] || fail "after restoring $second, list.txt is: $list"
if [[ "$second" == "$data/a.txt" ]]; then
  [[ "$(cat "$data/a.txt")" == alpha && "$(cat "$data/sub/c.txt")" == changed ]] ||
    fail "a.txt should be restored and c.txt left as it was"
else
  [[ "$(cat "$data/sub/c.txt")" == gamma && "$(cat "$data/a.txt")" == changed ]] ||
    fail "c.txt should be restored and a.txt left as it was"
fi

# Escape ends the restoration list, then the main dialog, and with it the program.
point_into "$restore"
xdotool key Escape
wait_for_count "Restoration List" 0
point_into "$main"
xdotool key Escape
wait_for_exit || fail "the program ended with status $?"
[[ ! -s "$session_dir/app.err" ]] || fail "the program wrote errors: $(cat "$session_dir/app.err")"

# Second run: Enter in the Directory box ends the program at once.
start_program "$program"
wait_for_count Quillmar 1
main=$(windows_named Quillmar)
point_at "$main" $((53 + 48)) "$main_w" 18 "$main_h" click
xdotool key Return
wait_for_exit || fail "the program ended with status $?"

# Third run: the folder comes from the browser behind "..", its path typed key by key (a box
# that completes names as they are typed garbles such a path).
picked="$session_dir/picked"
mkdir -p "$picked/inner"
printf 'delta\n' >"$picked/d.txt"
printf 'epsilon\n' >"$picked/inner/e.txt"
printf 'zeta\n' >"$picked/f.dat"
start_program "$program"
wait_for_count Quillmar 1
main=$(windows_named Quillmar)
point_at "$main" 329 $((main_w * 2)) 38 $((main_h * 2)) click
wait_for_count "Select a file:" 1
point_into "$(windows_named "Select a file:")"
xdotool type --delay 30 "$picked"
xdotool key Return
wait_for_count "Select a file:" 0
# Into the Files box; its change reads the Directory box the browser filled.
point_at "$main" 203 $((main_w * 2)) 80 $((main_h * 2)) click
xdotool type --delay 30 '*.txt'
xdotool key Tab Return
wait_for_count Quillmar 2
point_into "$(other_window_named Quillmar "$main")"
xdotool key Return
wait_for_count Quillmar 1
[[ "$(cat "$backups/d.txtBACKUP" 2>/dev/null)" == delta &&
  "$(cat "$backups/e.txtBACKUP" 2>/dev/null)" == epsilon ]] ||
  fail "the folder typed into the browser was not backed up: $(ls -A "$backups" 2>&1)"
[[ ! -e "$backups/f.datBACKUP" ]] || fail "f.dat was backed up although the Files box said *.txt"
list=$(cat "$backups/list.txt")
for entry in "$picked/d.txt;" "$picked/inner//e.txt;"; do
  [[ "$list" == *"$entry"* ]] || fail "list.txt lacks $entry: $list"
done
point_into "$main"
xdotool key Escape
wait_for_exit || fail "the program ended with status $?"

echo "PASS: backed up, restored one entry, ended by Escape and by Enter, browsed to a typed folder"
