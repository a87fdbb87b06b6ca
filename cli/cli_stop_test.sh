#!/usr/bin/env bash
# quillmar clean stopped from outside half way: Ctrl+C typed on its terminal, SIGTERM and
# SIGHUP without one. Each ends the walk after the file in hand with every copy recorded, the
# summary printed and the exit status a shell expects for that signal.
# Usage: cli_stop_test.sh PATH-TO-QUILLMAR
set -uo pipefail
work=$(mktemp -d /tmp/quillmar-cli-stop-XXXXXX)
trap 'rm -rf "$work"' EXIT
# A portable copy keeps its store beside itself: this test's own.
mkdir "$work/bin"
cp "$1" "$work/bin/quillmar"
q=$work/bin/quillmar
store=$work/bin/backups
out=$work/out
err=$work/err
. "$(dirname "$0")/cli_test_checks.sh"

# Enough files that the walk is still going when the signal comes.
total=6000
make_tree "$work/data" "$total" 60

# Checks what a stopped clean left, for the check named $1 that wanted exit status $2.
expect_stopped() {
  local label=$1 want=$2
  ((status == want)) || fail "$label" "exit status $status, not $want"
  local summary
  summary=$(grep -a -o 'Quillmar: stopped: [0-9]* files visited, [0-9]* backed up, [0-9]* failed' "$out")
  if [[ -z $summary ]]; then
    fail "$label" "no summary saying the clean stopped"
    return
  fi
  local visited backedUp
  read -r visited backedUp < <(sed -E 's/.*: ([0-9]+) files visited, ([0-9]+) backed up.*/\1 \2/' <<<"$summary")
  ((visited < total)) || fail "$label" "the walk was not stopped part way ($visited files visited)"
  # Every own copy has its record and every record its copy: nothing in between was cut.
  local copies records
  copies=$(cd "$store/paths" && find . -type f | sed 's|^\.||' | sort)
  records=$(tr ';' '\n' <"$store/list.txt" | sed '/^$/d; s|//*|/|g' | sort)
  [[ $copies == "$records" ]] || fail "$label" "copies and records differ:
$(diff <(echo "$copies") <(echo "$records") | head -5)"
  (($(grep -c . <<<"$records") == backedUp)) || fail "$label" "$backedUp backed up, but $(grep -c . <<<"$records") records"
  ok "$label"
}

# --- Ctrl+C typed on the terminal the clean runs in ------------------------------------------
rm -rf "$store"
python3 - "$q" "$work/data" "$out" <<'PY'
import os, pty, select, signal, sys, time
program, folder, log = sys.argv[1:]
pid, terminal = pty.fork()
if pid == 0:
    for name in ("DISPLAY", "WAYLAND_DISPLAY"):
        os.environ.pop(name, None)
    # As a shell starts a command in the foreground, even when this test itself runs in the
    # background, where SIGINT comes ignored (and the program then rightly keeps ignoring it).
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    os.execv(program, [program, "clean", folder])
shown = b""
typed = False
deadline = time.monotonic() + 60
while time.monotonic() < deadline:
    ready, _, _ = select.select([terminal], [], [], 0.1)
    if not ready:
        continue
    try:
        chunk = os.read(terminal, 65536)
    except OSError:  # the clean has ended and closed the terminal
        break
    if not chunk:
        break
    shown += chunk
    # Ctrl+C as a user types it, once the progress line shows the walk under way.
    if not typed and b"files visited" in shown:
        os.write(terminal, b"\x03")
        typed = True
_, status = os.waitpid(pid, 0)
open(log, "wb").write(shown)
sys.exit(os.waitstatus_to_exitcode(status) if os.WIFEXITED(status) else 128 + os.WTERMSIG(status))
PY
status=$?
: >"$err"
expect_stopped "Ctrl+C on a terminal" 130
# The progress line is cleared before the summary, not left for the summary to run into.
tail=$(grep -a -o $'files/s)\e\\[K.*Quillmar: stopped' "$out" | tail -n 1)
[[ $tail == *$'\r\e[K'* ]] || fail "Ctrl+C on a terminal" "the progress line was not ended before the summary"

# --- SIGTERM and SIGHUP with no terminal ---------------------------------------------------
for signal in TERM HUP; do
  rm -rf "$store"
  (cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY "$q" clean data </dev/null >"$out" 2>"$err") &
  pid=$!
  # Sent once the first records are in, while the walk goes on.
  for _ in $(seq 600); do
    [[ -s $store/list.txt ]] && break
    sleep 0.05
  done
  kill -s "$signal" "$pid"
  wait "$pid"
  status=$?
  [[ $signal == TERM ]] && want=143 || want=129
  expect_stopped "SIG$signal without a terminal" "$want"
done

finish
