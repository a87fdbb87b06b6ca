#!/usr/bin/env bash
# quillmar.exe clean under Wine, stopped by Ctrl+C typed on the terminal its console runs in:
# the console's handler notes it, the walk ends after the file in hand with every copy
# recorded, the summary says so and the exit status is 130.
# Usage: cli_stop_windows_test.sh PATH-TO-QUILLMAR.EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../scripts/wine-run.sh
work=$(mktemp -d /tmp/quillmar-cli-stop-win-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cp "$1" "$work/bin/quillmar.exe"
store=$work/bin/backups
out=$work/out
err=$work/err
: >"$err"
. "$(dirname "$0")/cli_test_checks.sh"

# Enough files that the walk is still going when Ctrl+C comes.
total=3000
make_tree "$work/data" "$total" 30

# Wine passes its console's output on in large pieces, so Ctrl+C is typed once the first
# record is in the list rather than once the progress shows.
(cd "$work" && python3 - "$wine_run" "$store/list.txt" "$out" <<'PY')
import os, pty, re, select, signal, sys, time
wine_run, listed, log = sys.argv[1:]
pid, terminal = pty.fork()
if pid == 0:
    # As a shell starts a command in the foreground, even when this test runs in the background.
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    os.execv(wine_run, [wine_run, "bin/quillmar.exe", "clean", "data"])
shown = b""
typed = False
deadline = time.monotonic() + 150
while time.monotonic() < deadline:
    if not typed and os.path.exists(listed) and os.path.getsize(listed) > 0:
        os.write(terminal, b"\x03")
        typed = True
    ready, _, _ = select.select([terminal], [], [], 0.02)
    if not ready:
        continue
    try:
        chunk = os.read(terminal, 65536)
    except OSError:  # the clean has ended and closed the terminal
        break
    if not chunk:
        break
    shown += chunk
_, status = os.waitpid(pid, 0)
# The console's cursor and colour sequences and its line ends are Wine's, not the program's;
# it moves the cursor over a space rather than write it.
shown = re.sub(rb"\x1b\[([0-9]*)C", lambda m: b" " * int(m.group(1) or b"1"), shown)
open(log, "wb").write(re.sub(rb"\x1b\[[0-9;?]*[a-zA-Z]|\r", b"", shown))
sys.exit(os.waitstatus_to_exitcode(status) if os.WIFEXITED(status) else 128 + os.WTERMSIG(status))
PY
status=$?

label="Ctrl+C on the console"
((status == 130)) || fail "$label" "exit status $status, not 130"
summary=$(grep -a -o 'Quillmar: stopped: [0-9]* files visited, [0-9]* backed up, [0-9]* failed' "$out")
if [[ -z $summary ]]; then
  fail "$label" "no summary saying the clean stopped"
else
  read -r visited backedUp < <(sed -E 's/.*: ([0-9]+) files visited, ([0-9]+) backed up.*/\1 \2/' <<<"$summary")
  ((visited < total)) || fail "$label" "the walk was not stopped part way ($visited files visited)"
  # One record and one own copy for each file backed up: nothing in between was cut.
  records=$(tr ';' '\n' <"$store/list.txt" | grep -c .)
  copies=$(find "$store/paths" -type f | wc -l)
  ((records == backedUp && copies == backedUp)) ||
    fail "$label" "$backedUp backed up, $records records, $copies own copies"
  ok "$label"
fi

finish
