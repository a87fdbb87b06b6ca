#!/usr/bin/env bash
# The command line against real trees and a real store, without a display: each command's
# exit status, output and the bytes of list.txt; --dry-run writes nothing; folders and entries
# typed with "." and ".." parts; names that are not UTF-8 or hold line breaks through list,
# list -0 and list --json; the answers a and q to restore's questions; a script that cleans,
# deletes the originals and restores them; versions and restore --as-of over three cleans;
# restore --as-of --under and --all finding paths by their copies after their entries left the
# list, and list --json giving each entry's copies; a clean in another process while a restore
# runs. Usage: cli_test.sh PATH-TO-QUILLMAR
set -uo pipefail
work=$(mktemp -d /tmp/quillmar-cli-XXXXXX)
trap 'rm -rf "$work"' EXIT
# A portable copy keeps its store beside itself: this test's own.
mkdir "$work/bin"
cp "$1" "$work/bin/quillmar"
q=$work/bin/quillmar
store=$work/bin/backups
out=$work/out
err=$work/err
. "$(dirname "$0")/cli_test_checks.sh"

# Runs the program without a display in folder $work (or $work/$where); sets status. Standard
# input is empty unless given through $input.
input=
where=
run() {
  (cd "$work/$where" && printf '%s' "$input" |
    env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 "$q" "$@" >"$out" 2>"$err")
  status=$?
  input=
}
expect_status() {
  local label=$1 want=$2
  if ((status != want)); then
    fail "$label" "exit status $status, not $want"
    return 1
  fi
}
# Everything below a folder with its sizes and times, for "nothing changed".
snapshot() { (cd "$1" && find . -printf '%p %y %s %T@\n' | sort); }

# --- the tree -------------------------------------------------------------------------
mkdir -p "$work/data/sub/deep" "$work/data/other"
echo alpha >"$work/data/a.txt"
echo beta >"$work/data/sub/b.txt"
echo gamma >"$work/data/sub/deep/c.txt"
echo delta >"$work/data/sub/d.doc"
echo other >"$work/data/other/e.txt"
cp -a "$work/data" "$work/original"

# --- usage errors: status 2, the usage on standard error, nothing written ---------------
run clean ""
expect_status "clean of an empty folder name" 2
for args in "clean" "clean --bogus data" "clean data more" "clean --files" "restore" \
  "restore --yes --no-clobber --all" "restore --all --under data" "list --bogus" "store extra"; do
  run $args
  if expect_status "$args" 2; then
    grep -q '^Usage: quillmar ' "$err" && [[ ! -s $out ]] || fail "$args" "no usage on standard error"
  fi
done
[[ -e $store ]] && fail "usage errors" "the store was made"
ok "usage errors"

# A word that is neither a command nor a folder is a mistyped command, not a folder to open.
for args in "lsit" "restroe --all" "clean-up"; do
  run $args
  if expect_status "$args" 2; then
    grep -qx "quillmar: '${args%% *}' is neither a command nor a folder" "$err" &&
      grep -q '^       quillmar restore ' "$err" && [[ ! -s $out ]] ||
      fail "$args" "not refused with the usage"
  fi
done
ok "a mistyped command"

for ask in help -h --help; do
  run "$ask"
  expect_status "$ask" 0 && grep -q '^Usage: quillmar ' "$out" &&
    grep -q '^       quillmar clean ' "$out" && [[ ! -s $err ]] || fail "$ask" "no usage"
done
ok "help, -h and --help"

for command in clean list restore store; do
  run "$command" --help
  expect_status "$command --help" 0 && grep -q "^Usage: quillmar $command" "$out" ||
    fail "$command --help" "no usage"
done
ok "--help of each command"

# --- a folder that cannot be searched -----------------------------------------------------
run clean "$work/missing"
expect_status "clean of a missing folder" 1
grep -qx "quillmar: cannot search the folder: $work/missing: No such file or directory" "$err" ||
  fail "clean of a missing folder" "not the path and the reason"
ok "clean of a missing folder"

# --- --dry-run: the files that would be backed up, nothing written -------------------------
before=$(snapshot "$work/bin"; snapshot "$work/data")
run clean --dry-run --files '*.txt' data
expect_status "--dry-run" 0
dry=$(cat "$out")
expected="$work/data/a.txt
$work/data/other//e.txt
$work/data/sub//b.txt
$work/data/sub//deep//c.txt"
[[ $(sort <<<"$dry") == "$expected" ]] || fail "--dry-run" "not the four .txt files"
grep -qx '4 of 5 files visited would be backed up; nothing was written' "$err" ||
  fail "--dry-run" "no summary"
[[ $(snapshot "$work/bin"; snapshot "$work/data") == "$before" ]] || fail "--dry-run" "something was written"
ok "--dry-run writes nothing"

# --- clean: the same files, recorded in the walk's order -------------------------------
run clean --files '*.txt' data
expect_status "clean" 0
grep -qx 'Quillmar: 5 files visited, 4 backed up, 0 failed' "$out" || fail "clean" "no summary"
grep -q $'\r' "$err" && fail "clean" "progress drawn although standard error is a file"
# The walk meets the files in the preview's order, so the list holds exactly its lines.
want_list=$(printf '%s;' $dry)
[[ $(cat "$store/list.txt") == "$want_list" ]] || fail "clean" "list.txt is not the preview's records"
[[ -f $store/a.txtBACKUP && -f $store/paths$work/data/sub/deep/c.txt ]] ||
  fail "clean" "no shared or own copy"
ok "clean records what the preview listed"

# --- list, list --under, list --json, store ----------------------------------------------
run list
expect_status "list" 0
[[ $(cat "$out") == "$dry" ]] || fail "list" "not the entries in file order"
run list --under data/sub
[[ $(cat "$out") == "$(grep '/data/sub/' <<<"$dry")" ]] || fail "list --under" "not the entries below data/sub"
mv "$store/paths$work/data/other/e.txt" "$work/e.kept"
mv "$store/e.txtBACKUP" "$work/e.shared"
run list --json
expect_status "list --json" 0
python3 - "$out" "$work" <<'EOF' || fail "list --json" "not the entries with their copies"
import json, sys
entries = json.load(open(sys.argv[1]))
work = sys.argv[2]
missing = {e["path"] for e in entries if not e["copy"]}
assert len(entries) == 4, entries
assert missing == {work + "/data/other//e.txt"}, missing
EOF
mv "$work/e.kept" "$store/paths$work/data/other/e.txt"
mv "$work/e.shared" "$store/e.txtBACKUP"
run store
expect_status "store" 0
# Each own copy is its name's shared copy: in all, the bytes of the four files once.
[[ $(cat "$out") == "Store: $store/
Entries: 4
Shared copies: 4
Own copies: 4
Versions: 0
Bytes: own copies 23, shared copies 23, versions 0; in all 23" ]] || fail "store" "not the store's counts"
ok "list, list --under, list --json, store"

# --- restore: the questions, answered by the terminal or by the options --------------------
list_before=$(cat "$store/list.txt")
echo "changed" >"$work/data/a.txt"
run restore --no-clobber "$work/data/a.txt"
expect_status "restore --no-clobber" 1
grep -qx "quillmar: not restored under --no-clobber, as a file is there already: $work/data/a.txt" "$err" ||
  fail "restore --no-clobber" "not said what was left and why"
[[ $(cat "$work/data/a.txt") == changed && $(cat "$store/list.txt") == "$list_before" ]] ||
  fail "restore --no-clobber" "something changed"
run restore "$work/data/a.txt"
expect_status "restore with no answer" 1
grep -qx "quillmar: not restored, no answer before the end of input: $work/data/a.txt" "$err" ||
  fail "restore with no answer" "not said that no answer came"
[[ $(cat "$work/data/a.txt") == changed && $(cat "$store/list.txt") == "$list_before" ]] ||
  fail "restore with no answer" "something changed"
input=$'n\n'
run restore "$work/data/a.txt"
expect_status "restore answered no" 1
grep -qx "quillmar: not restored, as answered: $work/data/a.txt" "$err" ||
  fail "restore answered no" "not said what was left"
grep -q "$work/data/a.txt already exists. Overwrite it? \[y/N/a/q\]" "$err" ||
  fail "restore answered no" "no question"
[[ $(cat "$work/data/a.txt") == changed ]] || fail "restore answered no" "the file was replaced"
input=$'y\n'
run restore "$work/data/a.txt"
expect_status "restore answered yes" 0
grep -qx "restored, replacing: $work/data/a.txt" "$out" || fail "restore answered yes" "not said"
[[ $(cat "$work/data/a.txt") == alpha ]] || fail "restore answered yes" "not the backed-up contents"
# The first rewrite after a load writes the entries that remain in reverse, as the dialog does.
want_list=$(printf '%s;' $(grep -vx "$work/data/a.txt" <<<"$dry" | tac))
[[ $(cat "$store/list.txt") == "$want_list" ]] || fail "restore answered yes" "list.txt not rewritten"
run restore "$work/data/a.txt"
expect_status "restore of an entry not listed" 1
grep -qx "quillmar: not in the restoration list: $work/data/a.txt" "$err" ||
  fail "restore of an entry not listed" "not said"
# An entry typed by hand: relative, with single separators.
run restore --yes data/sub/b.txt
expect_status "restore of a relative entry" 0
grep -qx "restored, replacing: $work/data/sub//b.txt" "$out" || fail "restore of a relative entry" "not found"
# And with "." and ".." parts, resolved as a shell's cd would.
run restore --yes ./data/other/../sub/./deep/c.txt
expect_status "restore of an entry with . and .. parts" 0
grep -qx "restored, replacing: $work/data/sub//deep//c.txt" "$out" ||
  fail "restore of an entry with . and .. parts" "not found"
ok "restore's questions"

# --- restore of several entries: a answers the rest of its kind, q stops ---------------------
for name in many few; do
  mkdir -p "$work/$name"
  for i in 1 2 3 4; do echo "$name $i" >"$work/$name/f$i"; done
done
rm -f "$work/few/f4"
run clean many
run clean few
for f in "$work"/many/f* "$work"/few/f*; do echo changed >"$f"; done
# The first file asked about: no; the second: all. The two others are not asked about.
input=$'n\na\n'
run restore --under many
expect_status "restore answered n, then a" 1
[[ $(grep -o 'Overwrite it? \[y/N/a/q\]' "$err" | wc -l) == 2 ]] ||
  fail "restore answered n, then a" "not asked twice"
[[ $(grep -c '^restored, replacing: ' "$out") == 3 && $(grep -lx changed "$work"/many/f* | wc -l) == 1 ]] ||
  fail "restore answered n, then a" "not three restored and one left"
kept=$(grep -lx changed "$work"/many/f*)
grep -qx "quillmar: not restored, as answered: $kept" "$err" || fail "restore answered n, then a" "not said"
[[ $(tr ';' '\n' <"$store/list.txt" | grep -c "^$work/many/") == 1 ]] &&
  grep -qF "$kept;" "$store/list.txt" || fail "restore answered n, then a" "list.txt not rewritten"
# Yes to the first, q at the second: the third is not tried, and the first stays restored.
input=$'y\nq\n'
run restore --under few
expect_status "restore answered y, then q" 1
[[ $(grep -c '^restored, replacing: ' "$out") == 1 && $(grep -lx changed "$work"/few/f* | wc -l) == 2 ]] ||
  fail "restore answered y, then q" "not one restored and two left"
grep -q '^quillmar: not restored, stopped as answered: ' "$err" &&
  grep -qx 'quillmar: stopped as answered; entries not tried: 1' "$err" ||
  fail "restore answered y, then q" "not said"
[[ $(tr ';' '\n' <"$store/list.txt" | grep -c "^$work/few/") == 2 ]] ||
  fail "restore answered y, then q" "list.txt not rewritten"
ok "restore of several entries: a and q"

# --- folders and entries typed with "." and ".." parts --------------------------------------
# Each path keeps its own copy, whatever way its folder was typed.
rm -rf "$store"
mkdir -p "$work/proj/a" "$work/proj/b"
echo "project A" >"$work/proj/a/README"
echo "project B" >"$work/proj/b/README"
where=proj run clean .
expect_status "clean ." 0
grep -qx 'Quillmar: 2 files visited, 2 backed up, 0 failed' "$out" || fail "clean ." "not two backed up"
[[ $(tr ';' '\n' <"$store/list.txt" | sort) == "$work/proj/a//README
$work/proj/b//README" ]] || fail "clean ." "not the two paths as they lie"
where=proj/b run list --under ./../a/.
[[ $(cat "$out") == "$work/proj/a//README" ]] || fail "list --under ./../a/." "not the entry in a alone"
run list --under proj/b/../a/
expect_status "list --under with .." 0
[[ $(cat "$out") == "$work/proj/a//README" ]] || fail "list --under with .." "not the entry in a alone"
rm "$work/proj/a/README" "$work/proj/b/README"
where=proj run restore ./a/README
expect_status "restore ./a/README" 0
where=proj/a run restore ../b/../b/./README
expect_status "restore ../b/../b/./README" 0
[[ $(cat "$work/proj/a/README") == "project A" && $(cat "$work/proj/b/README") == "project B" ]] ||
  fail "clean ." "a README came back with another's text"
rm -rf "$work/proj"
ok "folders and entries with . and .. parts"

# --- names no line or JSON reader would take as they are ------------------------------------
rm -rf "$store"
mkdir "$work/odd"
odd_names=($'not utf-8 \xff\xfe.txt' $'two\nlines.txt' 'quote" and back\slash.txt' $'tab\there.txt')
for name in "${odd_names[@]}"; do echo "$name" >"$work/odd/$name"; done
run clean odd
expect_status "odd names: clean" 0
run list --json
expect_status "list --json of odd names" 0
python3 - "$out" "$work/odd" <<'EOF' || fail "list --json of odd names" "not valid JSON giving every name back"
import base64, json, os, sys
with open(sys.argv[1], "rb") as f:
    entries = json.loads(f.read().decode("utf-8", errors="strict"))
folder = os.fsencode(sys.argv[2])
names = {os.path.join(folder, n) for n in os.listdir(folder)}
given = set()
for e in entries:
    if "path_bytes" in e:
        raw = base64.b64decode(e["path_bytes"], validate=True)
        assert e["path"] == raw.decode("utf-8", errors="replace"), e
    else:
        raw = e["path"].encode("utf-8")
    given.add(raw)
assert given == names, (given, names)
assert sum("path_bytes" in e for e in entries) == 1, entries
EOF
run list -0
expect_status "list -0" 0
python3 - "$out" "$work/odd" <<'EOF' || fail "list -0" "not each name whole, each ended by a zero byte"
import os, sys
data = open(sys.argv[1], "rb").read()
folder = os.fsencode(sys.argv[2])
assert data.endswith(b"\0"), data
assert set(data[:-1].split(b"\0")) == {os.path.join(folder, n) for n in os.listdir(folder)}, data
EOF
run list
[[ $(wc -l <"$out") == 4 ]] || fail "list of odd names" "not one line an entry"
grep -qxF "$work/odd/two\x0Alines.txt" "$out" && grep -qxF "$work/odd/tab\x09here.txt" "$out" ||
  fail "list of odd names" "control characters not written as \\xHH"
# An entry as list printed it is one restore takes.
rm "$work/odd/"two*
run restore "$(grep -F 'two\x0A' "$out")"
expect_status "restore of an entry as list printed it" 0
[[ $(cat "$work/odd/"$'two\nlines.txt') == $'two\nlines.txt' ]] ||
  fail "restore of an entry as list printed it" "not restored"
run list --json -0
expect_status "list --json -0" 2
rm -rf "$work/odd"
ok "names that are not UTF-8 or hold control characters"

# --- a script: clean, delete the originals, restore --under, compare the trees --------------
rm -rf "$store" "$work/data"
cp -a "$work/original" "$work/data"
run clean data
expect_status "script: clean" 0
run clean data
expect_status "script: clean again" 0
rm -rf "$work/data"
run restore --under "$work/data/"
expect_status "script: restore --under" 0
[[ $(grep -c '^restored: ' "$out") == 5 ]] || fail "script: restore --under" "not five restored"
diff -r "$work/original" "$work/data" >/dev/null || fail "script" "the trees differ"
[[ -f $store/list.txt && ! -s $store/list.txt ]] || fail "script" "list.txt not emptied"
ok "script: clean twice, delete, restore --under, trees equal"

# --- a failure inside a clean: named on standard error, status 1 ---------------------------
mkfifo "$work/data/pipe.txt"
run clean data
expect_status "clean with a FIFO" 1
grep -q "^quillmar: cannot copy: $work/data/pipe.txt: " "$err" || fail "clean with a FIFO" "not named"
grep -q "^These files and folders have no copy of their own:" "$err" ||
  fail "clean with a FIFO" "no list of what is not protected"
grep -qx 'Quillmar: 6 files visited, 5 backed up, 1 failed' "$out" || fail "clean with a FIFO" "no summary"
rm "$work/data/pipe.txt"
ok "a failure inside a clean"

# --- progress on a terminal ------------------------------------------------------------------
if command -v script >/dev/null; then
  (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY script -qec "'$q' clean data" /dev/null \
    >"$out" 2>"$err")
  status=$?
  expect_status "clean on a terminal" 0
  grep -q $'\r1 file visited, 1 backed up, 0 failed (' "$out" ||
    fail "clean on a terminal" "no progress line"
  ok "progress on a terminal"
fi

# --- versions: each clean's copy comes back, and so does a file a restore replaced ------------
rm -rf "$store"
mkdir -p "$work/notes"
times=()
for text in one two three; do
  echo "$text" >"$work/notes/n.txt"
  run clean notes
  expect_status "versions: clean of '$text'" 0
  times+=("$(date -u '+%Y-%m-%d %H:%M:%S')")
  sleep 1.1  # each clean in a second of its own, as the versions' names count seconds
done
run versions notes/n.txt
expect_status "versions" 0
[[ $(wc -l <"$out") == 3 && $(sed -n 1p "$out") == *" latest "* &&
  $(grep -c " version " "$out") == 2 ]] || fail "versions" "not the own copy and two versions"
for i in 0 1 2; do
  want=$(printf 'one\ntwo\nthree\n' | sed -n "$((i + 1))p")
  run restore --yes --as-of "${times[$i]}" notes/n.txt
  expect_status "restore --as-of ${times[$i]}" 0
  [[ $(cat "$work/notes/n.txt") == "$want" ]] ||
    fail "restore --as-of ${times[$i]}" "got '$(cat "$work/notes/n.txt")', not '$want'"
done
# Each restore over the file kept the file it replaced, and the entry has left the list: the
# path is still found by its copies.
run versions notes/n.txt
[[ $(grep -c " version " "$out") -ge 5 ]] || fail "versions after restores" "replaced files not kept"
echo "edited by hand" >"$work/notes/n.txt"
run restore --yes --as-of "${times[2]}" notes/n.txt
grep -q "kept as $store/versions/" "$out" || fail "restore keeps what it replaces" "no version named"
kept=$(sed -n 's/^  the file it replaced is kept as //p' "$out")
[[ $(cat "$kept" 2>/dev/null) == "edited by hand" ]] || fail "restore keeps what it replaces" "$kept"
run restore --as-of 1970-01-01 notes/n.txt
expect_status "restore --as-of before any copy" 1
grep -q "no copy taken at or before 1970-01-01 235959 UTC" "$err" ||
  fail "restore --as-of before any copy" "no reason given"
run restore --as-of yesterday notes/n.txt
expect_status "restore --as-of with a word" 2
run versions notes/never.txt
expect_status "versions of a path never cleaned" 1
ok "versions and restore --as-of"

# --- prune: only versions go, and only as asked; store counts their bytes ---------------------
run store
versions_before=$(sed -n 's/^Versions: //p' "$out")
((versions_before >= 5)) || fail "store" "counts $versions_before versions"
grep -q '^Bytes: own copies [0-9]*, shared copies [0-9]*, versions [0-9]*; in all [0-9]*$' "$out" ||
  fail "store" "no bytes"
for args in "prune" "prune --dry-run --keep-last 1"; do
  run $args
  expect_status "$args" 0
  run store
  [[ $(sed -n 's/^Versions: //p' "$out") == "$versions_before" ]] || fail "$args" "removed versions"
done
run prune --keep-last 1
expect_status "prune --keep-last 1" 0
[[ $(grep -c '^removed: ' "$out") == $((versions_before - 1)) ]] || fail "prune --keep-last 1" "not all but one"
removed_word=versions
((versions_before - 1 == 1)) && removed_word=version
grep -q "^Removed $((versions_before - 1)) $removed_word, [1-9][0-9]* bytes freed$" "$out" ||
  fail "prune --keep-last 1" "no summary"
run versions notes/n.txt
[[ $(grep -c ' latest ' "$out") == 1 && $(grep -c ' version ' "$out") == 1 ]] ||
  fail "prune --keep-last 1" "not the own copy and one version left"
run prune --older-than 0
expect_status "prune --older-than 0" 0
run restore --yes --as-of "$(date -u '+%Y-%m-%d %H:%M:%S')" notes/n.txt
expect_status "restore after prune" 0
[[ $(cat "$work/notes/n.txt") == three ]] || fail "restore after prune" "not the latest copy"
run prune --keep-last x
expect_status "prune --keep-last x" 2
ok "prune and store"

# --- a clean of an unchanged tree copies nothing and adds nothing to the store ---------------
run clean notes
run store
bytes_once=$(grep '^Bytes:' "$out")
for again in 1 2; do
  run clean notes
  expect_status "unchanged clean $again" 0
done
run store
[[ $(grep '^Bytes:' "$out") == "$bytes_once" ]] || fail "unchanged cleans" "the store grew: $(grep '^Bytes:' "$out")"
ok "unchanged cleans"

# --- restore --as-of --under and --all: paths found by their copies, listed or not ------------
rm -rf "$store" "$work/hist"
mkdir -p "$work/hist/sub"
echo a1 >"$work/hist/a.txt"
echo b1 >"$work/hist/sub/b.txt"
run clean hist
first=$(date -u '+%Y-%m-%d %H:%M:%S')
sleep 1.1
echo a2 >"$work/hist/a.txt"
echo b2 >"$work/hist/sub/b.txt"
echo c2 >"$work/hist/sub/c.txt"
run clean hist
run list --json
expect_status "list --json with versions" 0
python3 - "$out" "$work/hist" <<'EOF' || fail "list --json with versions" "not each entry's copies, newest first"
import json, sys
entries = json.load(open(sys.argv[1]))
hist = sys.argv[2]
copies = {}
for e in entries:
    copies.setdefault(e["path"], e["versions"])
    assert e["versions"] == copies[e["path"]], e
def held(path):
    return [(c["kind"], c["size"], open(c["file"]).read()) for c in copies[path]]
assert held(hist + "/a.txt") == [("latest", 3, "a2\n"), ("version", 3, "a1\n")], held(hist + "/a.txt")
assert held(hist + "/sub//c.txt") == [("latest", 3, "c2\n")], held(hist + "/sub//c.txt")
a = copies[hist + "/a.txt"]
assert a[0]["time"] > a[1]["time"] and a[1]["time"].endswith(" UTC"), a
EOF
# Every entry restored: the list is empty, the paths are only in the store.
run restore --yes --all
[[ ! -s $store/list.txt ]] || fail "restore --yes --all" "entries left in the list"
rm -rf "$work/hist"
run restore --as-of "$first" --under hist/sub
expect_status "restore --as-of --under after the entries left" 0
[[ $(cat "$work/hist/sub/b.txt" 2>&1) == b1 && ! -e $work/hist/sub/c.txt && ! -e $work/hist/a.txt ]] ||
  fail "restore --as-of --under after the entries left" "not b.txt as it was first, alone"
grep -qx "quillmar: 1 path has no copy taken at or before ${first:0:10} ${first:11:2}${first:14:2}${first:17:2} UTC: left as it is" "$err" ||
  fail "restore --as-of --under after the entries left" "c.txt, newer than the time, not counted"
run restore --yes --as-of "$(date -u '+%Y-%m-%d %H:%M:%S')" --all
expect_status "restore --as-of --all after the entries left" 0
[[ $(cat "$work/hist/a.txt" "$work/hist/sub/b.txt" "$work/hist/sub/c.txt" 2>&1) == $'a2\nb2\nc2' ]] ||
  fail "restore --as-of --all after the entries left" "not the latest copies"
[[ $(grep -c '^restored' "$out") == 3 ]] || fail "restore --as-of --all after the entries left" "not three restored"
[[ ! -s $store/list.txt ]] || fail "restore --as-of --all after the entries left" "the list gained entries"
# The b2 it replaced was kept too, and the first state comes back again, as often as asked.
run restore --yes --as-of "$first" --all
[[ $(cat "$work/hist/a.txt" "$work/hist/sub/b.txt" 2>&1) == $'a1\nb1' ]] ||
  fail "restore --as-of --all once more" "not the first copies"
ok "restore --as-of --under and --all find paths by their copies"

# --- a clean in another process while a restore runs ---------------------------------------
rm -rf "$store"
mkdir -p "$work/big"
for d in $(seq 1 20); do
  mkdir "$work/big/d$d"
  for f in $(seq 1 100); do echo "$d $f" >"$work/big/d$d/f$f.txt"; done
done
run clean data
expect_status "concurrent: first clean" 0
rm -rf "$work/data"
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY "$q" clean big >"$work/clean.out" 2>"$work/clean.err") &
cleaner=$!
# The restore starts once the clean has begun to append.
for _ in $(seq 1 500); do
  grep -q "$work/big/" "$store/list.txt" 2>/dev/null && break
  sleep 0.01
done
run restore --under data
kill -0 $cleaner 2>/dev/null && echo "(the clean was still running when the restore ended)"
restore_status=$status
wait $cleaner
clean_status=$?
status=$restore_status
expect_status "concurrent: restore" 0
status=$clean_status
expect_status "concurrent: clean" 0
diff -r "$work/original" "$work/data" >/dev/null || fail "concurrent" "the restored tree differs"
# Every record of the second clean is there, once, and none of the entries restored.
records=$(tr ';' '\n' <"$store/list.txt" | sort)
[[ $(wc -l <<<"$records") == 2000 && $(grep -c "^$work/big/d[0-9]*//f[0-9]*\.txt$" <<<"$records") == 2000 &&
  $(sort -u <<<"$records" | wc -l) == 2000 ]] || fail "concurrent" "records lost or left over"
ok "a clean in another process while a restore runs"

finish
