#!/usr/bin/env bash
# `quillmar clean --files '*.txt' TREE` from the command line, the real executable, on the
# benchmark's trees, beside the same script's baseline `find TREE -name '*.txt' -exec cp -p -t
# DEST {} + && sync`. The trees are those that scripts/bench.sh DIR keeps in DIR/trees; the
# in-process clean of "Quillmar!" is the "quillmar clean *.txt" row of that benchmark's table.
# Usage: bench/cli_clean.sh QUILLMAR DIR [RUNS]   (RUNS timed runs per tool, default 3)
set -euo pipefail
program=$(realpath "$1")
dir=$(realpath "$2")
runs=${3:-3}
scratch=$(mktemp -d "$dir/cli-clean.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

printf '%-11s %8s %14s %14s %7s\n' shape .txt "quillmar clean" "find+cp+sync" ratio
for tree in "$dir"/trees/*/; do
  tree=${tree%/}
  shape=$(basename "$tree")
  [[ -f $dir/trees/$shape.complete ]] || continue
  clean_times=()
  copy_times=()
  # Round 0 warms the caches and is not counted; the two tools take turns going first.
  for round in $(seq 0 "$runs"); do
    for turn in 0 1; do
      tool=$(((turn + round) % 2))
      rm -rf "$scratch/run"
      mkdir -p "$scratch/run/bin" "$scratch/run/dest"
      cp "$program" "$scratch/run/bin/quillmar"
      sync
      start=$(now)
      if ((tool == 0)); then
        env -u DISPLAY "$scratch/run/bin/quillmar" clean --files '*.txt' "$tree" >"$scratch/out" 2>&1 ||
          { echo "bench: quillmar clean failed on $shape: $(tail -3 "$scratch/out")" >&2; exit 2; }
        count=$(tr -cd ';' <"$scratch/run/bin/backups/list.txt" | wc -c)
      else
        find "$tree" -name '*.txt' -exec cp -p -t "$scratch/run/dest" {} + && sync
      fi
      seconds=$(awk -v a="$(now)" -v b="$start" 'BEGIN { print a - b }')
      ((round == 0)) && continue
      if ((tool == 0)); then clean_times+=("$seconds"); else copy_times+=("$seconds"); fi
    done
  done
  clean=$(printf '%s\n' "${clean_times[@]}" | median)
  copy=$(printf '%s\n' "${copy_times[@]}" | median)
  printf '%-11s %8d %13.3fs %13.3fs %6.2fx\n' "$shape" "$count" "$clean" "$copy" \
    "$(awk -v a="$clean" -v b="$copy" 'BEGIN { print a / b }')"
done
