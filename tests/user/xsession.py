"""An X session for driving a program as a user does: Xvfb, openbox, xdotool and xclip.

Windows are found by name, clicks land at coordinates relative to a window's client area, a
program's taking in of the input sent is awaited by _NET_WM_PING, and screenshots of the whole
screen are read from the X server through libX11 and written as PNG.
"""

import ctypes
import ctypes.util
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


def wait_until(condition, timeout, what, interval=0.1):
    """Calls `condition` until it returns a true value, which is returned; StepFailed naming `what`
    after `timeout` seconds."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise StepFailed("timed out after %g s waiting for %s" % (timeout, what))
        time.sleep(interval)


poll = wait_until


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


class _XImage(ctypes.Structure):
    """The leading fields of Xlib's XImage."""
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
                ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
                ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


_X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


def _libx11():
    """libX11 with the calls both readers make typed."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x11


class ScreenReader:
    """The root window's pixels as the X server shows them, read by one GetImage through libX11.
    (xwd is no use here: it assembles a screen whose windows have a colormap of their own, as Qt's
    have, region by region, and leaves some of those windows black.)"""

    def __init__(self, display):
        x11 = _libx11()
        x11.XGetImage.restype = ctypes.POINTER(_XImage)
        x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XFree.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x11.XSetErrorHandler.restype = ctypes.c_void_p
        x11.XSetErrorHandler.argtypes = [_X_ERROR_HANDLER]
        self.x11 = x11
        # Xlib's own handler ends the process; a failed read returns no image instead.
        self.on_error = _X_ERROR_HANDLER(lambda display, event: 0)
        x11.XSetErrorHandler(self.on_error)
        self.display = x11.XOpenDisplay(display.encode())
        if not self.display:
            raise StepFailed("cannot open display " + display)
        self.root = x11.XDefaultRootWindow(self.display)

    def read(self, x, y, w, h, raw=False):
        """The part (x, y, w, h) of the screen, which lies on it; None when the server refuses it. `raw`
        gives the server's bytes as they came, for comparing only."""
        image = self.x11.XGetImage(self.display, self.root, x, y, w, h, ctypes.c_ulong(-1).value, 2)   # all planes, ZPixmap
        if not image:
            return None
        try:
            i = image.contents
            if (i.bits_per_pixel != 32 or i.byte_order != 0
                    or (i.red_mask, i.green_mask, i.blue_mask) != (0xFF0000, 0xFF00, 0xFF)):
                raise ValueError("unsupported screen format: %d bits a pixel, masks %x %x %x"
                                 % (i.bits_per_pixel, i.red_mask, i.green_mask, i.blue_mask))
            line = i.bytes_per_line
            block = ctypes.string_at(i.data, line * h)
        finally:
            self.x11.XFree(image.contents.data)
            self.x11.XFree(image)
        if raw:
            return block
        # B G R X in memory, row by row.
        out = bytearray(w * h * 3)
        for r in range(h):
            row = block[r * line:r * line + w * 4]
            o = r * w * 3
            out[o:o + w * 3:3] = row[2::4]
            out[o + 1:o + w * 3:3] = row[1::4]
            out[o + 2:o + w * 3:3] = row[0::4]
        return Image(w, h, bytes(out))

    def close(self):
        if self.display:
            self.x11.XCloseDisplay(self.display)
            self.display = None


class _XClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("client", _XClientMessage), ("pad", ctypes.c_long * 24)]


class Pinger:
    """_NET_WM_PING sent to a program's window and its answer awaited. The program answers in its
    GUI thread, after the X events that came before the ping: input sent before has reached it."""

    CLIENT_MESSAGE = 33
    STRUCTURE_NOTIFY = 1 << 17      # Qt answers to the root window with this mask

    def __init__(self, display):
        x11 = _libx11()
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.POINTER(_XEvent)]
        x11.XPending.argtypes = [ctypes.c_void_p]
        x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_XEvent)]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x11 = x11
        self.display = x11.XOpenDisplay(display.encode())
        if not self.display:
            raise StepFailed("cannot open display " + display)
        self.root = x11.XDefaultRootWindow(self.display)
        self.protocols = x11.XInternAtom(self.display, b"WM_PROTOCOLS", 0)
        self.ping_atom = x11.XInternAtom(self.display, b"_NET_WM_PING", 0)
        x11.XSelectInput(self.display, self.root, self.STRUCTURE_NOTIFY)
        self.stamp = 0

    def ping(self, window, timeout):
        """True once the window's program answered, False after `timeout` seconds."""
        self.stamp += 1
        event = _XEvent()
        m = event.client
        m.type, m.window, m.message_type, m.format = self.CLIENT_MESSAGE, window, self.protocols, 32
        m.l[0], m.l[1], m.l[2] = self.ping_atom, self.stamp, window
        self.x11.XSendEvent(self.display, window, 0, 0, ctypes.byref(event))
        self.x11.XFlush(self.display)
        end = time.monotonic() + timeout
        answer = _XEvent()
        while True:
            while self.x11.XPending(self.display):
                self.x11.XNextEvent(self.display, ctypes.byref(answer))
                a = answer.client
                if (a.type == self.CLIENT_MESSAGE and a.message_type == self.protocols
                        and a.l[0] == self.ping_atom and a.l[1] == self.stamp):
                    return True
            left = end - time.monotonic()
            if left <= 0:
                return False
            select.select([self.x11.XConnectionNumber(self.display)], [], [], min(left, 0.1))

    def close(self):
        if self.display:
            self.x11.XCloseDisplay(self.display)
            self.display = None


class XSession:
    """Xvfb on a free display with openbox; every process started here is ended by close()."""

    def __init__(self, width=1600, height=1000, log=print):
        self.log = log
        self.procs = []
        self.reader = None
        self.pinger = None
        self.last_click = 0.0
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
        wait_until(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in _run(["xprop", "-root"], self.env, check=False),
                   15, "openbox")

    def start(self, args, env=None, **kwargs):
        proc = subprocess.Popen(args, env=env or self.env, start_new_session=True, **kwargs)
        self.procs.append(proc)
        return proc

    def close(self):
        if self.reader:
            self.reader.close()
            self.reader = None
        if self.pinger:
            self.pinger.close()
            self.pinger = None
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
        wait_until(lambda: not self.find(name), timeout, "window %r to close" % name)

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

    def frame_extents(self, window, timeout=5):
        """The window manager's frame around `window`: left, right, top, bottom (waited for: the
        window manager sets them a moment after the window shows)."""
        def read():
            out = _run(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"], self.env, check=False)
            m = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", out)
            return m and tuple(int(v) for v in m.groups())
        return wait_until(read, timeout, "the frame extents of window %d" % window)

    def frame_geometry(self, window, timeout=5):
        """The window with its frame on the screen: x, y, w, h."""
        x, y, w, h = self.geometry(window)
        left, right, top, bottom = self.frame_extents(window, timeout)
        return x - left, y - top, w + left + right, h + top + bottom

    def stacking(self):
        """The managed windows from the bottom of the stack to its top (the window manager's list)."""
        out = _run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], self.env, check=False)
        return [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", out)]

    def activate(self, window):
        self.xdotool("windowactivate", "--sync", window, check=False, timeout=10)
        wait_until(lambda: self.active() == window, 10, "window %d to be active" % window)

    def handled(self, window, timeout=20):
        """Waits until the program of `window` has taken in the input sent so far: three pings answered
        one after the other (the first answer may come in the event loop's turn that still delivers
        the input; the later ones after the work it posted)."""
        if self.pinger is None:
            self.pinger = Pinger(self.display)
        end = time.monotonic() + timeout
        for _ in range(3):
            if not self.pinger.ping(window, max(0.1, end - time.monotonic())):
                raise StepFailed("the program of window %d did not answer a ping within %d s" % (window, timeout))

    def menu(self, window, accelerator, downs):
        """A menu entry of `window`: the menu by its accelerator, then `downs` enabled entries below the first."""
        self.activate(window)
        self.popup(accelerator)
        for _ in range(downs):
            self.key("Down")
        self.key("Return")

    def popup(self, key):
        """`key` pressed and the window it opens (a menu, which takes the keys that follow) waited for."""
        def shown():
            return set(self.find_class("."))
        before = shown()
        self.key(key)
        return wait_until(lambda: shown() - before, 10, "the menu opened by %s" % key, interval=0.05)

    def wait_active(self, name, timeout=20):
        """The window named `name`, once it is the active one."""
        pattern = re.compile(name)
        return wait_until(lambda: (w := self.active()) and pattern.search(self.name(w)) and w, timeout,
                          "window %r to be active" % name)

    # --- input ---------------------------------------------------------------------------------

    def click(self, window, x, y, button=1, repeat=1):
        """A click at (x, y) of `window`'s client area."""
        self.move(window, x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", 80, button)
        self.last_click = time.monotonic()

    def past_double_click(self):
        """The double-click interval (Qt's 400 ms, and a margin) since the last click waited out, so that
        a click on the same spot counts as one of its own: nothing but time tells that."""
        left = self.last_click + 0.5 - time.monotonic()
        if left > 0:
            time.sleep(left)

    def double_click(self, window, x, y):
        self.click(window, x, y, repeat=2)

    def move(self, window, x, y):
        wx, wy, _, _ = self.geometry(window)
        self.move_to(wx + x, wy + y)

    def move_to(self, x, y):
        # Not --sync: that waits for a motion, and there is none when the pointer is already there.
        self.xdotool("mousemove", x, y)
        wait_until(lambda: "x:%d y:%d " % (x, y) in self.xdotool("getmouselocation"), 5,
                   "the pointer at %d,%d" % (x, y), interval=0.02)

    def key(self, *keys, delay=60):
        """Keys as xdotool names them ("Tab", "ctrl+v", "alt+e"), one after the other."""
        for k in keys:
            self.xdotool("key", "--clearmodifiers", "--delay", delay, k)
            time.sleep(delay / 1000)      # a typist's pace, as xdotool keeps it between keys of one call

    def type(self, text, delay=40):
        """ASCII typed key by key; anything else goes through the clipboard and Ctrl+V."""
        if all(ord(c) < 128 for c in text):
            self.xdotool("type", "--clearmodifiers", "--delay", delay, text, timeout=15 + len(text) * delay / 1000)
        else:
            self.paste(text)

    def paste(self, text):
        self.set_clipboard(text)
        self.key("ctrl+v")

    def set_clipboard(self, text, target=None):
        # xclip stays in the foreground (-quiet) serving the selection until another client takes it;
        # `target` offers the text under that type only (e.g. "text/rtf").
        kind = ["-t", target] if target else []
        proc = self.start(["xclip", "-quiet", "-selection", "clipboard"] + kind + ["-i"], stdin=subprocess.PIPE,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        proc.stdin.write(text.encode())
        proc.stdin.close()
        wait_until(lambda: self.clipboard(target) == text, 5, "the clipboard to hold the text")

    def clipboard(self, target=None):
        kind = ["-t", target] if target else []
        try:
            return _run(["xclip", "-selection", "clipboard"] + kind + ["-o"], self.env, timeout=5, check=False)
        except subprocess.TimeoutExpired:
            return ""

    # --- pictures ------------------------------------------------------------------------------

    def grab(self, box=None, raw=False):
        """The screen as shown, or its part `box` (x, y, w, h); with `raw`, bytes to compare only."""
        sw, sh = self.screen
        bx, by, bw, bh = box if box else (0, 0, sw, sh)
        bx, by = max(0, bx), max(0, by)
        bw, bh = max(0, min(sw, bx + bw) - bx), max(0, min(sh, by + bh) - by)
        if bw == 0 or bh == 0:
            return Image(bw, bh, b"")
        if self.reader is None:
            self.reader = ScreenReader(self.display)
        image = self.reader.read(bx, by, bw, bh, raw)
        if image is None:
            raise StepFailed("the screen could not be read")
        return image

    def find_class(self, cls):
        out = self.xdotool("search", "--onlyvisible", "--class", cls, check=False)
        return [int(w) for w in out.split()]

    def grab_window(self, window, box=None, raw=False):
        """The window's client area as shown, or its part `box` (x, y, w, h in client coordinates)."""
        x, y, w, h = self.geometry(window)
        bx, by, bw, bh = box if box else (0, 0, w, h)
        return self.grab((x + bx, y + by, bw, bh), raw)

    def screenshot(self, path):
        image = self.grab()
        with open(path, "wb") as f:
            f.write(image.png())
        return image
