#!/usr/bin/env bash
# Installs what is missing, builds Ombrix and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev

# Without a display the program says so itself, in one line.
exec build/dev/app/ombrix "$@"
