#!/usr/bin/env bash
# The command line of quillmar.exe under Wine, output redirected as a script would: each
# command's exit status and output, the bytes of list.txt with Windows paths, --dry-run
# writing nothing, a script that cleans, deletes the originals and restores them, folders and
# entries typed with "." and ".." parts and either separator or in quotes, folders in other
# case, versions with the unchanged-file check and a restore keeping the file it replaces, a
# shared copy of unknown origin, /? and a mistyped command.
# Usage: cli_windows_test.sh PATH-TO-QUILLMAR.EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../scripts/wine-run.sh
work=$(mktemp -d /tmp/quillmar-cli-win-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cp "$1" "$work/bin/quillmar.exe"
store=$work/bin/backups
out=$work/out
err=$work/err
. "$(dirname "$0")/cli_test_checks.sh"
# The path Wine gives a Linux path: drive Z:, backslashes.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Runs quillmar.exe in folder $work (or $work/$where); sets status.
where=
run() {
  (cd "$work/$where" && timeout 120 "$wine_run" "$work/bin/quillmar.exe" "$@" </dev/null >"$out" 2>"$err")
  status=$?
  # Wine's own notes about the Z: drive are not the program's.
  sed -i '/^wine: \|^X connection to /d' "$err"
  tr -d '\r' <"$out" >"$out.lf" && mv "$out.lf" "$out"
}
expect_status() {
  if ((status != $2)); then
    fail "$1" "exit status $status, not $2"
    return 1
  fi
}

mkdir -p "$work/data/sub"
echo alpha >"$work/data/a.txt"
echo beta >"$work/data/sub/b.txt"
echo delta >"$work/data/sub/d.doc"
cp -a "$work/data" "$work/original"
data=$(windows_path "$work/data")

run restore --yes --no-clobber --all
expect_status "usage error" 2 && grep -q '^Usage: quillmar restore' "$err" || fail "usage error" "no usage"
ok "usage error"

run clean "$(windows_path "$work/missing")"
expect_status "missing folder" 1
grep -q "^quillmar: cannot search the folder: $(windows_path "$work/missing" | sed 's/\\/\\\\/g'): " "$err" ||
  fail "missing folder" "not the path and the reason"
ok "missing folder"

run clean --dry-run --files '*.txt' "$data"
expect_status "--dry-run" 0
[[ $(sort "$out") == "$data\\a.txt
$data\\sub\\\\b.txt" ]] || fail "--dry-run" "not the two .txt files"
[[ -e $store ]] && fail "--dry-run" "the backups folder was made"
ok "--dry-run writes nothing"
dry=$(cat "$out")

run clean --files '*.txt' "$data"
expect_status "clean" 0
grep -qx 'Quillmar: 3 files visited, 2 backed up, 0 failed' "$out" || fail "clean" "no summary"
[[ $(cat "$store/list.txt") == "$(printf '%s;' $dry)" ]] || fail "clean" "list.txt is not the preview's records"
ok "clean"

run list
[[ $(cat "$out") == "$dry" ]] || fail "list" "not the entries in file order"
run store
expect_status "store" 0
grep -qx 'Entries: 2' "$out" && grep -qx 'Own copies: 2' "$out" || fail "store" "not the counts"
ok "list and store"

rm -rf "$work/data"
run restore --under "$data"
expect_status "restore --under" 0
diff -r "$work/original/a.txt" "$work/data/a.txt" >/dev/null &&
  diff "$work/original/sub/b.txt" "$work/data/sub/b.txt" >/dev/null || fail "restore --under" "the files differ"
[[ -f $store/list.txt && ! -s $store/list.txt ]] || fail "restore --under" "list.txt not emptied"
ok "script: clean, delete, restore --under"

# --- folders and entries typed with "." and ".." parts, with either separator --------------
rm -rf "$store"
mkdir -p "$work/proj/a" "$work/proj/b"
echo "project A" >"$work/proj/a/README"
echo "project B" >"$work/proj/b/README"
proj=$(windows_path "$work/proj")
where=proj run clean .
expect_status "clean ." 0
grep -qx 'Quillmar: 2 files visited, 2 backed up, 0 failed' "$out" || fail "clean ." "not two backed up"
[[ $(tr ';' '\n' <"$store/list.txt" | sort) == "$proj\\a\\\\README
$proj\\b\\\\README" ]] || fail "clean ." "not the two paths as they lie"
run list --under 'proj/b/../a/'
[[ $(cat "$out") == "$proj\\a\\\\README" ]] || fail "list --under with .." "not the entry in a alone"
echo "changed" >"$work/proj/a/README"
run restore "$proj\\a\\\\README"
expect_status "restore with no answer" 1
grep -qF "quillmar: not restored, no answer before the end of input: $proj\\a\\\\README" "$err" ||
  fail "restore with no answer" "not said that no answer came"
rm "$work/proj/a/README" "$work/proj/b/README"
where=proj run restore '.\a\README'
expect_status 'restore .\a\README' 0
where=proj/a run restore '../b/.././b/README'
expect_status "restore ../b/.././b/README" 0
[[ $(tr -d '\r' <"$work/proj/a/README") == "project A" && $(tr -d '\r' <"$work/proj/b/README") == "project B" ]] ||
  fail "clean ." "a README came back with another's text"
ok "folders and entries with . and .. parts, and no answer"

# As Explorer's "Copy as path" gives them: in double quotes.
run clean "\"$proj\""
expect_status "clean in quotes" 0
run list --under "\"$proj\\a\""
expect_status "list --under in quotes" 0
[[ $(cat "$out") == "$proj\\a\\\\README" ]] || fail "list --under in quotes" "not the entry in a"
rm "$work/proj/a/README"
run restore "\"$proj\\a\\README\""
expect_status "restore in quotes" 0
[[ $(tr -d '\r' <"$work/proj/a/README") == "project A" ]] || fail "restore in quotes" "not restored"
ok "folders and entries in quotes"

# Windows paths ignore case: the folder in capitals holds the entries recorded in small letters.
shouted=$(tr 'a-z' 'A-Z' <<<"$proj")
run list --under "$shouted"
expect_status "list --under in capitals" 0
# a's entry left the list with its restore above.
[[ $(cat "$out") == "$proj\\b\\\\README" ]] || fail "list --under in capitals" "not b's entry: $(cat "$out")"
rm "$work/proj/b/README"
run restore --under "$shouted\\B"
expect_status "restore --under in capitals" 0
[[ $(tr -d '\r' <"$work/proj/b/README") == "project B" ]] || fail "restore --under in capitals" "not restored"
ok "folders in other case"

# --- versions: an unchanged file not copied again, a changed one kept, a replaced one kept ----
rm -rf "$store"
mkdir -p "$work/ver"
echo one >"$work/ver/n.txt"
ver=$(windows_path "$work/ver")
run clean "$ver"
expect_status "versions: first clean" 0
own=$store/paths/Z$work/ver/n.txt
first=$(stat -c %i "$own" 2>/dev/null)
run clean "$ver"
expect_status "versions: unchanged clean" 0
[[ -n $first && $(stat -c %i "$own") == "$first" && ! -e $store/versions ]] ||
  fail "versions: unchanged clean" "the unchanged file was copied again"
echo two >"$work/ver/n.txt"
run clean "$ver"
run versions "$ver\\n.txt"
expect_status "versions" 0
[[ $(grep -c ' latest ' "$out") == 1 && $(grep -c ' version ' "$out") == 1 ]] ||
  fail "versions" "not the own copy and the one it replaced"
kept=$(sed -n 's/.* version  Z:\(.*\)$/\1/p' "$out" | tr '\\' /)
[[ $(tr -d '\r' <"$kept" 2>/dev/null) == one ]] || fail "versions" "the version does not hold the first contents"
echo edited >"$work/ver/n.txt"
run restore --yes "$ver\\n.txt"
expect_status "restore over an edited file" 0
kept=$(sed -n 's/^  the file it replaced is kept as Z:\(.*\)$/\1/p' "$out" | tr '\\' /)
[[ $(tr -d '\r' <"$work/ver/n.txt") == two && $(tr -d '\r' <"$kept" 2>/dev/null) == edited ]] ||
  fail "restore over an edited file" "the edited file is not kept: '$kept'"
ok "versions, the unchanged-file check and a restore keeping what it replaces"

# --- a shared copy whose origin Wine cannot keep (no alternate data streams) asks ------------
rm -rf "$store"
mkdir -p "$work/dup/a" "$work/dup/b"
echo from-a >"$work/dup/a/same.txt"
echo from-b >"$work/dup/b/same.txt"
dup=$(windows_path "$work/dup")
run clean "$dup"
expect_status "unknown origin: clean" 0
rm -f "$store/paths/Z$work/dup/a/same.txt" "$work/dup/a/same.txt"
run restore --no-clobber "$dup\\a\\\\same.txt"
expect_status "unknown origin: --no-clobber" 1
grep -q "^quillmar: not restored under --no-clobber, as its backup copy was taken from a file of the same name, origin unknown: " "$err" ||
  fail "unknown origin: --no-clobber" "no word of the unknown origin: $(cat "$out" "$err")"
[[ -e $work/dup/a/same.txt ]] && fail "unknown origin: --no-clobber" "restored all the same"
run restore --yes "$dup\\a\\\\same.txt"
expect_status "unknown origin: --yes" 0
[[ $(tr -d '\r' <"$work/dup/a/same.txt" 2>/dev/null) == from-b ]] || fail "unknown origin: --yes" "not the shared copy"
ok "a shared copy of unknown origin asks"

run '/?'
expect_status "/?" 0 && grep -q '^Usage: quillmar ' "$out" || fail "/?" "no usage"
run lsit
expect_status "lsit" 2 && grep -q "^quillmar: 'lsit' is neither a command nor a folder" "$err" ||
  fail "lsit" "not refused"
ok "/? and a mistyped command"

finish
