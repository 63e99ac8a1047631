#!/bin/sh
# Runs a Windows test program with windows of the x86_64 build under Wine on a virtual display,
# in a Chinese (PRC) locale so that the dialogs' texts find their fonts. It has a Wine prefix (and
# so a Wine server) of its own: one started by a test without a display would have no desktop.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export OMBRIX_WINEPREFIX="${OMBRIX_WINEPREFIX:-${TMPDIR:-/tmp}/ombrix-wine}-gui"
exec xvfb-run -a -s "-screen 0 1024x768x24" "$(dirname "$0")/wine64-run.sh" "$@"
