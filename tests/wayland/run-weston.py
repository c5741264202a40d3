#!/usr/bin/env python3
"""Runs a test program on Qt's Wayland platform inside a weston of its own, nested in an Xvfb (weston's
X backend gives the session a seat with a keyboard, which the clipboard needs; VKT_X_DISPLAY names the
X display, where xdotool types into the session). Exits 77 (skipped)
with the reason when Xvfb or weston cannot start, except under CI, where that is a failure.

    run-weston.py PROGRAM [ARGS...]"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77


def give_up(reason):
    if os.environ.get("CI"):
        print("FAILED: %s (CI must run the Wayland session)" % reason, file=sys.stderr)
        return 1
    print("SKIPPED: %s" % reason)
    return SKIP


def wait_for(condition, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.05)
    return condition()


def main():
    program = sys.argv[1:]
    for tool in ("Xvfb", "weston"):
        if not shutil.which(tool):
            return give_up("%s is not installed (scripts/install-deps installs it)" % tool)
    plugins = subprocess.run(["sh", "-c", "ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so"],
                             capture_output=True, text=True)
    if plugins.returncode != 0:
        return give_up("Qt's Wayland platform plugin (qt6-wayland) is not installed")
    work = tempfile.mkdtemp(prefix="vkt-wayland-")
    os.chmod(work, 0o700)
    env = dict(os.environ, XDG_RUNTIME_DIR=work)
    for key in ("WAYLAND_DISPLAY", "WAYLAND_SOCKET", "DISPLAY", "QT_QPA_PLATFORM"):
        env.pop(key, None)
    started = []
    try:
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
                                 "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        started.append(xvfb)
        os.close(write_end)
        display = b""
        while not display.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            display += chunk
        os.close(read_end)
        if not display.strip():
            return give_up("Xvfb did not start")
        env["DISPLAY"] = ":" + display.decode().strip()

        socket = os.path.join(work, "wayland-vkt")
        log = open(os.path.join(work, "weston.log"), "w")
        weston = subprocess.Popen(["weston", "--backend=x11-backend.so", "--use-pixman", "--socket=wayland-vkt",
                                   "--idle-time=0", "--width=1280", "--height=1024", "--no-config"],
                                  env=env, stdout=log, stderr=subprocess.STDOUT)
        started.append(weston)
        if not wait_for(lambda: os.path.exists(socket) or weston.poll() is not None, 20) or weston.poll() is not None:
            log.flush()
            with open(log.name) as f:
                tail = f.read()[-2000:]
            return give_up("weston did not start:\n" + tail)
        # The desktop shell's own clients (panel, background) come up before the test's windows.
        time.sleep(0.5)
        # The X display stays known apart, for input typed into weston's window (xdotool).
        run_env = dict(env, WAYLAND_DISPLAY=socket, QT_QPA_PLATFORM="wayland", VKT_X_DISPLAY=env.pop("DISPLAY"))
        result = subprocess.run(program, env=run_env, timeout=240)
        if result.returncode != 0:
            log.flush()
            with open(log.name) as f:
                print("weston's log:\n" + f.read()[-4000:], file=sys.stderr)
        return result.returncode
    finally:
        for process in reversed(started):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
