#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the normal build, then the whole suite once
# more under AddressSanitizer + UndefinedBehaviorSanitizer and once under ThreadSanitizer (the
# worker thread and the dialog); then the Windows build, whose x86_64 tests run under Wine. Tests
# that need root (loop devices) skip with a reason when run without it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

echo "== formatting"
git ls-files '*.h' '*.cpp' | xargs -r clang-format --dry-run -Werror

for preset in dev asan tsan; do
  echo "== build and test: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== fuzzing the parsers of outside data"
scripts/fuzz.sh 100000

echo "== Windows: i686 build, the product"
cmake --preset win32 >/dev/null
cmake --build --preset win32

echo "== Windows: x86_64 build, its tests under Wine (they also read the product's resources)"
cmake --preset win64 >/dev/null
cmake --build --preset win64
# The Wine prefixes of the tests (one for programs with windows), made once before the tests share
# them.
cmake/wine64-run.sh wineboot --init >/dev/null 2>&1 || true
cmake/wine64-gui-run.sh wineboot --init >/dev/null 2>&1 || true
ctest --preset win64
