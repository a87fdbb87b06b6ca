#!/usr/bin/env bash
# Builds Quillmar in Release and runs quillmar_bench on generated trees in a temporary folder:
# prints the timing tables, then removes the folder. Usage: scripts/bench.sh [DIR] [OPTIONS]
# With DIR the trees are kept there and reused by the next run; OPTIONS go to quillmar_bench
# (--runs N, --restore-runs N, --unchanged-runs N, --only PART,..., --verbose). Exits nonzero only when the
# benchmark could not run or its figures cannot be trusted (see bench/main.cpp); a missed
# target does not count.
set -euo pipefail
cd "$(dirname "$0")/.."

# About 1.3 GB of trees and 3.7 GB of copies, kept until the end of their part (see
# bench/tree_bench.h); then, beside the trees, up to 8.7 GB for one shape's stores and rsync
# folders of the repeated clean (bench/unchanged_clean_bench.h), and 9.2 GB for the restores
# and copies of 100,000 files (bench/restore_all_bench.h).
need_mib=11000

./scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# Build progress goes to standard error: standard output carries only the tables.
cmake --build build-bench --target quillmar_bench >&2

if (($# > 0)) && [[ $1 != -* ]]; then
  work=$1
  shift
  mkdir -p "$work"
else
  # A disk-backed folder: on a RAM-backed /tmp the copies would cost no disk writes at all.
  base=/var/tmp
  [[ -d $base && -w $base ]] || base=${TMPDIR:-/tmp}
  work=$(mktemp -d "$base/quillmar-bench.XXXXXX")
  trap 'rm -rf "$work"' EXIT
fi

avail_mib=$(df -Pm "$work" | awk 'NR == 2 { print $4 }')
if ((avail_mib < need_mib)); then
  echo "bench: $work has ${avail_mib} MiB free; the trees and their copies need about" \
    "${need_mib} MiB. Pass a folder on a larger disk: scripts/bench.sh DIR" >&2
  exit 1
fi
fstype=$(df -PT "$work" | awk 'NR == 2 { print $2 }')
echo "bench: working in $work ($fstype, ${avail_mib} MiB free)" >&2

status=0
./build-bench/bench/quillmar_bench "$work" "$@" || status=$?
exit "$status"
