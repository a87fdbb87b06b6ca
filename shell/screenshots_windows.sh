#!/usr/bin/env bash
# Takes the screenshots of quillmar.exe under Wine, in Wine's own desktop window so that the
# title bars, the icon and the system menu are drawn: the main dialog, the question before a
# clean, the help text, the restoration list, the overwrite question, an entry's versions,
# the system menu, the About box, the shell's folder browser and the question that stops a
# long walk. Each picture is trimmed to the windows on show.
# Driven from the keyboard only: Wine's desktop is one X window.
# Usage: screenshots_windows.sh PATH-TO-QUILLMAR.EXE OUTPUT-FOLDER
set -euo pipefail
program=$(realpath "$1")
out=$(realpath "$2")
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$out"

desktop_w=800 desktop_h=600

# Saves the desktop as $out/$1.png, cut to what differs from its background.
capture() {
  sleep 0.6
  import -window root "$session_dir/screen.png"
  convert "$session_dir/screen.png" -crop "${desktop_w}x${desktop_h}+0+0" -fuzz 2% -trim \
    +repage -bordercolor '#236f95' -border 8 -strip "$out/$1.png"
  echo "$out/$1.png: $(identify -format '%wx%h' "$out/$1.png")"
}

start_xvfb
docs="$session_dir/Documents"
mkdir -p "$docs/letters" "$docs/notes"
for f in letters/bank.txt letters/landlord.txt notes/ideas.txt notes/todo.txt plan.txt; do
  echo "$f" >"$docs/$f"
done
echo photo >"$docs/photo.jpg"
# Long enough to walk that Escape lands while it runs.
big="$session_dir/Archive"
for dir in $(seq 1 60); do
  mkdir -p "$big/box$dir"
  for file in $(seq 1 100); do echo "$file" >"$big/box$dir/page$file.txt"; done
done

mkdir -p "$session_dir/app"
cp "$program" "$session_dir/app/quillmar.exe"
if [[ -z ${WINEPREFIX:-} ]]; then
  session_wineprefix="$session_dir/wineprefix"
  export WINEPREFIX=$session_wineprefix
fi
"$(dirname "$0")/../scripts/wine-run.sh" explorer "/desktop=Quillmar,${desktop_w}x${desktop_h}" \
  "$(windows_path "$session_dir/app/quillmar.exe")" >"$session_dir/app.out" 2>&1 &
app_pid=$!
for _ in $(seq 300); do
  [[ -n $(xdotool search --name '^Quillmar - Wine desktop$' 2>/dev/null) ]] && break
  sleep 0.1
done
sleep 2
xdotool mousemove 5 5   # the keyboard goes to the window under the pointer: the desktop

# The Files box has the focus; tab order: Files, Quillmar!, .., Directory, ?, Restore Files.
type_directory_and_pattern "$(windows_path "$docs")" '*.txt'
capture main_dialog

xdotool key Tab space   # "Quillmar!"
capture message_box
xdotool key Return      # OK: the walk
sleep 1

xdotool key Tab Tab Tab space   # "?" (the focus came back to "Quillmar!")
capture help_text
xdotool key Return

xdotool key Tab space   # "Restore Files"
sleep 0.5
xdotool key Down Down space   # the caret to the third entry, and select it
capture restore_list
xdotool key Tab space   # "Restore": the file is there
capture overwrite_question
xdotool key n           # No
xdotool key shift+Tab shift+F10 v   # the list's context menu: "Versions..." of the entry
capture versions
xdotool key Escape
xdotool key Escape
sleep 0.5

xdotool key alt+space
capture system_menu
xdotool key Up Return   # "About Quillmar...", the menu's last item
capture about_box
xdotool key Return

xdotool key shift+Tab shift+Tab shift+Tab   # from "Restore Files" back to ".."
xdotool key space
sleep 1.5
capture folder_browser
xdotool key Escape
sleep 0.5
# The focus is back on "..": the Directory box follows it.
xdotool key Tab End shift+Home
xdotool type --delay 30 "$(windows_path "$big")"
xdotool key shift+Tab shift+Tab space   # "Quillmar!"
sleep 0.5
xdotool key Return   # OK: the long walk
sleep 0.5
xdotool key Escape
capture stop_question
xdotool key Return   # Yes: the walk stops, the title says so
sleep 0.5
xdotool key Escape   # the main dialog, and with it the program
