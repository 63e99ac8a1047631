"""A Wine session on a virtual display of its own, with the real Ombrix.exe in it, driven from
outside the way a person drives it: the X server's pointer and keyboard (xdotool), and eyes (the
probe, which reports what the windows show, and screenshots of the display)."""

import os
import shutil
import struct
import subprocess
import tempfile
import time
import zlib
from dataclasses import dataclass, field


class Failure(Exception):
    """What the program did was not what the test expected."""


@dataclass
class Control:
    id: int
    text: str
    cls: str
    rect: tuple
    enabled: bool
    centre: tuple
    value: int


@dataclass
class Window:
    title: str
    cls: str
    rect: tuple
    enabled: bool
    controls: list = field(default_factory=list)

    def control(self, id, cls=None):
        for c in self.controls:
            if c.id == id and (cls is None or c.cls.lower() == cls.lower()):
                return c
        raise Failure(f"window {self.title!r} has no control {id}")

    def texts(self):
        return [c.text for c in self.controls if c.cls.lower() == "static" and c.text]


def _unquote(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            nxt = text[i + 1]
            out.append({"n": "\n", "t": "\t"}.get(nxt, nxt))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def _fields(line):
    """'"text" class=X rect=a,b,c,d enabled=1 ...' -> (text, {name: value})."""
    assert line.startswith('"')
    i, escaped = 1, False
    while i < len(line):
        if escaped:
            escaped = False
        elif line[i] == "\\":
            escaped = True
        elif line[i] == '"':
            break
        i += 1
    text = _unquote(line[1:i])
    values = dict(item.split("=", 1) for item in line[i + 1:].split())
    return text, values


def _numbers(text):
    return tuple(int(n) for n in text.split(","))


def parse_probe(output):
    windows = []
    for line in output.splitlines():
        if line.startswith("window "):
            text, v = _fields(line[len("window "):])
            windows.append(Window(text, v["class"], _numbers(v["rect"]), v["enabled"] == "1"))
        elif line.startswith("  control ") and windows:
            rest = line[len("  control "):]
            id_text, rest = rest.split(" ", 1)
            text, v = _fields(rest.strip())
            windows[-1].controls.append(
                Control(int(id_text), text, v["class"], _numbers(v["rect"]), v["enabled"] == "1",
                        _numbers(v["centre"]), int(v["value"])))
    return windows


def write_png(path, width, height, rgb_rows):
    raw = b"".join(b"\x00" + row for row in rgb_rows)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        out.write(chunk(b"IEND", b""))


class Session:
    """Xvfb, a Wine prefix of the tests' own and the program, until close()."""

    def __init__(self, exe, probe, prefix, artefacts):
        self.exe, self.probe_exe, self.artefacts = exe, probe, artefacts
        self.fbdir = os.path.join(artefacts, "framebuffer")
        os.makedirs(self.fbdir, exist_ok=True)
        os.makedirs(artefacts, exist_ok=True)
        self.env = dict(os.environ, LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8",
                        WINEDEBUG="-all", WINEARCH="win32", WINEPREFIX=prefix)
        # A display number of its own, which the server picks and tells through a pipe.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-fbdir",
             self.fbdir, "-nolisten", "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as told:
            number = told.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number
        self._wait(lambda: os.path.exists(os.path.join(self.fbdir, "Xvfb_screen0")), 10, "Xvfb")
        # The prefix made once, and its server started here, with nothing of ours inherited.
        subprocess.run(["/usr/lib/wine/wine", "wineboot", "--init"], env=self.env,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=False)
        self.program = None
        self.shots = 0

    def start(self):
        """Starts Ombrix.exe as a user does and waits for its main dialog."""
        self.program = subprocess.Popen(["/usr/lib/wine/wine", self.exe], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self.wait_window(lambda w: w.cls == "#32770" and w.title.startswith("Zerkano"),
                                "the main dialog", 60)

    def close(self):
        if self.program and self.program.poll() is None:
            self.program.kill()
            self.program.wait()
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=self.env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.xvfb.terminate()
        self.xvfb.wait()
        shutil.rmtree(self.fbdir, ignore_errors=True)

    # Eyes.
    def windows(self):
        # Into a file, not a pipe: a Wine process that outlives the probe would hold a pipe open.
        with tempfile.TemporaryFile() as seen:
            subprocess.run(["/usr/lib/wine/wine", self.probe_exe], env=self.env, stdout=seen,
                           stderr=subprocess.DEVNULL, check=False)
            seen.seek(0)
            return parse_probe(seen.read().decode("utf-8", "replace"))

    def wait_window(self, matches, what, timeout=20):
        found, seen = [], []

        def look():
            seen[:] = self.windows()
            found[:] = [w for w in seen if matches(w)]
            return bool(found)

        try:
            self._wait(look, timeout, what)
        except Failure as failure:
            shown = "; ".join(f"{w.title!r} {w.texts()}" for w in seen)
            raise Failure(f"{failure}; on the screen: {shown}") from None
        return found[0]

    def wait_box(self, text, timeout=30):
        """The message box whose text holds `text`."""
        return self.wait_window(
            lambda w: w.cls == "#32770" and any(text in t for t in w.texts()), f"a box {text!r}",
            timeout)

    def main(self):
        return self.wait_window(lambda w: w.title.startswith("Zerkano"), "the main dialog")

    def screenshot(self, name, window=None):
        """The display, or one window of it, as artefacts/NN-name.png."""
        with open(os.path.join(self.fbdir, "Xvfb_screen0"), "rb") as f:
            data = f.read()
        header = struct.unpack(">25I", data[:100])
        header_size, width, height = header[0], header[4], header[5]
        bits, stride, ncolors = header[11], header[12], header[19]
        lsb_first = header[7] == 0
        if bits != 32:
            raise Failure(f"framebuffer of {bits} bits per pixel")
        start = header_size + ncolors * 12
        left, top, right, bottom = window.rect if window else (0, 0, width, height)
        left, top = max(left, 0), max(top, 0)
        right, bottom = min(right, width), min(bottom, height)
        rows = []
        for y in range(top, bottom):
            line = data[start + y * stride + left * 4:start + y * stride + right * 4]
            if lsb_first:
                rows.append(bytes(b for i in range(0, len(line), 4)
                                  for b in (line[i + 2], line[i + 1], line[i])))
            else:
                rows.append(bytes(b for i in range(0, len(line), 4)
                                  for b in (line[i + 1], line[i + 2], line[i + 3])))
        self.shots += 1
        path = os.path.join(self.artefacts, f"{self.shots:02d}-{name}.png")
        write_png(path, right - left, bottom - top, rows)
        return path

    # Hands.
    def _xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)

    def click(self, window, id, cls=None):
        control = window.control(id, cls)
        if not control.enabled:
            raise Failure(f"control {id} ({control.text!r}) is disabled")
        x, y = control.centre
        self._xdotool("mousemove", str(x), str(y), "click", "1")

    # Keys go to the window under the pointer: there is no window manager to give the focus.
    def key(self, *keys):
        self._xdotool("key", "--delay", "30", *keys)

    def type(self, text):
        self._xdotool("type", "--delay", "20", text)

    def answer(self, box, id):
        """Presses a box's button: 1 OK, 6 Yes, 7 No."""
        self.click(box, id)
        self._wait(lambda: not any(w.rect == box.rect and w.title == box.title and
                                   w.texts() == box.texts() for w in self.windows()),
                   5, f"box {box.title!r} to close")

    def set_edit(self, window, id, text):
        self.click(window, id)
        self.key("End", *(["BackSpace"] * 24))
        self.type(text)

    @staticmethod
    def _wait(condition, timeout, what):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if condition():
                return
            time.sleep(0.1)
        raise Failure(f"waited {timeout} s for {what}")
