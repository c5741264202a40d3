"""What a screen reader reads of the program's forms, through AT-SPI.

Runs under Xvfb (xvfb-run) with a D-Bus session of its own: the session bus, the accessibility bus
(at-spi-bus-launcher) and the runner, which shows the snapshots' forms one at a time with Qt's
AT-SPI bridge on. For each form every focusable control that is shown must have a name; the main
window is a frame; the memo editor's and a name field's text and caret are read (and the caret
set) and a caret set and text typed through AT-SPI are told back as events; the record list
reads a row whole; the status bar reads its counts; the layout selector
reads its caption; the page view reads its items.

usage: test_accessibility.py <runner>
"""

import os
import re
import select
import subprocess
import sys
import time

# The forms read: the main window's list, its record editor and layout view, a record's memo, the
# layout designer and five dialogs.
FORMS = os.environ.get("VKT_FORMS", "").split() or ["mainwindow_tree", "mainwindow_editor", "mainwindow_layout", "detailedit_memo",
         "designer_property_field", "designer_foodlist",
         "print_dialog_idle", "database_select", "csv_wizard_start", "fieldselect_dialog", "otheredit_units"]


class Failed(Exception):
    pass


def wait_until(condition, timeout, what):
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise Failed("timed out waiting for " + what)
        time.sleep(0.1)


def start_session():
    """A private session bus and accessibility bus; their processes."""
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    address = daemon.stdout.readline().strip()
    if not address:
        raise Failed("dbus-daemon gave no address")
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
    for name in ("AT_SPI_BUS_ADDRESS", "QT_ACCESSIBILITY", "NO_AT_BRIDGE"):
        os.environ.pop(name, None)
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def bus_up():
        r = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                            "org.a11y.Bus.GetAddress"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        return r.returncode == 0

    wait_until(bus_up, 20, "the accessibility bus")
    return [launcher, daemon]


class Runner:
    def __init__(self, program):
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.process = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env, text=True)

    def show(self, name):
        self.process.stdin.write(name + "\n")
        self.process.stdin.flush()
        line = ""
        while not line.startswith(("shown ", "failed ")):
            ready, _, _ = select.select([self.process.stdout], [], [], 60)
            line = self.process.stdout.readline() if ready else ""
            if not line:
                break
            line = line.strip()
        if line != "shown " + name:
            raise Failed("%s not shown: %r" % (name, line))

    def close(self):
        self.process.stdin.close()
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.process.kill()


def application(pyatspi, pid):
    def find():
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        return None
    return wait_until(find, 20, "the runner on the accessibility bus")


def walk(pyatspi, node, path=()):
    """(node, path) for each node shown under `node`; of tables, lists and trees only the first
    twelve children (rows' texts, not controls)."""
    yield node, path
    role = node.getRole()
    count = node.childCount
    if role in (pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_LIST, pyatspi.ROLE_TREE):
        count = min(count, 12)
    for i in range(count):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        states = child.getState()
        if not states.contains(pyatspi.STATE_SHOWING):
            continue
        yield from walk(pyatspi, child, path + ("%s[%s]" % (child.getRoleName(), child.name),))


def unnamed_controls(pyatspi, window):
    cells = (pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TREE_ITEM, pyatspi.ROLE_COLUMN_HEADER,
             pyatspi.ROLE_ROW_HEADER)
    found = []
    for node, path in walk(pyatspi, window):
        if node.getRole() in cells:
            continue
        if not node.getState().contains(pyatspi.STATE_FOCUSABLE):
            continue
        if node.getRole() == pyatspi.ROLE_COMBO_BOX:
            # A combo box's name is its current item: it is named by a label (or its tooltip).
            labelled = any(r.getRelationType() == pyatspi.RELATION_LABELLED_BY for r in node.getRelationSet())
            if not labelled and not node.description.strip():
                found.append(" / ".join(path) + " (no label)")
        elif not node.name.strip():
            found.append(" / ".join(path))
    return found


def windows(pyatspi, app):
    shown = []
    for i in range(app.childCount):
        w = app.getChildAtIndex(i)
        if w is not None and w.getState().contains(pyatspi.STATE_SHOWING):
            shown.append(w)
    return shown


def nodes(pyatspi, window, role):
    return [n for n, _ in walk(pyatspi, window) if n.getRole() == role]


def check_text(pyatspi, node, what, problems):
    """The text and caret of an edit control are read, and a caret set is read back."""
    text = node.queryText()
    content = text.getText(0, -1)
    if text.characterCount != len(content):
        problems.append("%s: %d characters, text %r" % (what, text.characterCount, content))
    if not 0 <= text.caretOffset <= len(content):
        problems.append("%s: caret %d outside %r" % (what, text.caretOffset, content))
    if len(content) >= 2:
        text.setCaretOffset(2)
        if text.caretOffset != 2:
            problems.append("%s: caret set to 2 reads %d" % (what, text.caretOffset))
    return content


class Events:
    """The AT-SPI events of some kinds, as they come while `pump` runs."""

    def __init__(self, pyatspi, *kinds):
        from gi.repository import GLib
        self.pyatspi, self.kinds, self.context, self.seen = pyatspi, kinds, GLib.MainContext.default(), []
        pyatspi.Registry.registerEventListener(self.on, *kinds)

    def on(self, event):
        self.seen.append((event.type, event.source.name if event.source else ""))

    def pump(self, condition, timeout=5):
        end = time.monotonic() + timeout
        while not condition() and time.monotonic() < end:
            while self.context.pending():
                self.context.iteration(False)
            time.sleep(0.05)
        return condition()

    def close(self):
        self.pyatspi.Registry.deregisterEventListener(self.on, *self.kinds)


def check_events(pyatspi, node, what, problems):
    """Moving the caret and typing through the editable text interface are told as events."""
    events = Events(pyatspi, "object:text-caret-moved", "object:text-changed")
    try:
        events.pump(lambda: False, 0.5)   # the listeners reach the program
        text = node.queryText()
        text.setCaretOffset(1)
        if not events.pump(lambda: any(t.startswith("object:text-caret-moved") for t, _ in events.seen)):
            problems.append("%s: no caret-moved event for a caret set" % what)
        before = text.getText(0, -1)
        node.queryEditableText().insertText(1, "XY", 2)
        after = text.getText(0, -1)
        if after != before[:1] + "XY" + before[1:]:
            problems.append("%s: typed XY at 1 reads %r" % (what, after))
        if not events.pump(lambda: any(t.startswith("object:text-changed:insert") for t, _ in events.seen)):
            problems.append("%s: no text-changed event for typed text: %r" % (what, events.seen))
    finally:
        print("%-20s events %s" % (what, " ".join(sorted({t for t, _ in events.seen}))))
        events.close()


def main():
    runner_path = sys.argv[1]
    helpers = start_session()
    import pyatspi  # after the session's address is set: it connects on import

    runner = Runner(runner_path)
    problems = []
    try:
        app = application(pyatspi, runner.process.pid)
        for form in FORMS:
            runner.show(form)
            time.sleep(0.3)
            shown = wait_until(lambda: windows(pyatspi, app), 20, form + "'s window")
            for window in shown:
                unnamed = unnamed_controls(pyatspi, window)
                print("%-20s %-8s %-28s unnamed %d" % (form, window.getRoleName(), window.name[:28], len(unnamed)))
                problems += ["%s: unnamed %s" % (form, u) for u in unnamed]
            window = shown[0]
            if form.startswith("mainwindow") and window.getRole() != pyatspi.ROLE_FRAME:
                problems.append("%s: the main window's role is %s" % (form, window.getRoleName()))
            if form == "mainwindow_tree":
                tables = nodes(pyatspi, window, pyatspi.ROLE_TABLE)
                cells = [c for t in tables for c in (t.getChildAtIndex(i) for i in range(min(t.childCount, 40)))
                         if c is not None and c.getRole() == pyatspi.ROLE_TABLE_CELL and c.name]
                if not any(", " in c.name for c in cells):
                    problems.append("%s: the record list reads no row whole: %r" % (form, [c.name for c in cells[:6]]))
                labels = [n.name for n, _ in walk(pyatspi, window) if re.fullmatch(r"\d+/\d+", n.name)]
                if not labels:
                    problems.append("%s: the status bar's counts are not read" % form)
            if form == "mainwindow_layout":
                combos = [n for n in nodes(pyatspi, window, pyatspi.ROLE_COMBO_BOX)]
                values = [n.queryText().getText(0, -1) if "Text" in n.get_interfaces() else n.name for n in combos]
                read = [c.name + " " + " ".join(c.getChildAtIndex(i).name for i in range(c.childCount)
                                                if c.getChildAtIndex(i) is not None) for c in combos]
                if any("=" in r for r in read) or any("=" in v for v in values):
                    problems.append("%s: the layout selector reads %r" % (form, read))
            if form == "detailedit_memo":
                memos = [n for n in nodes(pyatspi, window, pyatspi.ROLE_TEXT)
                         if n.getState().contains(pyatspi.STATE_MULTI_LINE) and n.name == "メモ"]
                if not memos:
                    problems.append("%s: no multi-line editable text named メモ" % form)
                for memo in memos[:1]:
                    if not memo.getState().contains(pyatspi.STATE_EDITABLE):
                        problems.append("%s: the memo is not editable" % form)
                    if not check_text(pyatspi, memo, form + " memo", problems).strip():
                        problems.append("%s: the memo reads no text" % form)
                    check_events(pyatspi, memo, form + " memo", problems)
            if form == "designer_foodlist":
                # The page view reads its items, each by its type and name.
                canvases = [n for n in nodes(pyatspi, window, pyatspi.ROLE_CANVAS) if n.childCount > 0]
                items = [c.getChildAtIndex(i) for c in canvases[:1] for i in range(c.childCount)]
                named = [i.name for i in items if i is not None and i.name.strip()]
                if not items or len(named) != len(items):
                    problems.append("%s: the page view reads %d items, named %r" % (form, len(items), named[:8]))
            if form == "mainwindow_editor":
                # The record's name fields (the editor's own single-line fields).
                names = [n for n in nodes(pyatspi, window, pyatspi.ROLE_TEXT) if n.name in ("名称", "仏名")]
                if len(names) != 2:
                    problems.append("%s: name fields read %r" % (form, [n.name for n in names]))
                for n in names:
                    if not check_text(pyatspi, n, form + " field " + n.name, problems):
                        problems.append("%s: the field %s reads no text" % (form, n.name))
    finally:
        runner.close()
        for p in helpers:
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
    for p in problems:
        print("FAIL " + p)
    sys.stdout.flush()
    return 1 if problems else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failed as e:
        print("FAIL " + str(e))
        sys.exit(1)
