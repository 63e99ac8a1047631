#!/bin/sh
# Runs a Windows test program of the x86_64 build under Wine, quietly, in a Wine prefix of its own.
export WINEDEBUG=-all
export WINEPREFIX="${OMBRIX_WINEPREFIX:-${TMPDIR:-/tmp}/ombrix-wine}"
exec /usr/lib/wine/wine64 "$@"
