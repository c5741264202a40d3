#!/usr/bin/env python3
"""The Debian package as a user gets it: built from the build tree by CPack into a temporary folder,
checked by dpkg-deb, desktop-file-validate, appstreamcli and lintian, unpacked with dpkg-deb -x into
a temporary root (nothing is installed into the machine) and started from there under Xvfb and
openbox. The unpacked program shows the preset food list layout from its own share folder, opens
its own help page on F1 (through xdg-open, stood in for by a script that records the address), and
draws a metafile picture of a layout through its own player.

Usage: test_package.py BUILD_DIR OUT_DIR
"""

import base64
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "user"))
from xsession import StepFailed, XSession, poll  # noqa: E402

APP_ID = "org.vektara.Vektara"
# The main window: the product name, then the open database's name in brackets (the sample's).
MAIN = r"^Vektara 2005( \[[^]]*\])?$"
# A real metafile written by Inkscape: a red rectangle, a green ellipse, a stroked rectangle.
PICTURE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "emf", "ink-shapes.emf")
PICTURE_RED = (0xD0, 0x30, 0x20)
PICTURE_GREEN = (0x30, 0xA0, 0x40)
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def run(args, **kwargs):
    result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600, **kwargs)
    text = result.stdout.decode(errors="replace")
    if result.returncode != 0:
        raise StepFailed("%s failed (%d):\n%s" % (" ".join(args), result.returncode, text))
    return text


def build_package(build, work):
    out = os.path.join(work, "out")
    run(["cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out])
    debs = glob.glob(os.path.join(out, "*.deb"))
    if len(debs) != 1 or not re.fullmatch(r"vektara_\d+(\.\d+)*_amd64\.deb", os.path.basename(debs[0])):
        raise StepFailed("expected one vektara_<version>_amd64.deb, found %r" % debs)
    return debs[0]


def check_control(deb):
    depends = run(["dpkg-deb", "-f", deb, "Depends"])
    names = {re.split(r"[ (]", d.strip())[0] for d in depends.split(",")}
    for wanted in ("fonts-noto-cjk", "libcups2", "qt6-qpa-plugins", "libqt6widgets6", "libsqlite3-0"):
        if wanted not in names:
            raise StepFailed("Depends lacks %s: %s" % (wanted, depends))
    for name in names:
        if name.endswith("-dev") or re.search(r"gtest|gmock|benchmark|xvfb", name):
            raise StepFailed("Depends names a build or test package: %s" % name)
    recommends = run(["dpkg-deb", "-f", deb, "Recommends"])
    if "qt6-wayland" not in {re.split(r"[ (]", r.strip())[0] for r in recommends.split(",")}:
        raise StepFailed("Recommends lacks qt6-wayland (Qt's Wayland platform plugin): %s" % recommends)


def check_contents(deb):
    listed = run(["dpkg-deb", "-c", deb])
    files = {line.split()[-1].lstrip(".") for line in listed.splitlines() if not line.startswith("d")}
    wanted = {"/usr/bin/vektara", "/usr/lib/vektara/vkt-emfplay", "/usr/share/vektara/help/index.html",
              "/usr/share/applications/%s.desktop" % APP_ID, "/usr/share/metainfo/%s.metainfo.xml" % APP_ID,
              "/usr/share/man/man1/vektara.1.gz", "/usr/share/doc/vektara/copyright"}
    wanted |= {"/usr/share/vektara/layouts/%s.xml" % n for n in ("FoodList", "Recipe", "Menu")}
    wanted |= {"/usr/share/icons/hicolor/%dx%d/apps/%s.png" % (s, s, APP_ID) for s in ICON_SIZES}
    missing = wanted - files
    if missing:
        raise StepFailed("the package lacks %s" % sorted(missing))
    allowed = ("/usr/bin/", "/usr/lib/vektara/", "/usr/share/")
    stray = [f for f in files if not f.startswith(allowed) or f.startswith("/usr/share/vektara/tests")]
    if stray:
        raise StepFailed("the package holds files outside the program's folders: %s" % sorted(stray))


def validate(deb, root):
    run(["desktop-file-validate", os.path.join(root, "usr/share/applications/%s.desktop" % APP_ID)])
    run(["appstreamcli", "validate", "--no-net", os.path.join(root, "usr/share/metainfo/%s.metainfo.xml" % APP_ID)])
    # Errors fail (lintian's default), and so does a binary built without Debian's hardening flags;
    # other warnings are reported.
    report = run(["lintian", "--allow-root", "--no-cfg", deb])
    print(report, end="", flush=True)
    unhardened = [line for line in report.splitlines() if "hardening-no-" in line]
    if unhardened:
        raise StepFailed("built without hardening flags:\n" + "\n".join(unhardened))


def picture_layout(path):
    """A page layout of one image container holding the metafile, in the program's layout format."""
    with open(PICTURE, "rb") as f:
        data = base64.b64encode(f.read()).decode()
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<PageScript Version="1.0">\n'
                '  <PageObject Paper="9" Orientation="0" MarginRect="39,39,39,39" MMMarginRect="1000,1000,1000,1000">\n'
                '    <Item Name="Picture" Align="Client" MarginRect="0,0,0,0" MMMarginRect="0,0,0,0" Options=""'
                ' Container="Image" DrawType="2" Trimming="False" Transparent="False" ColCount="1" RowCount="1"'
                ' DrawName="False" HorzAlign="Center" VertAlign="Center" ImageData="%s" />\n'
                '  </PageObject>\n</PageScript>\n' % data)


class Session:
    """The unpacked program started on a fresh home under one X session."""

    def __init__(self, root, work, out):
        self.root, self.work, self.out = root, work, out
        self.x = XSession()
        self.opened = os.path.join(work, "opened.txt")
        self.fake = os.path.join(work, "fakebin")
        os.makedirs(self.fake)
        # The desktop's opener of addresses: records what the program asks it to open.
        opener = os.path.join(self.fake, "xdg-open")
        with open(opener, "w") as f:
            f.write('#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' % self.opened)
        os.chmod(opener, 0o755)
        self.app = None

    def start(self, name):
        home = os.path.join(self.work, name)
        runtime = os.path.join(home, "run")
        os.makedirs(runtime, mode=0o700)
        env = dict(self.x.env)
        env.update(HOME=home, XDG_CONFIG_HOME=home + "/.config", XDG_DATA_HOME=home + "/.local/share",
                   XDG_CACHE_HOME=home + "/.cache", XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb",
                   CUPS_SERVER="/nonexistent/cups.sock", LANG="C.UTF-8",
                   PATH=self.fake + ":" + os.environ.get("PATH", "/usr/bin:/bin"))
        for name_ in ("QT_QPA_PLATFORMTHEME", "QT_PLUGIN_PATH", "LD_LIBRARY_PATH"):
            env.pop(name_, None)
        self.log = open(os.path.join(self.work, name + ".log"), "w")
        self.app = self.x.start([os.path.join(self.root, "usr/bin/vektara")], env=env, stdout=self.log,
                                stderr=subprocess.STDOUT)
        self.main = self.x.wait_window(MAIN, timeout=60)
        self.x.activate(self.main)
        return home

    def desktop_identity(self):
        """The main window's class is the desktop entry's StartupWMClass and it carries an icon."""
        with open(os.path.join(self.root, "usr/share/applications/org.vektara.Vektara.desktop")) as f:
            wm_class = re.search(r"^StartupWMClass=(.*)$", f.read(), re.M).group(1)
        out = subprocess.run(["xprop", "-id", str(self.main), "WM_CLASS", "_NET_WM_ICON"],
                             env=self.x.env, capture_output=True, text=True).stdout
        classes = re.findall(r'"([^"]*)"', re.search(r"^WM_CLASS.*$", out, re.M).group(0))
        if wm_class not in classes:
            raise StepFailed("the window's class %r is not the desktop entry's %r" % (classes, wm_class))
        sizes = {int(w) for w, h in re.findall(r"Icon \((\d+) x (\d+)\)", out) if w == h}
        if not {16, 32, 48, 128} <= sizes:
            raise StepFailed("the main window's icon lacks sizes: it has %r" % sorted(sizes))

    def new_database(self, home):
        """A database made in the open-database dialog, as the user test makes one."""
        self.menu("alt+f", 0)
        self.x.wait_window("^データベースを開く$")
        self.x.key("ctrl+a")
        self.x.type(os.path.join(home, "kitchen"))
        self.x.key("Return")
        time.sleep(0.5)
        self.x.key("ctrl+a")
        self.x.type("Kitchen")
        self.x.key("Return")
        self.x.wait_window("^エラー確認$")        # the folder is made on the program's offer
        self.x.key("Return")
        self.x.wait_gone("^データベースを開く$")
        poll(lambda: os.path.exists(os.path.join(home, "kitchen", "vektara.db")), 10, "the database file")

    def layout_view(self):
        self.menu("alt+v", 3)                       # 印刷プレビュー: the selected layout on its page
        time.sleep(1.0)

    def menu(self, accelerator, downs):
        self.x.menu(self.main, accelerator, downs)

    def only_main_window(self):
        """No message box beside the main window (a missing file is told in one)."""
        time.sleep(1.0)
        others = [w for w in self.x.find(".") if w != self.main and self.x.name(w) not in ("", "openbox")]
        names = [self.x.name(w) for w in others if self.x.name(w) != self.x.name(self.main)]
        if names:
            raise StepFailed("windows beside the main one: %r" % names)

    def stop(self):
        self.x.activate(self.main)
        self.x.xdotool("key", "--clearmodifiers", "alt+F4")
        try:
            code = self.app.wait(15)
        except subprocess.TimeoutExpired:
            raise StepFailed("the program did not end within 15 s of the close request")
        self.log.close()
        if code != 0:
            raise StepFailed("the program ended with exit code %d" % code)

    def shot(self, name):
        self.x.screenshot(os.path.join(self.out, "package-%s.png" % name))

    def close(self):
        self.x.close()


def near(pixel, colour):
    return all(abs(p - c) < 48 for p, c in zip(pixel, colour))


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    build, out = (os.path.abspath(a) for a in sys.argv[1:])
    for tool in ("cpack", "dpkg-deb", "desktop-file-validate", "appstreamcli", "lintian", "Xvfb", "openbox",
                 "xdotool", "xprop"):
        if not shutil.which(tool):
            print("missing tool: " + tool)
            return 1
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp(prefix="vkt-package-")
    session = None
    try:
        deb = build_package(build, work)
        print("package: %s" % os.path.basename(deb), flush=True)
        check_control(deb)
        check_contents(deb)
        root = os.path.join(work, "root")
        run(["dpkg-deb", "-x", deb, root])
        validate(deb, root)

        session = Session(root, work, out)
        # The shipped layout and the help pages, from the unpacked root.
        session.start("plain")
        session.desktop_identity()
        session.only_main_window()
        session.shot("start")
        session.x.key("F1")
        poll(lambda: os.path.exists(session.opened), 15, "the help page to be opened")
        with open(session.opened) as f:
            address = f.read().split()[0]
        help_folder = "file://" + os.path.join(root, "usr/share/vektara/help") + "/"
        if not (address.startswith(help_folder) and address.endswith(".html")):
            raise StepFailed("help opened %r, not a page under %r" % (address, help_folder))
        session.only_main_window()
        session.new_database(os.path.join(work, "plain"))
        session.layout_view()
        session.only_main_window()
        session.shot("layout")
        session.stop()

        # A layout of the user's holding a metafile: drawn by the unpacked player.
        home = os.path.join(work, "picture")
        picture_layout(os.path.join(home, ".local/share/Quillore/Vektara 2005/FoodList.xml"))
        session.start("picture")
        session.new_database(home)
        session.layout_view()

        def drawn():
            pixels = session.x.grab_window(session.main)
            red = green = 0
            for i in range(0, len(pixels.data), 3 * 7):
                p = tuple(pixels.data[i:i + 3])
                red += near(p, PICTURE_RED)
                green += near(p, PICTURE_GREEN)
            return red > 50 and green > 50
        poll(drawn, 20, "the picture drawn by the unpacked player", interval=0.5)
        session.shot("picture")
        session.only_main_window()
        session.stop()
    except StepFailed as error:
        if session:
            try:
                session.shot("failed")
            except Exception:
                pass
        print("FAILED: %s" % error, flush=True)
        return 1
    finally:
        if session:
            session.close()
        shutil.rmtree(work, ignore_errors=True)
    print("package passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
