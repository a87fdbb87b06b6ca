#!/usr/bin/env bash
# Takes the screenshots of the real program under Xvfb: the main dialog, the question before
# a clean, the dialog with the clean's summary, the About box, the restoration list with a few
# entries (one and then three of them highlighted) and the question Restore then asks, and
# again larger with an entry found, the help text, the folder chooser and the versions of a
# file cleaned three times; then the main dialog at twice the scale and in the dark theme.
# Each picture is cropped to its window.
# Usage: screenshots.sh PATH-TO-QUILLMAR OUTPUT-FOLDER
set -euo pipefail
program=$(realpath "$1")
out=$(realpath "$2")
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$out"

# Saves window $1 as $out/$2.png.
capture() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root "$session_dir/screen.png"
  convert "$session_dir/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -strip \
    "$out/$2.png"
  echo "$out/$2.png: ${WIDTH}x${HEIGHT}"
}

start_xvfb
docs="$session_dir/Documents"
mkdir -p "$docs/letters" "$docs/notes"
for f in letters/bank.txt letters/landlord.txt notes/ideas.txt notes/todo.txt plan.txt; do
  echo "$f" >"$docs/$f"
done
echo photo >"$docs/photo.jpg"

start_program "$program"
wait_for_count Quillmar 1
main=$(windows_named Quillmar)
point_into "$main"
type_directory_and_pattern "$docs" '*.txt'
sleep 0.3
capture "$main" main_dialog

# The question before the walk.
xdotool key Tab Return
box=$(wait_for_box "$main")
sleep 0.3
capture "$box" message_box
point_into "$box"
xdotool key Return
wait_gone "$box"

# The clean's summary below the buttons; the title keeps its short form.
wait_for_title "$main" "Quillmar - *" >/dev/null
sleep 0.3
capture "$main" main_dialog_cleaned

# The About box, from the system menu's stand-in (right-click on the dialog's background).
point_at "$main" 8 191 80 112 click
xdotool click 3
sleep 0.5
xdotool key Down Down Return
wait_for_count "About Quillmar" 1
about=$(windows_named "About Quillmar")
sleep 0.3
capture "$about" about_box
point_into "$about"
xdotool key Return
wait_for_count "About Quillmar" 0

# The restoration list with the entries the walk recorded.
point_at "$main" 265 382 66 112 click
wait_for_count "Restoration List" 1
list=$(windows_named "Restoration List")
point_at "$list" 60 186 21 154 click
sleep 0.3
capture "$list" restore_list
# Three entries highlighted: a Shift-click two rows below the one clicked.
xdotool keydown shift
point_at "$list" 60 186 45 154 click
xdotool keyup shift
sleep 0.3
capture "$list" restore_list_highlighted
# Restore: the files are still there, so the first question comes, with its file and the
# check box that answers for the rest. Each question is answered No (Escape), then the report.
point_at "$list" 151 186 233 308 click
box=$(wait_for_box "$main")
sleep 0.3
capture "$box" restore_overwrite
for _ in 1 2 3; do
  point_into "$(wait_for_box "$main")"
  xdotool key Escape
  sleep 0.3
done
point_into "$(wait_for_box "$main")"
xdotool key Return
sleep 0.3
# Letters typed into the list find the entry that holds them; the window, made larger, gives
# the room to the list.
xdotool type --delay 50 "todo"
eval "$(xdotool getwindowgeometry --shell "$list")"
xdotool windowsize "$list" $((WIDTH * 3 / 2)) $((HEIGHT * 5 / 4))
sleep 0.5
capture "$list" restore_list_find
point_into "$list"
xdotool key Escape
wait_for_count "Restoration List" 0

# The help text.
point_at "$main" 178 191 73 112 click
help=$(wait_for_box "$main")
sleep 0.3
capture "$help" help_text
point_into "$help"
xdotool key Return
wait_gone "$help"

# The folder chooser, opened at the Directory box's folder.
point_at "$main" 164 191 19 112 click
wait_for_count "Select a folder:" 1
chooser=$(windows_named "Select a folder:")
sleep 0.5
capture "$chooser" folder_browser
point_into "$chooser"
xdotool key Escape
wait_for_count "Select a folder:" 0

# "Versions..." for a letter that three cleans found changed: the Directory box names its
# folder, each clean follows a change, a second apart so that each copy has its own time.
letters="$session_dir/Letters"
mkdir -p "$letters"
point_at "$main" 101 191 18 87 click
xdotool key ctrl+a
xdotool type --delay 20 "$letters"
for text in "Dear bank," "Dear bank, about the loan" "Dear bank, about the loan we spoke of"; do
  echo "$text" >"$letters/bank.txt"
  point_at "$main" 76 191 66 87 click
  box=$(wait_for_box "$main")
  point_into "$box"
  xdotool key Return
  wait_gone "$box"
  sleep 1.1
done
point_at "$main" 132 191 66 87 click
wait_for_count "Restoration List" 1
list=$(windows_named "Restoration List")
# The last entries are the letter's; the Menu key opens the list's menu at its first item.
point_at "$list" 60 186 12 138 click
xdotool key End Menu
sleep 0.5
xdotool key Return
wait_for_count Versions 1
versions=$(windows_named Versions)
sleep 0.3
capture "$versions" versions
point_into "$versions"
xdotool key Escape
wait_for_count Versions 0
point_into "$list"
xdotool key Escape
wait_for_count "Restoration List" 0

point_into "$main"
xdotool key Escape
wait_for_exit

# The main dialog as a 200 % screen and the dark theme show it.
for look in "GDK_SCALE=2 main_dialog_scale2" "GTK_THEME=Adwaita:dark main_dialog_dark"; do
  read -r setting name <<<"$look"
  env "$setting" "$session_dir/app/quillmar" >"$session_dir/app.out" 2>"$session_dir/app.err" &
  app_pid=$!
  wait_for_count Quillmar 1
  main=$(windows_named Quillmar)
  point_into "$main"
  type_directory_and_pattern "$docs" '*.txt'
  sleep 0.3
  capture "$main" "$name"
  xdotool key Escape
  wait_for_exit
done
