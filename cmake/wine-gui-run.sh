#!/bin/sh
# Runs a Windows program with windows under Wine on a virtual display, in a Chinese (PRC) locale so
# that the dialogs' texts find their fonts: wine-gui-run.sh 32|64 PROGRAM [ARGUMENTS...]. It has a
# Wine prefix (and so a Wine server) of its own: one started by a test without a display would
# have no desktop.
bits=$1
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
case "$bits" in
  32) default="${TMPDIR:-/tmp}/ombrix-wine32-gui" ;;
  *) default="${TMPDIR:-/tmp}/ombrix-wine-gui" ;;
esac
export OMBRIX_WINEPREFIX="${OMBRIX_WINEPREFIX:-$default}"
exec xvfb-run -a -s "-screen 0 1024x768x24" "$(dirname "$0")/wine-run.sh" "$@"
