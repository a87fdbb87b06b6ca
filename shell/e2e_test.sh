#!/usr/bin/env bash
# End to end: the real program in a real window under Xvfb, driven by keyboard and mouse with
# xdotool. Backs up two files (the folder typed after the pattern), reads the walk's summary
# in the title, restores one of them, checks the disk at every step, restores the other from
# its copies in "Versions...", opens the About box from the keyboard's context menu, ends the
# program both with Escape and with Enter in an edit box, backs up a folder whose path was
# pasted into the folder browser, restores the entries that Restore finds without a click,
# that typing finds and that End and Home move to in a long list, and three highlighted with a
# Shift-click at once, in a list which grows with its window, stops a long walk with Escape,
# backs up the folder
# named on the command line, and restores the last entry of a list of 100,003.
# Usage: e2e_test.sh PATH-TO-QUILLMAR
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/xvfb_session.sh"

# Positions inside the dialogs, as fractions of the template sizes in dialog units.
main_w=191 main_h=112    # template 102
list_w=186 list_h=154    # template 129

# Answers with Enter every message box that comes up beside the main window $1 within three
# seconds, stopping once $2 were answered; fails when none came.
answer_boxes() {
  local answered=0 box
  for _ in $(seq 30); do
    box=$(other_window_named Quillmar "$1")
    if [[ -n "$box" ]]; then
      point_into "$box"
      xdotool key Return
      answered=$((answered + 1))
      sleep 0.3
    elif ((answered >= $2)); then
      break
    else
      sleep 0.1
    fi
  done
  ((answered >= 1)) || fail "no message box came up"
}

# Starts the program with the arguments given and points into its main window, $main.
start_main_window() {
  start_program "$program" "$@"
  wait_for_count Quillmar 1
  main=$(windows_named Quillmar)
  point_into "$main"
}

# From the Files box: Tab to "Quillmar!", press it with Enter, and answer OK (the default) to
# "Click OK to clean files.".
clean_from_files_box() {
  xdotool key Tab Return
  box=$(wait_for_box "$main")
  point_into "$box"
  xdotool key Return
  wait_gone "$box"
}

# In the restoration list: a click on the entry at $1 (of the template's height), key $2, then
# "Restore"; the file of entry $3 must be back, and $4 files in all in the folder $long.
key_then_restore() {
  point_at "$restore" 60 "$list_w" "$1" "$list_h" click
  xdotool key "$2"
  point_at "$restore" 151 "$list_w" 233 $((list_h * 2)) click
  answer_boxes "$main" 1
  [[ -f "$3" ]] || fail "$2 then Restore did not restore $3: $(ls "$long")"
  (($(ls "$long" | wc -l) == $4)) || fail "$2 then Restore restored more than $3: $(ls "$long")"
}

start_xvfb
# The tree of the fifth run: 12,000 files, enough for a walk that lasts seconds.
big="$session_dir/big"
for d in $(seq 1 120); do
  mkdir -p "$big/d$d"
  for f in $(seq 1 100); do printf 'x' >"$big/d$d/f${d}_$f"; done
done
data="$session_dir/data"
mkdir -p "$data/sub"
printf 'alpha\n' >"$data/a.txt"
printf 'beta\n' >"$data/b.dat"
printf 'gamma\n' >"$data/sub/c.txt"

start_main_window

type_directory_and_pattern "$data" '*.txt'
clean_from_files_box
wait_for_title "$main" "Quillmar - 3 files visited, 2 backed up, 0 failed" >/dev/null

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
answer_boxes "$main" 2

list=$(cat "$backups/list.txt")
[[ "$list" == "$first;" ]] || fail "after restoring $second, list.txt is: $list"
if [[ "$second" == "$data/a.txt" ]]; then
  [[ "$(cat "$data/a.txt")" == alpha && "$(cat "$data/sub/c.txt")" == changed ]] ||
    fail "a.txt should be restored and c.txt left as it was"
else
  [[ "$(cat "$data/sub/c.txt")" == gamma && "$(cat "$data/a.txt")" == changed ]] ||
    fail "c.txt should be restored and a.txt left as it was"
fi

# A right-click on the entry left opens its context menu; "Versions..." lists its one copy,
# and Restore there puts it back over the changed file, which is kept as a version.
point_at "$restore" 60 "$list_w" 12 "$list_h"
xdotool click 3
sleep 0.3
xdotool key Down Return
wait_for_count Versions 1
point_into "$(windows_named Versions)"
xdotool key Tab Return
answer_boxes "$main" 2
wait_for_count Versions 0
[[ "$(cat "$first")" == "$([[ $first == "$data/a.txt" ]] && echo alpha || echo gamma)" ]] ||
  fail "Restore in Versions did not bring back $first"
[[ ! -s "$backups/list.txt" ]] || fail "after Versions, list.txt is: $(cat "$backups/list.txt")"
# Both changed files are versions now: the one Restore replaced, and this one.
(($(grep -rlx changed "$backups/versions" | wc -l) == 2)) ||
  fail "the file Versions replaced was not kept: $(find "$backups/versions" -type f)"

# Escape ends the restoration list, then the main dialog, and with it the program.
point_into "$restore"
xdotool key Escape
wait_for_count "Restoration List" 0
# The keyboard's way to the About box: Shift+F10 opens the dialog's context menu at its first
# entry, Close, and About follows; Enter on its default button closes it.
point_into "$main"
xdotool key shift+F10
sleep 0.3
xdotool key Down Return
wait_for_count "About Quillmar" 1
point_into "$(windows_named "About Quillmar")"
xdotool key Return
wait_for_count "About Quillmar" 0
point_into "$main"
xdotool key Escape
wait_for_exit || fail "the program ended with status $?"
[[ ! -s "$session_dir/app.err" ]] || fail "the program wrote errors: $(cat "$session_dir/app.err")"

# Second run: Enter in the Directory box ends the program at once.
start_main_window
point_at "$main" $((53 + 48)) "$main_w" 18 "$main_h" click
xdotool key Return
wait_for_exit || fail "the program ended with status $?"

# Third run: the folder comes from the browser behind "..", its path pasted into the chooser's
# location box. That box completes names as they are typed, and its list of completions
# takes keys away from a path typed key by key; so the path is typed into the Files box, cut
# from there with the keyboard, and pasted in one piece in front of a placeholder "x" (the box
# completes only at the end of its text), which Delete then takes away.
picked="$session_dir/picked"
mkdir -p "$picked/inner"
printf 'delta\n' >"$picked/d.txt"
printf 'epsilon\n' >"$picked/inner/e.txt"
printf 'zeta\n' >"$picked/f.dat"
start_main_window
xdotool type --delay 30 "$picked"
xdotool key ctrl+a ctrl+x
point_at "$main" 329 $((main_w * 2)) 38 $((main_h * 2)) click
wait_for_count "Select a folder:" 1
point_into "$(windows_named "Select a folder:")"
xdotool key ctrl+l
sleep 0.3
xdotool type "x"
xdotool key Home ctrl+v Delete Return
wait_for_count "Select a folder:" 0
# Into the Files box; its change reads the Directory box the browser filled.
point_at "$main" 203 $((main_w * 2)) 80 $((main_h * 2)) click
xdotool type --delay 30 '*.txt'
clean_from_files_box
wait_for_title "$main" "Quillmar - 3 files visited, 2 backed up, 0 failed" >/dev/null
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

# Fourth run: a list longer than the list box. Restore right after the list opens acts on
# the first entry, and Space on Restore (which has the keyboard focus back once the report is
# answered) on the entry now in its place; a part of a path typed into the list finds the
# entry Restore then acts on. After a click on the first entry, End moves the focus
# rectangle to the last entry and Restore acts on it; after a click on an entry in the
# middle, Home moves it to the first, out of view until then, and Restore acts on that. Then
# three entries highlighted with a Shift-click are restored by one Restore. The window, made
# larger, gives the room to the list. Each original is gone, so each restore only reports.
rm -rf "$backups"
long="$session_dir/long"
mkdir -p "$long"
for i in $(seq -w 1 30); do printf '%s\n' "$i" >"$long/n$i.txt"; done
start_main_window
type_directory_and_pattern "$long" '*.txt'
clean_from_files_box
wait_for_title "$main" "Quillmar - 30 files visited, 30 backed up, 0 failed" >/dev/null
list=$(cat "$backups/list.txt")
IFS=';' read -r -a records <<<"$list"
((${#records[@]} == 30)) || fail "expected 30 records, list.txt is: $list"
rm -f "$long"/*.txt
point_at "$main" 265 $((main_w * 2)) 66 "$main_h" click
wait_for_count "Restoration List" 1
restore=$(windows_named "Restoration List")
point_at "$restore" 151 "$list_w" 233 $((list_h * 2)) click
answer_boxes "$main" 1
[[ -f "${records[0]}" && $(ls "$long" | wc -l) -eq 1 ]] ||
  fail "Restore without a click did not restore the first entry alone: $(ls "$long")"
point_into "$restore"
xdotool key space
answer_boxes "$main" 1
[[ -f "${records[1]}" && $(ls "$long" | wc -l) -eq 2 ]] ||
  fail "a second Restore did not restore the entry that took the first one's place: $(ls "$long")"
# Letters typed into the list (reached from Restore with Shift+Tab, so that no row is
# clicked) go to the find box below it, and the caret moves to the entry that holds them.
found=${records[15]}
point_into "$restore"
xdotool key shift+Tab
xdotool type --delay 30 "/${found##*/}"
point_at "$restore" 151 "$list_w" 233 $((list_h * 2)) click
answer_boxes "$main" 1
[[ -f "$found" && $(ls "$long" | wc -l) -eq 3 ]] ||
  fail "typing /${found##*/} into the list, then Restore, did not restore it: $(ls "$long")"
key_then_restore 12 End "${records[29]}" 4
# The list now shows its end; a click on an entry in view, then Home.
key_then_restore 50 Home "${records[2]}" 5
# A click on the first entry in view and a Shift-click on the third highlight three entries;
# one Restore brings all three back, with one box at the end, and the list file loses them.
point_at "$restore" 60 "$list_w" 13 "$list_h" click
xdotool keydown shift
point_at "$restore" 60 "$list_w" 35 "$list_h" click
xdotool keyup shift
point_at "$restore" 151 "$list_w" 233 $((list_h * 2)) click
answer_boxes "$main" 1
for i in 3 4 5; do
  [[ -f "${records[$i]}" ]] || fail "Shift-click and Restore did not restore ${records[$i]}: $(ls "$long")"
  [[ $(cat "$backups/list.txt") != *"${records[$i]};"* ]] || fail "list.txt still holds ${records[$i]}"
done
(($(ls "$long" | wc -l) == 8)) || fail "Shift-click and Restore restored more than three: $(ls "$long")"
# Made larger, the window gives the room to the list: where the dialog's background showed
# below it, the list now draws.
eval "$(xdotool getwindowgeometry --shell "$restore")"
below_list_x=$((X + WIDTH * 170 / list_w)) below_list_y=$((Y + HEIGHT * 104 / list_h))
pixel() { import -window root -crop "1x1+$1+$2" +repage -format '%[hex:p{0,0}]' info:-; }
background=$(pixel "$below_list_x" "$below_list_y")
xdotool windowsize "$restore" $((WIDTH + 200)) $((HEIGHT + 150))
sleep 0.5
[[ $(pixel "$below_list_x" "$below_list_y") != "$background" ]] ||
  fail "the list did not grow with its window"
point_into "$restore"
xdotool key Escape
wait_for_count "Restoration List" 0
point_into "$main"
xdotool key Escape
wait_for_exit || fail "the program ended with status $?"

# Fifth run: Escape during a long walk asks "Stop the clean?"; Enter (Yes) stops it after the
# file in hand, every file backed up so far is recorded, and the title says it stopped.
rm -rf "$backups"
start_main_window
type_directory_and_pattern "$big" ''
clean_from_files_box
point_into "$main"
xdotool key Escape
box=$(wait_for_box "$main")
point_into "$box"
xdotool key Return   # Yes, the default answer
wait_gone "$box"
check_stopped_walk "$main" "$backups" 12000
point_into "$main"
xdotool key Escape
wait_for_exit || fail "the program ended with status $?"

# Sixth run: a folder named on the command line, relative to where the program starts, waits
# in the Directory box; nothing is walked until "Quillmar!", which then backs up that folder.
rm -rf "$backups"
cd "$session_dir"
start_main_window data
sleep 0.5
[[ $(xdotool getwindowname "$main") == Quillmar && ! -e "$backups" ]] ||
  fail "a folder on the command line started something by itself"
clean_from_files_box
wait_for_title "$main" "Quillmar - 3 files visited, 3 backed up, 0 failed" >/dev/null
list=$(cat "$backups/list.txt")
for entry in "$data/a.txt;" "$data/b.dat;" "$data/sub//c.txt;"; do
  [[ "$list" == *"$entry"* ]] || fail "list.txt lacks $entry: $list"
done
point_into "$main"
xdotool key Escape
wait_for_exit || fail "the program ended with status $?"

# Seventh run: a list of 100,003 entries, as months of weekly cleans make, opens and answers
# the keyboard within the usual time limit: End after a click reaches the last entry, the
# sixth run's a.txt, and Restore brings it back.
python3 - "$backups/list.txt" <<'PY'
import sys
path = sys.argv[1]
with open(path) as f:
    kept = f.read()
with open(path, "w") as f:
    f.write("".join("/nowhere/old/file%06d.txt;" % i for i in range(100000)) + kept)
PY
rm -f "$data/a.txt"
start_main_window
point_at "$main" 265 $((main_w * 2)) 66 "$main_h" click
wait_for_count "Restoration List" 1
restore=$(windows_named "Restoration List")
point_at "$restore" 60 "$list_w" 12 "$list_h" click
xdotool key End
point_at "$restore" 151 "$list_w" 233 $((list_h * 2)) click
box=$(wait_for_box "$main")
point_into "$box"
xdotool key Return
wait_gone "$box"
[[ $(cat "$data/a.txt" 2>/dev/null) == alpha ]] ||
  fail "End then Restore in a list of 100,003 entries did not restore a.txt"
point_into "$restore"
xdotool key Escape
wait_for_count "Restoration List" 0
point_into "$main"
xdotool key Escape
wait_for_exit || fail "the program ended with status $?"

echo "PASS: backed up, restored one entry, the other through Versions, opened About from the" \
  "keyboard, ended by Escape and by Enter, browsed to a pasted folder, restored the entries" \
  "Restore found without a click, typing found, End and Home moved to and three highlighted" \
  "with a Shift-click, grew the list with its window, stopped a long walk, backed up the" \
  "folder named on the command line"
