#!/usr/bin/env python3
"""Runs a test program on Qt's Wayland platform inside a weston of its own, nested in an Xvfb (weston's
X backend gives the session a seat with a keyboard, which the clipboard needs; VKT_X_DISPLAY names the
X display, where xdotool types into the session). Exits 77 (skipped)
with the reason when Xvfb or weston cannot start, except under CI, where that is a failure.

    run-weston.py [--program VEKTARA] TEST [ARGS...]

With --program, the built program itself is then started there (home and runtime folders of its
own): it shows its main window natively (its app id given to the compositor) with no warning of
Qt's, and a second start, given an activation token, hands the token over to it and ends."""
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


def run_program(vektara, env, work):
    """The program's start, its second start with a token, and its end; the reason it failed, or None."""
    home = os.path.join(work, "home")
    runtime = os.path.join(work, "program-runtime")
    os.makedirs(home)
    os.makedirs(runtime, mode=0o700)
    env = dict(env, HOME=home, XDG_CONFIG_HOME=home + "/.config", XDG_DATA_HOME=home + "/.local/share",
               XDG_CACHE_HOME=home + "/.cache", XDG_RUNTIME_DIR=runtime,
               WAYLAND_DISPLAY=env["WAYLAND_DISPLAY"], QT_LOGGING_RULES="vektara.startup.debug=true")
    env.pop("XDG_ACTIVATION_TOKEN", None)
    trace_path = os.path.join(work, "program.log")
    with open(trace_path, "w") as trace:
        first = subprocess.Popen([vektara], env=dict(env, WAYLAND_DEBUG="client"), stdout=trace,
                                 stderr=subprocess.STDOUT)

        def log():
            with open(trace_path, errors="replace") as f:
                return f.read()
        try:
            if not wait_for(lambda: "current panel set" in log() or first.poll() is not None, 90):
                return "the program showed no main window within 90 s"
            if first.poll() is not None:
                return "the program ended at its start (%s)" % first.returncode
            wait_for(lambda: "sample kitchen made" in log(), 30)
            if 'set_app_id("org.vektara.Vektara")' not in log():
                return "the program gave the compositor no app id org.vektara.Vektara"
            second = subprocess.run([vektara], env=dict(env, XDG_ACTIVATION_TOKEN="vkt-test-token"),
                                    capture_output=True, text=True, timeout=60)
            if second.returncode != 0:
                return "the second start ended with %s: %s" % (second.returncode, second.stderr[-2000:])
            if not wait_for(lambda: "activation received with a token" in log(), 10):
                return "the running program received no activation with a token"
            first.terminate()
            first.wait(30)
            if first.returncode != 0:
                return "the program ended with %s when terminated" % first.returncode
            # Qt's own messages (the Wayland debug lines start with "[" and a time).
            warnings = [line for line in log().splitlines()
                        if not line.startswith(("[", " ")) and "vektara.startup" not in line and line.strip()]
            if warnings:
                return "Qt warned:\n" + "\n".join(warnings[:20])
            return None
        finally:
            if first.poll() is None:
                first.kill()
                first.wait()


def main():
    args = sys.argv[1:]
    vektara = None
    if args[:1] == ["--program"]:
        vektara, args = args[1], args[2:]
    program = args
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
        failure = None if result.returncode == 0 else "the test program failed"
        if not failure and vektara:
            failure = run_program(vektara, run_env, work)
            print("the program under Wayland: %s" % (failure or "started, handed a token over, ended"))
        if failure:
            log.flush()
            with open(log.name) as f:
                print("FAILED: %s\nweston's log:\n%s" % (failure, f.read()[-4000:]), file=sys.stderr)
            return 1
        return 0
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
