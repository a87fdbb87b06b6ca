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

# Ends the script: nonzero when any check failed.
finish() {
  if ((failures > 0)); then
    echo "$failures failed" >&2
    exit 1
  fi
  echo "all passed"
}
