#!/usr/bin/env bash
# Copies the screenshots that the window tests made into docs/, for the README: the Linux window
# during a copy, the details box, the Windows main dialog and the real Ombrix.exe copying. Run the
# tests first (scripts/test.sh, or ctest in build/dev and build/win32). The Windows test stores its
# PNG uncompressed; it is compressed on the way (the pixels stay the same).
set -euo pipefail
cd "$(dirname "$0")/.."

copy() {
  local from=$1 to=$2
  [ -f "$from" ] || { echo "screenshots.sh: $from is missing: run the window tests first" >&2; exit 1; }
  python3 - "$from" "$to" <<'PY'
import struct, sys, zlib

source, target = sys.argv[1], sys.argv[2]
data = open(source, "rb").read()
signature = b"\x89PNG\r\n\x1a\n"
if not data.startswith(signature):
    sys.exit(f"screenshots.sh: {source} is not a PNG")
chunks, pixels, pos = [], b"", len(signature)
while pos < len(data):
    (length,) = struct.unpack(">I", data[pos:pos + 4])
    kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
    pos += 12 + length
    if kind == b"IDAT":
        pixels += body
    else:
        chunks.append((kind, body))

def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

out = [signature]
for kind, body in chunks:
    if kind == b"IEND":
        out.append(chunk(b"IDAT", zlib.compress(zlib.decompress(pixels), 9)))
    out.append(chunk(kind, body))
open(target, "wb").write(b"".join(out))
PY
  echo "$to"
}

mkdir -p docs
copy build/dev/artefacts/main-dialog-copying.png docs/linux-main-window-copying.png
copy build/dev/artefacts/details-box.png docs/linux-details-box.png
copy build/win32/artefacts/windows-main-dialog.png docs/windows-main-dialog.png
copy build/win32/artefacts/e2e/test_stop_midway_keeps_what_was_written/05-copy-running.png docs/windows-copy-running.png
