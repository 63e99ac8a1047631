#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the normal build, then the whole suite once
# more under AddressSanitizer + UndefinedBehaviorSanitizer and once under ThreadSanitizer (the
# worker thread and the dialog); then the Windows builds, i686 (the product) and x86_64, each with
# its tests under the Wine of its architecture. Tests that need root (loop devices) skip with a
# reason when run without it.
#
# A failing suite does not stop the rest: every suite runs, and the script ends with one line
# naming the suites that failed (and a non-zero status), or saying that all passed.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || { echo "test.sh: installing the dependencies failed" >&2; exit 1; }

failed=()
# Runs one suite: a name, then the commands of its steps, each a single shell command line. The
# suite stops at its first failing step (a test run needs its build), the script does not.
suite() {
  local name=$1
  shift
  echo "== $name"
  local step
  for step in "$@"; do
    if ! bash -c "set -euo pipefail; $step"; then
      echo "== $name: FAILED ($step)"
      failed+=("$name")
      return
    fi
  done
}

suite "formatting" "git ls-files '*.h' '*.cpp' | xargs -r clang-format --dry-run -Werror"

for preset in dev asan tsan; do
  suite "build and test: $preset" "cmake --preset $preset >/dev/null" \
    "cmake --build --preset $preset" "ctest --preset $preset"
done

suite "fuzzing the parsers of outside data" "scripts/fuzz.sh 100000"

# The Wine prefixes of the tests (one for programs with windows) are made once before the tests
# share them.
for bits in 32 64; do
  preset=win$bits
  name="Windows: i686 build, the product, its tests under 32-bit Wine"
  [ "$bits" = 64 ] && name="Windows: x86_64 build, its tests under 64-bit Wine"
  suite "$name" "cmake --preset $preset >/dev/null" "cmake --build --preset $preset" \
    "cmake/wine-run.sh $bits wineboot --init >/dev/null 2>&1 || true" \
    "cmake/wine-gui-run.sh $bits wineboot --init >/dev/null 2>&1 || true" \
    "ctest --preset $preset"
done

if [ ${#failed[@]} -gt 0 ]; then
  summary=$(printf '%s; ' "${failed[@]}")
  echo "test.sh: ${#failed[@]} suite(s) failed: ${summary%; }"
  exit 1
fi
echo "test.sh: every suite passed"
