# What the command line's test scripts share: recording a failed check with the output that
# showed it, and the verdict at the end. Source it after setting $out and $err, the files that
# hold the last run's standard output and error.
failures=0

fail() {
  echo "FAIL ($1): $2" >&2
  echo "  standard output: $(head -c 2000 "$out")" >&2
  echo "  standard error: $(head -c 2000 "$err")" >&2
  failures=$((failures + 1))
}
ok() { echo "ok ($1)"; }

# Makes a tree of $2 small files, "file N", spread over $3 folders below $1: enough files that
# a clean is still going when a test stops it.
make_tree() {
  python3 - "$1" "$2" "$3" <<'PY'
import os, sys
root, total, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for i in range(total):
    folder = os.path.join(root, "d%02d" % (i % folders))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%05d.txt" % i), "w") as f:
        f.write("file %d\n" % i)
PY
}

# Ends the script: nonzero when any check failed.
finish() {
  if ((failures > 0)); then
    echo "$failures failed" >&2
    exit 1
  fi
  echo "all passed"
}
