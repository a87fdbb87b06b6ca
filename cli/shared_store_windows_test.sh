#!/usr/bin/env bash
# quillmar.exe under Wine: a restore while a clean in another process appends to list.txt.
# The restore reads the list the clean holds, restores, and either rewrites the list without
# a word or, where the system cannot replace a file held open, says that it could not; in
# both cases list.txt holds every record the clean made, whole.
# Usage: shared_store_windows_test.sh PATH-TO-QUILLMAR.EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../scripts/wine-run.sh
work=$(mktemp -d /tmp/quillmar-shared-win-XXXXXX)
# The caller's Wine prefix when it names one (the test command's, made once for all tests).
if [[ -z ${WINEPREFIX:-} ]]; then
  export WINEPREFIX=$work/wineprefix
  trap '/usr/lib/wine/wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
else
  trap 'rm -rf "$work"' EXIT
fi
mkdir "$work/bin"
cp "$1" "$work/bin/quillmar.exe"
list=$work/bin/backups/list.txt
out=$work/out
err=$work/err
. "$(dirname "$0")/cli_test_checks.sh"
[[ -d $WINEPREFIX/drive_c ]] || "$wine_run" wineboot --init >/dev/null 2>&1
quillmar() { (cd "$work" && "$wine_run" bin/quillmar.exe "$@" </dev/null); }

label="a restore while a clean runs"
total=800
make_tree "$work/data" "$total" 30
mkdir "$work/early"
echo "early" >"$work/early/a.txt"
quillmar clean early >/dev/null 2>&1 || fail "$label" "the first clean failed"
rm "$work/early/a.txt"
before=$(stat -c %s "$list")

quillmar clean data >"$work/clean.out" 2>"$work/clean.err" &
clean_pid=$!
for _ in $(seq 300); do
  (($(stat -c %s "$list") > before)) && break
  sleep 0.05
done
(($(stat -c %s "$list") > before)) || fail "$label" "the clean never appended"
quillmar restore --yes 'early\a.txt' >"$out" 2>"$err"
status=$?
running=no
kill -0 "$clean_pid" 2>/dev/null && running=yes
wait "$clean_pid" || fail "$label" "the clean failed: $(cat "$work/clean.err")"

[[ $(tr -d '\r' <"$work/early/a.txt") == early ]] || fail "$label" "a.txt did not come back"
records=$(tr ';' '\n' <"$list" | grep -c '\\data\\d[0-9][0-9]\\\\f[0-9]*\.txt$')
((records == total)) || fail "$label" "list.txt holds $records of the clean's $total records"
said=$(tr -d '\r' <"$err" | grep -v '^wine: ')
if ((status == 0)); then
  [[ -z $said ]] || fail "$label" "restore said: $said"
  grep -q 'early\\a\.txt' "$list" && fail "$label" "the restored entry is still in list.txt"
else
  # Windows replaces a file that another process holds open only by a rename that Wine does
  # not have: the restore must then say so, and keep the entry, rather than claim success.
  grep -q '^quillmar: the restoration list could not be rewritten; the record of the file restored is still in it: ' <<<"$said" ||
    fail "$label" "restore exit status $status: $said"
  grep -q 'early\\a\.txt;' "$list" || fail "$label" "the entry left a list that was not rewritten"
  echo "note: the list could not be replaced while the clean held it: $said"
fi
[[ $running == yes ]] || echo "note: the clean had ended before the restore did"
ok "$label"
finish
