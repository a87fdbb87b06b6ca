#!/usr/bin/env bash
# The command line of quillmar.exe under Wine, output redirected as a script would: each
# command's exit status and output, the bytes of list.txt with Windows paths, --dry-run
# writing nothing, and a script that cleans, deletes the originals and restores them.
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

run() {
  (cd "$work" && timeout 120 "$wine_run" bin/quillmar.exe "$@" </dev/null >"$out" 2>"$err")
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

finish
