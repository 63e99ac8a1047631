#!/usr/bin/env bash
# Runs every libFuzzer target for a fixed number of inputs, starting from its seeds in
# tests/fuzz/corpus/ (new inputs go to a scratch folder, the seeds stay as they are). Any crash,
# sanitizer report or broken property fails the run. Usage: scripts/fuzz.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-100000}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for target in serial_text edit_integer sysfs storage_descriptor labels; do
  mkdir -p "$scratch/$target"
  echo "== fuzz: $target ($runs inputs)"
  status=0
  "build/fuzz/tests/fuzz/${target}_fuzz" -runs="$runs" -max_len=4096 -print_final_stats=1 \
    "$scratch/$target" "tests/fuzz/corpus/$target" >"$scratch/$target.log" 2>&1 || status=$?
  grep -E "^Done|stat::number_of_executed_units" "$scratch/$target.log" || true
  if [ "$status" -ne 0 ]; then
    cat "$scratch/$target.log"
    echo "fuzz: $target failed" >&2
    exit 1
  fi
done
