#!/bin/sh
# Runs a Windows program under Wine, quietly, in a Wine prefix of its own for each architecture:
#   wine-run.sh 32|64 PROGRAM [ARGUMENTS...]
# 32 runs the i686 build under 32-bit Wine in a 32-bit prefix, 64 the x86_64 build under 64-bit
# Wine. OMBRIX_WINEPREFIX names the prefix instead; "wine-run.sh 32|64 --prefix" prints it.
bits=$1
shift
export WINEDEBUG=-all
case "$bits" in
  32)
    export WINEARCH=win32
    export WINEPREFIX="${OMBRIX_WINEPREFIX:-${TMPDIR:-/tmp}/ombrix-wine32}"
    wine=/usr/lib/wine/wine
    ;;
  64)
    export WINEPREFIX="${OMBRIX_WINEPREFIX:-${TMPDIR:-/tmp}/ombrix-wine}"
    wine=/usr/lib/wine/wine64
    ;;
  *)
    echo "wine-run.sh: the first argument is 32 or 64, not '$bits'" >&2
    exit 2
    ;;
esac
[ "${1:-}" = "--prefix" ] && { echo "$WINEPREFIX"; exit 0; }
exec "$wine" "$@"
