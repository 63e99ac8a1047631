#!/bin/sh
# Puts a file of the tests' own behind \\.\PhysicalDrive9 in the Wine prefix of the tests (Wine
# opens a physical drive through a link in its dosdevices folder), or takes it away again.
#   drive_link.sh 32|64 setup FILE | drive_link.sh 32|64 cleanup FILE
set -eu
prefix=$("$(dirname "$0")/../../cmake/wine-run.sh" "$1" --prefix)
shift
link="$prefix/dosdevices/physicaldrive9"
case "$1" in
  setup)
    mkdir -p "$prefix/dosdevices" "$(dirname "$2")"
    rm -f "$2"
    truncate -s 4M "$2"
    ln -sfn "$2" "$link"
    ;;
  cleanup)
    rm -f "$link" "$2"
    ;;
esac
