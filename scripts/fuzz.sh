#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz (or $1) and runs each for a bounded
# time on a copy of its committed seed corpus. Fails on any crash, leak, time-out or sanitizer
# report. FUZZ_SECONDS sets the time per target (default 15).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-15}
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DQUILLMAR_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzzers

work=$(mktemp -d /tmp/quillmar-fuzz-run-XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
for corpus in */fuzz_corpus/*/; do
  name=$(basename "$corpus")
  binary="$build/$name"
  [[ -x "$binary" ]] || { echo "fuzz: no binary for $name" >&2; status=1; continue; }
  cp -r "$corpus" "$work/$name"
  mkdir -p "$work/$name-artifacts"
  echo "fuzz: $name for ${seconds}s"
  if ! "$binary" "$work/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=4096 -artifact_prefix="$work/$name-artifacts/" -print_final_stats=0 \
      >"$work/$name.log" 2>&1; then
    echo "fuzz: $name FAILED" >&2
    tail -n 60 "$work/$name.log" >&2
    for artifact in "$work/$name-artifacts"/*; do
      [[ -e "$artifact" ]] && { echo "input:" >&2; od -c "$artifact" | head -20 >&2; }
    done
    status=1
  else
    grep -E "^#[0-9]+.*DONE|Done [0-9]+ runs" "$work/$name.log" | tail -n 1 || true
  fi
done
exit $status
