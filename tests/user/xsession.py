"""An X session for driving a program as a user does: Xvfb, openbox, xdotool, xclip and xwd.

Windows are found by name, clicks land at coordinates relative to a window's client area, and
screenshots of the whole screen are written as PNG by a small XWD reader.
"""

import os
import re
import select
import signal
import struct
import subprocess
import time
import zlib


class StepFailed(Exception):
    """A step of the session did not reach its condition in time."""


def _run(args, env, timeout=15, check=True, stdin=None):
    result = subprocess.run(args, env=env, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=timeout)
    if check and result.returncode != 0:
        raise StepFailed("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                                 result.stderr.decode(errors="replace").strip()))
    return result.stdout.decode(errors="replace")


def poll(condition, timeout, what, interval=0.1):
    """Calls `condition` until it returns a true value, which is returned; StepFailed after `timeout`."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise StepFailed("timed out waiting for " + what)
        time.sleep(interval)


class Image:
    """RGB pixels, rows top to bottom, three bytes a pixel."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def crop(self, x, y, w, h):
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + w), min(self.height, y + h)
        rows = [self.data[(r * self.width + x0) * 3:(r * self.width + x1) * 3] for r in range(y0, y1)]
        return Image(max(0, x1 - x0), max(0, y1 - y0), b"".join(rows))

    def colours(self, limit=64):
        """The distinct colours, counted up to `limit`."""
        seen = set()
        for i in range(0, len(self.data), 3):
            seen.add(self.data[i:i + 3])
            if len(seen) >= limit:
                break
        return len(seen)

    def dark_columns(self, threshold=96):
        """The columns holding a pixel darker than `threshold` in each channel (text, lines)."""
        cols = set()
        for r in range(self.height):
            row = self.data[r * self.width * 3:(r + 1) * self.width * 3]
            for c in range(self.width):
                p = row[c * 3:c * 3 + 3]
                if p[0] < threshold and p[1] < threshold and p[2] < threshold:
                    cols.add(c)
        return cols

    def png(self):
        raw = b"".join(b"\0" + self.data[r * self.width * 3:(r + 1) * self.width * 3] for r in range(self.height))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def read_xwd(blob, box=None):
    """Decodes an XWD dump of a TrueColor visual (what xwd writes for a 24-bit screen); only the part
    `box` (x, y, w, h, clipped to the image) when given."""
    header_size, version = struct.unpack(">II", blob[:8])
    if version != 7:
        raise ValueError("not an XWD file of version 7")
    (_, _, pixmap_format, depth, width, height, _, byte_order, _, _, _, bits_per_pixel, bytes_per_line,
     visual_class, red_mask, green_mask, blue_mask, _, _, ncolors, _, _, _, _, _) = struct.unpack(">25I", blob[:100])
    if pixmap_format != 2 or bits_per_pixel not in (24, 32) or visual_class not in (4, 5):
        raise ValueError("unsupported XWD format: depth %d, %d bits a pixel, class %d" % (depth, bits_per_pixel,
                                                                                          visual_class))
    offset = header_size + ncolors * 12
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"
    bx, by, bw, bh = box if box else (0, 0, width, height)
    x0, y0 = max(0, bx), max(0, by)
    x1, y1 = min(width, bx + bw), min(height, by + bh)
    w, h = max(0, x1 - x0), max(0, y1 - y0)

    def shift(mask):
        s = 0
        while mask and not mask & 1:
            mask >>= 1
            s += 1
        return s

    rs, gs, bs = shift(red_mask), shift(green_mask), shift(blue_mask)
    out = bytearray(w * h * 3)
    fast = step == 4 and order == "<" and (red_mask, green_mask, blue_mask) == (0xff0000, 0xff00, 0xff)
    if fast and w == width and bytes_per_line == width * 4:
        # B G R X in memory, whole rows: the channels taken by slicing at once.
        block = blob[offset + y0 * bytes_per_line:offset + y1 * bytes_per_line]
        out[0::3] = block[2::4]
        out[1::3] = block[1::4]
        out[2::3] = block[0::4]
        return Image(w, h, bytes(out))
    for y in range(y0, y1):
        start = offset + y * bytes_per_line + x0 * step
        row = blob[start:start + w * step]
        o = (y - y0) * w * 3
        if fast:
            out[o:o + w * 3:3] = row[2::4]
            out[o + 1:o + w * 3:3] = row[1::4]
            out[o + 2:o + w * 3:3] = row[0::4]
            continue
        for x in range(w):
            p = row[x * step:x * step + step]
            v = int.from_bytes(p, "little" if order == "<" else "big")
            out[o + x * 3] = (v & red_mask) >> rs
            out[o + x * 3 + 1] = (v & green_mask) >> gs
            out[o + x * 3 + 2] = (v & blue_mask) >> bs
    return Image(w, h, bytes(out))


class XSession:
    """Xvfb on a free display with openbox; every process started here is ended by close()."""

    def __init__(self, width=1600, height=1000, log=print, app_class=None):
        self.log = log
        self.app_class = app_class
        self.procs = []
        self.env = dict(os.environ)
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "%dx%dx24" % (width, height),
                                 "-nolisten", "tcp", "-noreset"],
                                pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True)
        self.procs.append(xvfb)
        os.close(write_fd)
        number = b""
        try:
            end = time.monotonic() + 20
            while not number.endswith(b"\n"):
                left = end - time.monotonic()
                if left <= 0 or not select.select([read_fd], [], [], left)[0]:
                    raise StepFailed("Xvfb did not start")
                chunk = os.read(read_fd, 16)
                if not chunk:
                    raise StepFailed("Xvfb ended at start")
                number += chunk
        finally:
            os.close(read_fd)
        self.display = ":" + number.decode().strip()
        self.env["DISPLAY"] = self.display
        self.env.pop("WAYLAND_DISPLAY", None)
        self.screen = (width, height)
        self.start(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The window manager owns the screen once it has set its supporting window.
        poll(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in _run(["xprop", "-root"], self.env, check=False),
             15, "openbox")

    def start(self, args, env=None, **kwargs):
        proc = subprocess.Popen(args, env=env or self.env, start_new_session=True, **kwargs)
        self.procs.append(proc)
        return proc

    def close(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                try:
                    os.killpg(proc.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for proc in reversed(self.procs):
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(proc.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                proc.wait(5)
        self.procs = []

    # --- windows -------------------------------------------------------------------------------

    def xdotool(self, *args, timeout=15, check=True):
        return _run(["xdotool"] + [str(a) for a in args], self.env, timeout=timeout, check=check)

    def find(self, name):
        """The visible windows whose name matches the regular expression `name`."""
        out = self.xdotool("search", "--onlyvisible", "--name", name, check=False)
        return [int(w) for w in out.split()]

    def wait_window(self, name, timeout=20):
        """The first visible window whose name matches `name`, waited for with xdotool's --sync. A
        search that fails because a window went away while it looked (BadWindow) looks again."""
        end = time.monotonic() + timeout
        while True:
            left = end - time.monotonic()
            try:
                out = self.xdotool("search", "--sync", "--onlyvisible", "--name", name, timeout=max(left, 1))
                return int(out.split()[0])
            except subprocess.TimeoutExpired:
                raise StepFailed("no window named %r within %d s" % (name, timeout))
            except StepFailed:
                if left <= 0:
                    raise
                time.sleep(0.1)

    def wait_gone(self, name, timeout=20):
        poll(lambda: not self.find(name), timeout, "window %r to close" % name)

    def name(self, window):
        return self.xdotool("getwindowname", window, check=False).strip()

    def active(self):
        out = self.xdotool("getactivewindow", check=False).strip()
        return int(out) if out else 0

    def geometry(self, window):
        """Position of the client area on the screen and its size: x, y, w, h."""
        # xwininfo, not xdotool's getwindowgeometry: that one counts a reparenting frame's offset twice.
        out = _run(["xwininfo", "-id", str(window)], self.env)
        values = {}
        for line in out.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]), int(values["Width"]),
                int(values["Height"]))

    def frame_extents(self, window):
        """The window manager's frame around `window`: left, right, top, bottom (waited for: the
        window manager sets them a moment after the window shows)."""
        def read():
            out = _run(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"], self.env, check=False)
            m = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", out)
            return m and tuple(int(v) for v in m.groups())
        return poll(read, 5, "the frame extents of window %d" % window)

    def frame_geometry(self, window):
        """The window with its frame on the screen: x, y, w, h."""
        x, y, w, h = self.geometry(window)
        left, right, top, bottom = self.frame_extents(window)
        return x - left, y - top, w + left + right, h + top + bottom

    def stacking(self):
        """The managed windows from the bottom of the stack to its top (the window manager's list)."""
        out = _run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], self.env, check=False)
        return [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", out)]

    def activate(self, window):
        self.xdotool("windowactivate", "--sync", window, check=False, timeout=10)
        poll(lambda: self.active() == window, 10, "window %d to be active" % window)

    def wait_active(self, name, timeout=20):
        """The window named `name`, once it is the active one."""
        pattern = re.compile(name)
        return poll(lambda: (w := self.active()) and pattern.search(self.name(w)) and w, timeout,
                    "window %r to be active" % name)

    # --- input ---------------------------------------------------------------------------------

    def click(self, window, x, y, button=1, repeat=1):
        """A click at (x, y) of `window`'s client area."""
        self.move(window, x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)

    def double_click(self, window, x, y):
        self.click(window, x, y, repeat=2)

    def move(self, window, x, y):
        wx, wy, _, _ = self.geometry(window)
        self.move_to(wx + x, wy + y)

    def move_to(self, x, y):
        # Not --sync: that waits for a motion, and there is none when the pointer is already there.
        self.xdotool("mousemove", x, y)
        poll(lambda: "x:%d y:%d " % (x, y) in self.xdotool("getmouselocation"), 5, "the pointer at %d,%d" % (x, y),
             interval=0.02)

    def key(self, *keys, delay=60):
        """Keys as xdotool names them ("Tab", "ctrl+v", "alt+e"), one after the other."""
        for k in keys:
            self.xdotool("key", "--clearmodifiers", "--delay", delay, k)
            time.sleep(delay / 1000)

    def type(self, text, delay=40):
        """ASCII typed key by key; anything else goes through the clipboard and Ctrl+V."""
        if all(ord(c) < 128 for c in text):
            self.xdotool("type", "--clearmodifiers", "--delay", delay, text, timeout=15 + len(text) * delay / 1000)
        else:
            self.paste(text)

    def paste(self, text):
        self.set_clipboard(text)
        self.key("ctrl+v")

    def set_clipboard(self, text):
        # xclip stays in the foreground (-quiet) serving the selection until another client takes it.
        proc = self.start(["xclip", "-quiet", "-selection", "clipboard", "-i"], stdin=subprocess.PIPE,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        proc.stdin.write(text.encode())
        proc.stdin.close()
        poll(lambda: self.clipboard() == text, 5, "the clipboard to hold the text")

    def clipboard(self):
        try:
            return _run(["xclip", "-selection", "clipboard", "-o"], self.env, timeout=5, check=False)
        except subprocess.TimeoutExpired:
            return ""

    # --- pictures ------------------------------------------------------------------------------

    def _xwd(self, *target, box=None):
        blob = subprocess.run(["xwd", "-silent"] + list(target), env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, timeout=20, check=True).stdout
        return read_xwd(blob, box)

    def grab(self, box=None):
        """The screen as shown, or its part `box` (x, y, w, h): the root, then each visible window of
        the program read on its own and laid over it from the bottom of the stack up. (Under Xvfb and
        openbox the root's pixels keep black where a window shown after the first one lies, though the
        window itself has its contents.)"""
        sw, sh = self.screen
        bx, by, bw, bh = box if box else (0, 0, sw, sh)
        bx, by = max(0, bx), max(0, by)
        bw, bh = max(0, min(sw, bx + bw) - bx), max(0, min(sh, by + bh) - by)
        screen = self._xwd("-root", box=(bx, by, bw, bh))
        visible = set(self.find_class(self.app_class)) if self.app_class else set()
        if not visible:
            return screen
        tree = _run(["xwininfo", "-root", "-tree"], self.env, check=False)
        stack = []
        for line in tree.splitlines():
            m = re.match(r"\s*(0x[0-9a-f]+) .* (\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$", line)
            if m and int(m.group(1), 16) in visible:
                stack.append((int(m.group(1), 16), int(m.group(4)), int(m.group(5)), int(m.group(2)),
                              int(m.group(3))))
        data = bytearray(screen.data)
        for window, x, y, w, h in reversed(stack):   # xwininfo lists the top of the stack first
            # The part of the box the window covers, in the window's coordinates.
            x0, y0 = max(bx, x), max(by, y)
            x1, y1 = min(bx + bw, x + w), min(by + bh, y + h)
            if x0 >= x1 or y0 >= y1:
                continue
            try:
                part = self._xwd("-id", str(window), box=(x0 - x, y0 - y, x1 - x0, y1 - y0))
            except (subprocess.SubprocessError, ValueError):
                continue   # gone meanwhile
            for r in range(part.height):
                o = ((y0 - by + r) * bw + x0 - bx) * 3
                data[o:o + part.width * 3] = part.data[r * part.width * 3:(r + 1) * part.width * 3]
        return Image(bw, bh, bytes(data))

    def find_class(self, cls):
        out = self.xdotool("search", "--onlyvisible", "--class", cls, check=False)
        return [int(w) for w in out.split()]

    def grab_window(self, window, box=None):
        """The window's client area as shown, or its part `box` (x, y, w, h in client coordinates)."""
        x, y, w, h = self.geometry(window)
        bx, by, bw, bh = box if box else (0, 0, w, h)
        return self.grab((x + bx, y + by, bw, bh))

    def screenshot(self, path):
        image = self.grab()
        with open(path, "wb") as f:
            f.write(image.png())
        return image
