#!/usr/bin/env bash
# End to end on Windows: quillmar.exe under Wine in a real window under Xvfb, driven with
# xdotool. Cleans a three-level tree with *.txt and checks list.txt byte for byte with the
# Windows paths (Z:\...\D\S\\c.txt), the copies and the filter; then, after a fresh start,
# restores one entry over a changed file and one that typing into the list found, opens
# About from the system menu and ends with Escape; then stops a long walk with Escape and
# Yes. Links in the tree lead back to folders already walked, which are not entered again.
# Usage: e2e_windows_test.sh PATH-TO-QUILLMAR.EXE
set -euo pipefail
program=$(realpath "$1")
source "$(dirname "$0")/xvfb_session.sh"

# Positions inside the dialogs, as fractions of the template sizes in dialog units.
main_w=191 main_h=112   # template 102
list_w=186 list_h=154   # template 129

# Gives a window the keyboard: with no window manager, Wine takes the focus on a click. The
# click lands on the main dialog's "Directory:" label.
activate_main() {
  point_at "$1" 32 "$main_w" 18 "$main_h" click
  sleep 0.3
}

# Gives the Files box the keyboard with a click into it: the typing that follows starts there.
focus_files_box() {
  point_at "$1" 101 "$main_w" 40 "$main_h" click
  sleep 0.3
}

# Presses "Quillmar!" with the mouse, wherever the keyboard is.
press_clean() {
  point_at "$main" 76 "$main_w" 66 "$main_h" click
}

# Waits for a message box over the main dialog and answers it with Return (OK, or Yes),
# after a click on its text (a quarter down) gives it the keyboard; then waits for that box
# to go (another may follow at once). A box that is slow to take the keyboard on a busy
# machine gets the click and the key again.
answer_box() {
  wait_for_count Quillmar 2
  local box
  box=$(other_window_named Quillmar "$main")
  for _ in 1 2 3; do
    sleep 0.3
    point_at "$box" 1 2 1 4 click
    xdotool key Return
    for _ in $(seq 30); do
      windows_named Quillmar | grep -qx "$box" || return 0
      sleep 0.1
    done
  done
  fail "the message box was not answered"
}

start_xvfb
top="$session_dir/D"
mkdir -p "$top/S/T"
printf 'alpha\r\n' >"$top/a.txt"
printf 'beta\n' >"$top/b.dat"
printf 'gamma\n' >"$top/S/c.txt"
printf 'delta\n' >"$top/S/T/d.txt"
printf 'upper\n' >"$top/S/T/e.TXT"   # the filter compares extensions with their case
# Links back to folders the walk is inside: followed as folders, but never entered twice.
ln -s .. "$top/S/T/up"
ln -s "$top" "$top/S/T/top"

start_windows_program "$program"
for _ in $(seq 300); do [[ -n $(windows_named Quillmar) ]] && break; sleep 0.1; done
wait_for_count Quillmar 1
main=$(windows_named Quillmar)
focus_files_box "$main"
D=$(windows_path "$top")
type_directory_and_pattern "$D" '*.txt'
press_clean
answer_box               # OK to "Click OK to clean files."
# The title keeps the walk's summary: five files seen, the three *.txt ones backed up.
wait_for_title "$main" "Quillmar - 5 files visited, 3 backed up, 0 failed" >/dev/null

backups="$session_dir/app/backups"
for name in a c d; do
  [[ -f "$backups/$name.txtBACKUP" ]] || fail "no copy of $name.txt: $(ls -A "$backups" 2>&1)"
done
cmp -s "$top/a.txt" "$backups/a.txtBACKUP" || fail "a.txtBACKUP differs from a.txt"
cmp -s "$top/S/T/d.txt" "$backups/d.txtBACKUP" || fail "d.txtBACKUP differs from d.txt"
for name in b.datBACKUP e.TXTBACKUP; do
  [[ ! -e "$backups/$name" ]] || fail "$name was made although the Files box said *.txt"
done
# Depth first in the platform's order: within D, a.txt and the sub-tree of S either way
# round, and likewise c.txt and the sub-tree of T within S.
a="$D\\a.txt;" c="$D\\S\\\\c.txt;" d="$D\\S\\\\T\\\\d.txt;"
list=$(cat "$backups/list.txt")
case "$list" in
  "$a$c$d" | "$a$d$c" | "$c$d$a" | "$d$c$a") ;;
  *) fail "list.txt is not the three records in a walk's order: $list" ;;
esac

point_into "$main"
xdotool key Escape
wait_for_exit || fail "the program ended with status $?"

# A fresh start: restore d.txt over a changed file.
printf 'changed\n' >"$top/S/T/d.txt"
start_windows_program "$program"
wait_for_count Quillmar 1
main=$(windows_named Quillmar)
activate_main "$main"
point_at "$main" 265 $((main_w * 2)) 66 "$main_h" click   # "Restore Files"
wait_for_count "Restoration List" 1
restore=$(windows_named "Restoration List")
# Walk the caret to d.txt's entry with the arrow keys, then "Restore".
point_at "$restore" 60 "$list_w" 12 "$list_h" click
records=$(tr ';' '\n' <"$backups/list.txt")
index=$(grep -nxF "${d%;}" <<<"$records" | cut -d: -f1)
xdotool key Home
for ((i = 1; i < index; i++)); do xdotool key Down; done
point_at "$restore" 151 "$list_w" 233 $((list_h * 2)) click
answer_box   # "File already exists. Overwrite it?": Yes
answer_box   # "File Restored"
wait_for_count Quillmar 1
cmp -s "$top/S/T/d.txt" "$backups/d.txtBACKUP" || fail "d.txt was not restored: $(cat "$top/S/T/d.txt")"
# The list is rewritten without the entry, the others in reverse order.
expected=""
while IFS= read -r record; do
  [[ -z $record || "$record;" == "$d" ]] || expected="$record;$expected"
done <<<"$records"
[[ "$(cat "$backups/list.txt")" == "$expected" ]] ||
  fail "after the restore list.txt is $(cat "$backups/list.txt"), not $expected"
# Letters typed into the list go to the find box below it, and the caret moves to the entry
# that holds them: the one of the two left that the caret is not on (it stands where d.txt's
# entry was, or on the last), which Restore then puts back over the file there. A click on
# the margin below the find box gives the window the keyboard, back on Restore; Shift+Tab
# takes it to the list without clicking a row.
mapfile -t left < <(grep -vxF "${d%;}" <<<"$records")
caret=$((index - 1 < ${#left[@]} ? index - 1 : ${#left[@]} - 1))
target=${left[$((1 - caret))]}
point_at "$restore" 93 "$list_w" 151 "$list_h" click
xdotool key shift+Tab
xdotool type --delay 50 "\\${target##*\\}"
point_at "$restore" 151 "$list_w" 233 $((list_h * 2)) click
answer_box   # "File already exists. Overwrite it?": Yes
answer_box   # "File Restored"
[[ "$(cat "$backups/list.txt")" == "${left[caret]};" ]] ||
  fail "typing ${target##*\\}, then Restore, left list.txt as $(cat "$backups/list.txt")"

point_into "$restore"
xdotool key Escape
wait_for_count "Restoration List" 0

# About from the system menu (Alt+Space): its item is the menu's last.
activate_main "$main"
xdotool key alt+space
sleep 0.5
xdotool key Up Return
wait_for_count "About Quillmar" 1
point_into "$(windows_named "About Quillmar")"
xdotool key Escape
wait_for_count "About Quillmar" 0

activate_main "$main"
xdotool key Escape
wait_for_exit || fail "the program ended with status $?"

# Escape during a long walk asks "Stop the clean?"; Yes (Return) ends the walk after the file
# in hand, every copy made so far is recorded, and the title says it stopped.
big="$session_dir/big"
for dir in $(seq 1 40); do
  mkdir -p "$big/d$dir"
  for file in $(seq 1 100); do printf 'x' >"$big/d$dir/f${dir}_$file"; done
done
rm -rf "$backups"
start_windows_program "$program"
wait_for_count Quillmar 1
main=$(windows_named Quillmar)
focus_files_box "$main"
type_directory_and_pattern "$(windows_path "$big")" ''
press_clean
answer_box   # OK: the walk starts
xdotool key Escape
box=$(wait_for_box "$main")
sleep 0.3
point_at "$box" 1 2 1 4 click
xdotool key Return   # Yes, the default answer
wait_gone "$box"
check_stopped_walk "$main" "$backups" 4000
activate_main "$main"
xdotool key Escape
wait_for_exit || fail "the program ended with status $?"
echo "PASS: cleaned D with *.txt (list.txt byte for byte), restored d.txt after a fresh start" \
  "and the entry typing found, opened About, ended with Escape, stopped a long walk"
