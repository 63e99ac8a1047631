#!/usr/bin/env bash
# Installs what is missing, builds Ombrix and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev

program=build/dev/app/ombrix
if [ -x "$program" ]; then
  exec "$program"
fi
echo "Built. The window is not part of this build yet."
