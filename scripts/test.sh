#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the normal build, then the whole suite once
# more under AddressSanitizer + UndefinedBehaviorSanitizer and once under ThreadSanitizer (the
# worker thread and the dialog). Tests that need root (loop devices) skip with a reason when run
# without it.
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
