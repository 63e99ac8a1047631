#!/usr/bin/env bash
# The i686 Windows build's copy (the product's engine, under 32-bit Wine) against the Linux
# program's on the same image files, in one run: alternating rounds, caches dropped before each
# (as root), medians, the ratio of the Windows build's throughput to Linux's, and the peak memory
# of each for a copy.
#
#   cmake --build --preset dev --target ombrix_copy_bench && \
#     cmake --build --preset win32 --target ombrix_copy_bench && bench/wine_copy_bench.sh
#
# Options: --rounds N (default 5), --mib N (default 1024), --dir PATH (default /var/tmp; needs
# twice --mib free).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=5 mib=1024 dir=/var/tmp
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --mib) mib=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    *) echo "wine_copy_bench.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
linux=build/dev/bench/ombrix_copy_bench
windows=build/win32/bench/ombrix_copy_bench.exe
for program in "$linux" "$windows"; do
  [ -x "$program" ] || [ -f "$program" ] || { echo "wine_copy_bench.sh: build $program first" >&2; exit 1; }
done

work=$(mktemp -d "$dir/ombrix-wine-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c $((mib * 1048576)) /dev/urandom > "$work/source.img"
cp "$work/source.img" "$work/target-linux.img"
cp "$work/source.img" "$work/target-windows.img"
cmake/wine-run.sh 32 wineboot --init >/dev/null 2>&1 || true

settle() {
  sync
  if [ "$(id -u)" -eq 0 ]; then echo 3 > /proc/sys/vm/drop_caches; fi
}
run_linux() { settle; "$linux" "$work/source.img" "$work/target-linux.img" 1; }
run_windows() {
  settle
  cmake/wine-run.sh 32 "$windows" "Z:$work/source.img" "Z:$work/target-windows.img" 1 | tr -d '\r'
}

linux_seconds=() windows_seconds=() linux_peak=0 windows_peak=0
for round in $(seq 0 "$rounds"); do
  # Round 0 warms up; then the two take turns going first.
  if [ $((round % 2)) -eq 0 ]; then order="linux windows"; else order="windows linux"; fi
  for who in $order; do
    read -r _ seconds _ peak < <("run_$who")
    [ "$round" -eq 0 ] && continue
    if [ "$who" = linux ]; then
      linux_seconds+=("$seconds") linux_peak=$peak
    else
      windows_seconds+=("$seconds") windows_peak=$peak
    fi
  done
done
cmp -s "$work/source.img" "$work/target-windows.img" || { echo "the Windows copy differs" >&2; exit 1; }
cmp -s "$work/source.img" "$work/target-linux.img" || { echo "the Linux copy differs" >&2; exit 1; }

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
lm=$(median "${linux_seconds[@]}")
wm=$(median "${windows_seconds[@]}")
awk -v mib="$mib" -v rounds="$rounds" -v lm="$lm" -v wm="$wm" -v lp="$linux_peak" -v wp="$windows_peak" 'BEGIN {
  printf "wine_copy_bench: %d MiB image -> image (overwriting), %d rounds, medians\n", mib, rounds
  printf "  %-40s %7.3f s %8.1f MB/s   peak memory %6.1f MiB\n", "Linux program", lm, mib * 1.048576 / lm, lp / 1048576
  printf "  %-40s %7.3f s %8.1f MB/s   peak memory %6.1f MiB\n", "i686 Windows build under 32-bit Wine", wm, mib * 1.048576 / wm, wp / 1048576
  printf "  ratio (Windows throughput / Linux throughput): %.3f\n", lm / wm
}'
