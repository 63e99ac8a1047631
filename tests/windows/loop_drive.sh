#!/bin/sh
# Puts a loop device of the tests' own, on a file of 8 MiB, behind \\.\PhysicalDrive8 in the Wine
# prefix of the tests, or takes it away again. Without root (or without loop devices) it writes
# why into the marker file, and the tests skip with that reason.
#   loop_drive.sh 32|64 setup|cleanup FILE MARKER
set -eu
prefix=$("$(dirname "$0")/../../cmake/wine-run.sh" "$1" --prefix)
link="$prefix/dosdevices/physicaldrive8"
file=$3
marker=$4
case "$2" in
  setup)
    mkdir -p "$prefix/dosdevices" "$(dirname "$file")"
    if [ "$(id -u)" -ne 0 ]; then
      echo "skip: loop devices need root" > "$marker"
      exit 0
    fi
    head -c 8388608 /dev/urandom > "$file"
    if ! loop=$(losetup --find --show "$file" 2>/dev/null); then
      echo "skip: no loop device could be attached" > "$marker"
      exit 0
    fi
    ln -sfn "$loop" "$link"
    echo "$loop" > "$marker"
    ;;
  cleanup)
    if [ -f "$marker" ] && loop=$(cat "$marker") && [ -b "$loop" ]; then
      losetup -d "$loop" || true
    fi
    rm -f "$link" "$file" "$marker"
    ;;
esac
