#!/usr/bin/env python3
"""A cook's session with the built program, driven only by X input.

The program runs under Xvfb with openbox on its own home folder; xdotool types and clicks, windows
are waited for by name, and what was done is checked in the database (sqlite3), the printed PDF
(pdftotext), the dialogs' frames (xwininfo, xprop) and what the screen shows (pixels of the list's
rows, the status bar's count, the month-price editor). Each step leaves build/snapshots/
user-NN-<step>.png (some also user-NN-<step>-<moment>.png); a step that fails leaves
user-NN-<step>-failed.png and ends the run. The session ends with the main window closed as a user
closes it; the time from the close request to the program's end is printed.

usage: test_user.py [--keep-going] PROGRAM SNAPSHOT_FOLDER

--keep-going runs the later steps after a failed one (for looking at several faults at once).
"""

import base64
import datetime
import os
import re
import shutil
import signal
import sqlite3
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import StepFailed, XSession, wait_until  # noqa: E402

PRODUCT = "Vektara 2005"
# The main window: the product name, then the open database's name in brackets.
MAIN = r"^Vektara 2005( \[[^]]*\])?( \(読み取り専用\))?$"
STEP_SECONDS = 40
SCREEN_GAP = 10          # between a dialog placed at the bottom right and the screen's edges
FRAME_WAIT = 30          # seconds a framed placement may take on a loaded machine

# The main window, maximised: its fixed layout (client coordinates).
CLASS_TREE = (60, 99)
RECORD_ROW0 = (450, 115)
ROW_HEIGHT = 16
APPEND_ITEM_BUTTON = (14, 70)      # first button of the second tool bar row
PROPERTY_AREA_BUTTON = (148, 70)   # 印刷プレビューの設定, after the row's first group
# The layout view: a point in its item tree (from the window's bottom), and its own tool bar's
# テキスト button.
ITEM_TREE = (300, 60)
TEXT_BUTTON = (373, 103)
PRINT_STATE = (16, 142, 417, 16)     # the print dialog's state text
PRINT_CANCEL = (380, 210)            # its キャンセル (閉じる) button
GRID_BUTTON = (474, 103)
# The grid's property page, from the main window's bottom (x, height - y): its tab, the place the
# wheel scrolls the page, and (scrolled up) column 2 of the small grid's first row, (scrolled
# down) the 列数 and 列幅 fields; and the grid's title row on the page at the page's top left.
GRID_TAB = (692, 219)
GRID_PANEL_WHEEL = (1580, 150)
GRID_CELL2 = (510, 174)
GRID_COLUMNS = (1300, 152)
GRID_WIDTH = (1300, 121)
GRID_TITLE_ROW = (200, 165, 600, 10)
STATUS_COUNT = (1409, 958, 96, 20)  # the status bar's "marked/listed" panel (six digits a side wide)
FILTER_NODE_IMAGE = (28, 813)      # the image of the first user filter in the filter tree
# The record editor below the list: its name field, the tabs of its detail panel, the item tool
# bar's buttons, the memo page's text and size field, and the history chart's month page.
NAME_FIELD = (316, 801)
DETAIL_TABS = [(567, 750), (616, 750), (674, 750), (734, 750), (806, 750)]
DETAIL_PAGE = (548, 760, 1040, 200)  # the detail panel's page below its tabs
ITEM_DOWN_BUTTON = (586, 778)
ITEM_ROW0_NAME = (794, 819)         # the item grid's first row: its 名称 and 使用量 cells
ITEM_ROW0_USE = (1094, 819)
REPRICE_BUTTON = (674, 778)
IMAGE_LOAD_BUTTON = (560, 780)      # イメージ読み込み, the image page's first tool button
IMAGE_AREA = (548, 800, 1040, 150)  # the image page's picture
IMAGE_DELETE_BUTTON = (700, 780)    # イメージ削除, after 書き出し | 切り取り コピー 貼り付け |
MEMO_TEXT = (1030, 821)
MEMO_SIZE = (720, 934)
MEMO_PAGE = (548, 780, 1052, 120)   # the memo's text with its vertical bar
MEMO_BAR_GROOVE = (1590, 805)      # the memo's vertical bar just below its up arrow
MONTH_EDIT_BUTTON = (713, 809)      # 使用単価編集
MONTH_EDITOR_AREA = (548, 851, 92, 65)  # where the month-price editor's days lie, left of the chart
DAY_TEXT_START = 12                 # the area's columns where only the editor's days draw
MONTH_FIRST_PRICE = (680, 851)      # the editor's price of the month's first day
# The master-data dialog (client coordinates; from its right or bottom edge where negative): the
# user-filter page's tab, the filter list's first name, the field list's 使用単価, 設定, 閉じる.
OTHER_CLASS_TAB = (85, 24)
OTHER_CLASS_ROW = (70, 167)         # 飲料 in the class tree, a class with a next sibling
OTHER_FILTER_TAB = (386, 24)
OTHER_FILTER_NAME = (70, 42)
OTHER_USE_PRICE_FIELD = (190, 251)
OTHER_FILTER_SET = (-77, 169)
OTHER_CLOSE = (-169, -37)

# The CSV wizard's data page: the grid's first row's 購入単価 cell (client coordinates), and the
# prices typed into it and the row below.
CSV_PRICE_CELL = (360, 95)
CSV_TYPED_PRICES = ("24", "144.8")
FOODS = [("果物類" if i % 2 else "穀物類", "テスト食材%02d" % i, "箱" if i % 3 else "袋", 100 + 10 * i, 1 + i % 3, 50 + i)
         for i in range(1, 21)]
# The dealer of every food: a name with a blank, as the spreadsheet's file writes it unquoted.
DEALER = "Marco Foods"
RECIPE = "フルーツソース"
RECIPE_FRENCH = "SauceFruits"
MEMO = "黒胡椒を少々加える。"
USER_FILTER = "高額食材"
# A real metafile written by Inkscape: a red rectangle, a green ellipse, a stroked rectangle.
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
PICTURE = os.path.join(DATA, "emf", "ink-shapes.emf")
# Another real one, and the first with its header's signature overwritten (kept, said, never drawn).
PICTURE_OTHER = os.path.join(os.path.dirname(PICTURE), "ink-zigzag.emf")
PICTURE_RED = (0xD0, 0x30, 0x20)
PICTURE_GREEN = (0x30, 0xA0, 0x40)
USER_FILTER_PRICE = 200
# The sample kitchen a first start makes in the user's data folder, and a recipe of it that uses
# another recipe (the vinaigrette) as an item.
SAMPLE_DB = os.path.join(".local", "share", "Quillore", "Vektara 2005", "Sample", "vektara.db")
SAMPLE_RECIPE = "季節のサラダ"


def hostile_picture():
    """A 2.2 MB metafile that keeps its player busy until it is killed: one clip region of 100 000
    rectangles, then moved 40 000 times."""
    rects = b"".join(struct.pack("<4i", i % 100 * 2, i // 100 * 2, i % 100 * 2 + 1, i // 100 * 2 + 1)
                     for i in range(100000))
    region = struct.pack("<4I4i", 32, 1, 100000, len(rects), 0, 0, 200, 2000) + rects
    records = [struct.pack("<4I", 75, 16 + len(region), len(region), 5) + region]   # EMR_EXTSELECTCLIPRGN
    records += [struct.pack("<2I2i", 26, 16, 1, 1)] * 40000                         # EMR_OFFSETCLIPRGN
    body = b"".join(records)
    eof = struct.pack("<5I", 14, 20, 0, 16, 20)
    header = struct.pack("<2I4i4i4I2H3I4i", 1, 88, 0, 0, 199, 139, 0, 0, 5292, 3704, 0x464D4520, 0x10000,
                         88 + len(body) + len(eof), len(records) + 2, 1, 0, 0, 0, 0, 1920, 1080, 508, 286)
    return header + body + eof


class Timeout(Exception):
    pass


def _alarm(signum, frame):
    raise Timeout("step took longer than its limit")


class UserSession:
    PREFIX = "user"          # of the screenshots and the program's log

    def __init__(self, program, out):
        self.program = program
        self.out = out
        self.home = tempfile.mkdtemp(prefix="vkt-user-")
        self.db = os.path.join(self.home, "kitchen", "vektara.db")
        self.number = 0
        self.x = None
        self.app = None
        self.main = None
        self.folders = [self.home]   # removed by close()

    # --- running ---------------------------------------------------------------------------------

    def start(self):
        os.makedirs(self.out, exist_ok=True)
        for name in os.listdir(self.out):
            if name.startswith(self.PREFIX + "-") and name.endswith(".png"):
                os.remove(os.path.join(self.out, name))
        self.x = XSession()
        self.log_file = open(os.path.join(self.out, self.PREFIX + "-program.log"), "w")
        self.app = self.launch([self.program], self.home)

    def launch(self, command, home, owner=None):
        """The program started by `command` on its own home folder (given to `owner`, a user id, when
        set)."""
        env = dict(self.x.env)
        runtime = os.path.join(home, "run")
        os.makedirs(runtime, mode=0o700)
        if owner is not None:
            for folder in (home, runtime):
                os.chown(folder, owner, owner)
        env.update(HOME=home, XDG_CONFIG_HOME=home + "/.config", XDG_DATA_HOME=home + "/.local/share",
                   XDG_CACHE_HOME=home + "/.cache", XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb",
                   CUPS_SERVER="/nonexistent/cups.sock", LANG="C.UTF-8")
        env.pop("QT_QPA_PLATFORMTHEME", None)
        return self.x.start(command, env=env, stdout=self.log_file, stderr=subprocess.STDOUT)

    def close(self):
        if self.x:
            self.x.close()
        if getattr(self, "log_file", None):
            self.log_file.close()
        for folder in self.folders:
            for path, dirs, _ in os.walk(folder):
                for d in dirs:
                    os.chmod(os.path.join(path, d), 0o755)
            shutil.rmtree(folder, ignore_errors=True)

    def step(self, name, act, seconds=STEP_SECONDS):
        self.number += 1
        label = self.label = "%s-%02d-%s" % (self.PREFIX, self.number, name)
        began = time.monotonic()
        signal.signal(signal.SIGALRM, _alarm)
        signal.setitimer(signal.ITIMER_REAL, seconds)
        try:
            act()
            signal.setitimer(signal.ITIMER_REAL, 0)
            if self.app.poll() is not None:
                raise StepFailed("the program ended (exit code %s)" % self.app.returncode)
            self.settle()
            self.x.screenshot(os.path.join(self.out, label + ".png"))
        except BaseException as error:
            signal.setitimer(signal.ITIMER_REAL, 0)
            try:
                self.x.screenshot(os.path.join(self.out, label + "-failed.png"))
            except Exception:
                pass
            raise StepFailed("step %s: %s" % (name, error)) from error
        print("step %-24s ok  %5.1f s" % (name, time.monotonic() - began), flush=True)

    def settle(self):
        """The program has taken in the input sent so far and the screen shows the same twice in a row."""
        self.x.handled(self.main)
        self.steady(lambda: self.x.grab(raw=True), "the screen to stop changing")

    def idle(self, box=None):
        """The program has taken in the input sent so far and its main window (or the part `box` of it)
        shows the same twice in a row."""
        self.x.handled(self.main)
        self.steady(lambda: self.x.grab_window(self.main, box, raw=True), "the main window to stop changing")

    def steady(self, grab, what, timeout=10):
        last = [None]

        def same():
            now = grab()
            done = now == last[0]
            last[0] = now
            return done
        wait_until(same, timeout, what)

    def snap(self, suffix):
        """A screenshot within the current step: user-NN-<step>-<suffix>.png."""
        self.settle()
        self.x.screenshot(os.path.join(self.out, "%s-%s.png" % (self.label, suffix)))

    # --- helpers ---------------------------------------------------------------------------------

    def click(self, window, at, **kwargs):
        self.x.click(window, at[0], at[1], **kwargs)

    def item_tree(self):
        """The property area shown and its item tree clicked: the point clicked, the window's height and a
        function grabbing the tree's nodes."""
        self.click(self.main, PROPERTY_AREA_BUTTON)
        _, _, _, height = self.x.geometry(self.main)
        tree = (ITEM_TREE[0], height - ITEM_TREE[1])
        area = (ITEM_TREE[0] - 90, height - ITEM_TREE[1] - 150, 180, 150)
        self.click(self.main, tree)
        return tree, height, lambda: self.x.grab_window(self.main, area)

    def menu(self, accelerator, downs):
        """A main-menu entry: the menu by its accelerator, then `downs` enabled entries below the first."""
        self.x.menu(self.main, accelerator, downs)

    def status_count(self):
        return self.x.grab_window(self.main, STATUS_COUNT)

    def wait_changed(self, before, grab, what, timeout=10):
        wait_until(lambda: grab().data != before.data, timeout, what)

    def query(self, sql, args=()):
        con = sqlite3.connect("file:%s?mode=ro" % self.db, uri=True, timeout=10)
        try:
            return con.execute(sql, args).fetchall()
        finally:
            con.close()

    def record(self, name):
        rows = self.query('SELECT "Data_ID", "Data2", "UsePrice" FROM "VktDB1F" WHERE "Data" = ?', (name,))
        return rows[0] if rows else None

    def wait_db(self, sql, args, expected, what, timeout=10):
        def check():
            try:
                return self.query(sql, args) == expected
            except sqlite3.OperationalError:
                return False
        try:
            wait_until(check, timeout, what)
        except StepFailed:
            raise StepFailed("%s: %r, expected %r" % (what, self.query(sql, args), expected))

    def wait_dialog(self, name):
        window = self.x.wait_window(name)
        self.x.wait_active(name)
        return window

    def placed_bottom_right(self, window, what):
        """The window with its frame lies wholly on the screen, 10 pixels from its right and bottom edges
        (read until the window manager has framed the window and the program has placed it by its
        frame: on a loaded machine the frame may come many seconds after the show)."""
        sw, sh = self.x.screen
        placed = []

        def read():
            placed[:] = self.x.frame_geometry(window, FRAME_WAIT)
            x, y, w, h = placed
            return all(abs(gap - SCREEN_GAP) <= 2 for gap in (sw - x - w, sh - y - h))
        try:
            wait_until(read, FRAME_WAIT, "the frame placed")
        except StepFailed:
            if not placed:
                raise
        x, y, w, h = placed
        if x < 0 or y < 0 or x + w > sw or y + h > sh:
            raise StepFailed("%s with its frame lies outside the screen: %d,%d %dx%d on %dx%d"
                             % (what, x, y, w, h, sw, sh))
        gaps = sw - x - w, sh - y - h
        if any(abs(gap - SCREEN_GAP) > 2 for gap in gaps):
            raise StepFailed("%s's frame is %d and %d pixels from the screen's right and bottom edges, not %d"
                             % (what, gaps[0], gaps[1], SCREEN_GAP))

    def dialog_click(self, window, at):
        """A click at `at` of a dialog's client area; negative coordinates count from its right or bottom."""
        _, _, w, h = self.x.geometry(window)
        self.x.click(window, at[0] + w if at[0] < 0 else at[0], at[1] + h if at[1] < 0 else at[1])

    def title(self):
        """The application's title, which a box naming no caption shows: the open database's name
        (the main window's caption names it in brackets), else the product name."""
        bracketed = re.search(r"\[([^]]*)\]", self.x.name(self.main))
        return bracketed.group(1) if bracketed else PRODUCT

    def listed_rows(self):
        """The record list's rows that show a name, counted from the top by their dark pixels."""
        x, y = RECORD_ROW0
        image = self.x.grab_window(self.main, (x - 40, y - 5, 80, ROW_HEIGHT * 40))
        rows = 0
        while image.crop(0, ROW_HEIGHT * rows, 80, 10).dark_columns():
            rows += 1
        return rows

    def drawn(self, window, what, unlike=None):
        """The window's picture once two grabs in a row agree or, given `unlike`, once two grabs in a
        row differ from it (a caret may blink on the new page)."""
        last = [None]

        def settled():
            now = self.x.grab_window(window, raw=True)
            if unlike is None:
                done = now == last[0]
            else:
                done = last[0] is not None and unlike not in (now, last[0])
            last[0] = now
            return done
        wait_until(settled, 10, what, interval=0.3)
        return last[0]

    def drawn_box(self, window, box, what):
        """The part `box` of the window's client area once it shows the same over three grabs in a row
        (a state text follows its job a moment later)."""
        seen = []

        def settled():
            seen.append(self.x.grab_window(window, box).data)
            return len(seen) >= 3 and seen[-1] == seen[-2] == seen[-3]
        wait_until(settled, 10, what, interval=0.3)
        return self.x.grab_window(window, box)

    def detail_page(self, tab, changes=True):
        """A tab of the record editor's detail panel chosen by a click; waited for until its page,
        changed when `changes`, draws the same twice."""
        def page():
            return self.x.grab_window(self.main, DETAIL_PAGE, raw=True)
        before = page()
        self.click(self.main, DETAIL_TABS[tab])
        last = [before]

        def settled():
            now = page()
            done = now == last[0] and (now != before or not changes)
            last[0] = now
            return done
        wait_until(settled, 10, "the detail panel's page %d" % tab, interval=0.3)

    def recipe_items_page(self):
        """The recipe opened afresh from its class, its detail panel on 材料 (the panel keeps the
        page the record before showed)."""
        self.class_tree_path(["Down", "minus", "Down", "Down", "Down"])
        x, y = RECORD_ROW0
        self.x.double_click(self.main, x, y)
        self.idle()
        self.detail_page(0, changes=False)

    def food_id(self):
        return self.record(FOODS[0][1])[0]

    def class_tree_path(self, keys):
        """The class tree, focused by a click, walked with the keys from its first node."""
        self.x.activate(self.main)
        self.click(self.main, CLASS_TREE)
        self.x.key("Home", *keys)
        self.idle()

    # --- steps -----------------------------------------------------------------------------------

    def shown(self):
        self.main = self.x.wait_window(MAIN, timeout=30)
        self.x.activate(self.main)
        # Maximised as a user does it: a double click on the title bar.
        x, y, w, h = self.x.geometry(self.main)
        self.x.move_to(x + w // 2, y - 8)
        self.x.xdotool("click", "--repeat", 2, "--delay", 80, 1)
        wait_until(lambda: self.x.geometry(self.main)[2] == self.x.screen[0], 10, "the maximised window")

    def sample_kitchen(self):
        """The first start opened the sample kitchen: its ingredients are listed, and a recipe's cost
        is the sum of its items, each its use times the used record's price (an ingredient's from its
        buy price, quantity and yield; a recipe's from its own items)."""
        path = os.path.join(self.home, SAMPLE_DB)
        wait_until(lambda: os.path.exists(path), 10, "the sample kitchen's database")
        if self.x.name(self.main) != PRODUCT + " [サンプル]":
            raise StepFailed("the main window is captioned %r, not after the sample" % self.x.name(self.main))
        self.class_tree_path(["Down"])
        wait_until(lambda: self.listed_rows() >= 30, 10, "the sample's ingredients listed")
        con = sqlite3.connect("file:%s?mode=ro" % path, uri=True, timeout=10)
        costed = []   # the recipes worked out, the sub-recipes after the recipe that uses them
        try:
            def cost(name):
                """What the record costs per use unit, worked out from its buy price or its items."""
                food = con.execute('SELECT f."BuyPrice" * 100 / f."Yield" / f."Quantity" FROM "VktDB1F" d '
                                   'JOIN "VktDB1K" f ON f."Food_Key" = d."Data_ID" WHERE d."Data" = ?',
                                   (name,)).fetchall()
                if food:
                    return food[0][0]
                costed.append(name)
                items = con.execute('SELECT u."Data", i."ItemUse", i."ItemUsePrice" FROM "VktDB1O" i '
                                    'JOIN "VktDB1F" d ON d."Data_ID" = i."Item_Key" '
                                    'JOIN "VktDB1F" u ON u."Data_ID" = i."Data_Key" WHERE d."Data" = ?',
                                    (name,)).fetchall()
                (total, complete), = con.execute('SELECT c."TotalPrice", c."Complete" FROM "VktDB1N" c '
                                                 'JOIN "VktDB1F" d ON d."Data_ID" = c."Cook_Key" WHERE d."Data" = ?',
                                                 (name,)).fetchall()
                worked = 0.0
                for used, use, stored in items:
                    price = use * cost(used)
                    if abs(price - stored) > 0.01:
                        raise StepFailed("%s: the item %s costs %.4f, worked out %.4f" % (name, used, stored, price))
                    worked += price
                if not items or abs(total - worked) > 0.01:
                    raise StepFailed("%s costs %.4f, its %d items %.4f" % (name, total, len(items), worked))
                return total / complete
            per_plate = cost(SAMPLE_RECIPE)
        finally:
            con.close()
        if len(costed) < 2:
            raise StepFailed("%s uses no recipe as an item" % SAMPLE_RECIPE)
        print("  %s: %.2f yen a plate, as its items cost" % (SAMPLE_RECIPE, per_plate), flush=True)

    def new_database(self):
        self.menu("alt+f", 0)
        dialog = self.wait_dialog("^データベースを開く$")
        self.x.key("ctrl+a")
        self.x.type(os.path.join(self.home, "kitchen"))
        self.x.key("Return")
        self.x.handled(dialog)                    # on to the name field
        self.x.key("ctrl+a")
        self.x.type("Kitchen")
        self.x.key("Return")
        # The folder does not exist yet: the program offers to make it.
        self.wait_dialog("^エラー確認$")
        self.x.key("Return")
        self.x.wait_gone("^データベースを開く$")
        wait_until(lambda: os.path.exists(self.db), 10, "the database file")

    def write_csv(self):
        # The foods as LibreOffice Calc wrote them in code page 932 (tests/data/csv): text cells
        # unquoted, so the dealer's blank stands bare between commas.
        source = os.path.join(DATA, "csv", "calc-932-foods.csv")
        with open(source, "rb") as f:
            data = f.read()
        lines = ["%s,%s,%s,%d,%d,%d,%s" % (c, n, u, p, q, y, DEALER) for c, n, u, p, q, y in FOODS]
        if data.decode("cp932").splitlines() != lines:
            raise StepFailed("%s does not hold the foods of this test" % source)
        path = os.path.join(self.home, "foods.csv")
        with open(path, "wb") as f:
            f.write(data)
        return path

    def csv_import(self):
        csv = self.write_csv()
        self.menu("alt+t", 1)
        wizard = self.wait_dialog("^データ一括変換ウィザード$")
        page = self.drawn(wizard, "the wizard's start page")
        self.x.key("Return")                      # start page: 進む
        page = self.drawn(wizard, "the wizard's field page", unlike=page)
        # The fields: class, name, buy unit, buy price, quantity, yield, dealer, in the list's rows
        # 0, 2, 5, 6, 7, 8, 9; each marked row chosen with 選択(&S).
        self.x.click(wizard, 101, 300)
        self.x.key("Home")
        row = 0
        for target in (0, 2, 5, 6, 7, 8, 9):
            while row < target:
                self.x.key("Down")
                row += 1
            self.x.key("alt+s")
            self.x.handled(wizard)
        page = self.drawn(wizard, "the wizard's field page with the fields chosen")
        self.x.key("alt+greater")                 # 進む &>>
        self.drawn(wizard, "the wizard's data page", unlike=page)
        # The CSV editor's 読み込み button, at the top of its button column.
        _, _, w, _ = self.x.geometry(wizard)
        self.x.click(wizard, w - 61, 81)
        self.wait_dialog("^開く$")
        self.x.type(csv)
        self.x.key("Return")
        self.x.wait_gone("^開く$")
        self.x.wait_active("^データ一括変換ウィザード$")
        wait_until(lambda: self.x.grab_window(wizard, (CSV_PRICE_CELL[0] - 30, CSV_PRICE_CELL[1] - 6, 60, 12))
                   .dark_columns(), 10, "the read prices in the grid")
        # 文字コード(&E) shows the file's encoding, Shift-JIS; Windows-1252 below it reads the file
        # again with its Japanese garbled, and Shift-JIS again as it was.
        names = (CSV_PRICE_CELL[0] - 348, CSV_PRICE_CELL[1] - 6, 190, 12)   # the first row's class and name
        self.x.key("alt+e")
        self.x.handled(wizard)
        read = self.x.grab_window(wizard, names, raw=True)
        self.x.key("Down")
        wait_until(lambda: self.x.grab_window(wizard, names, raw=True) != read, 10,
                   "the names read again as Windows-1252")
        self.x.key("Up")
        wait_until(lambda: self.x.grab_window(wizard, names, raw=True) == read, 10,
                   "the names read again as Shift-JIS")
        # Two buy prices typed over the read ones, each cell taken up by a click.
        for row, price in enumerate(CSV_TYPED_PRICES):
            self.x.click(wizard, CSV_PRICE_CELL[0], CSV_PRICE_CELL[1] + ROW_HEIGHT * row)
            self.x.handled(wizard)
            self.x.type(price)
            self.x.key("Return")
        self.snap("typed")
        page = self.drawn(wizard, "the wizard's data page with the typed prices")
        self.x.key("alt+greater")                 # to the unknown names
        self.drawn(wizard, "the wizard's page of unknown names", unlike=page)
        for key in ("alt+n", "alt+n", "alt+u", "alt+n", "alt+n", "alt+d", "alt+n"):
            self.x.key(key)
            self.x.handled(wizard)
        page = self.drawn(wizard, "the wizard's page of unknown names answered")
        self.x.key("alt+greater")                 # to the data check
        page = self.drawn(wizard, "the wizard's data check", unlike=page)
        self.x.key("alt+greater")                 # to the start page
        self.drawn(wizard, "the wizard's conversion page", unlike=page)
        self.x.key("space")                       # 変換開始, focused
        self.wait_dialog("^データ一括変換$")
        self.wait_db('SELECT count(*) FROM "VktDB1F"', (), [(len(FOODS),)], "the imported ingredients")
        sql = ('SELECT "BuyPrice" FROM "VktDB1K" JOIN "VktDB1F" ON "Food_Key" = "Data_ID" WHERE "Data" IN (?, ?) '
               'ORDER BY "Data"')
        self.wait_db(sql, (FOODS[0][1], FOODS[1][1]), [(float(p),) for p in CSV_TYPED_PRICES],
                     "the buy prices typed into the grid")
        self.wait_db('SELECT DISTINCT "Company" FROM "VktDB1K" JOIN "VktDB1C" ON "Dealer_Key" = "Dealer_ID"', (),
                     [(DEALER,)], "the dealer read whole from the spreadsheet's file")
        # The wizard below the batch dialog keeps its picture: its tabs, above the dialog, are drawn.
        if self.x.grab_window(wizard, (0, 0, 300, 60)).colours() < 3:
            raise StepFailed("the CSV wizard below the batch dialog is not drawn")

    def csv_close(self):
        self.x.key("Return")                      # the batch dialog's 閉じる
        self.x.wait_gone("^データ一括変換$")
        wizard = self.x.wait_active("^データ一括変換ウィザード$")
        self.x.handled(wizard)
        # The run's end gives the keys to the wizard's 閉じる.
        self.x.key("space")
        self.x.wait_gone("^データ一括変換ウィザード$")
        self.x.wait_active(MAIN)

    def select_all_after_batch(self):
        # Right after the batch dialog and the wizard closed, 編集 → すべて選択 without a click first.
        before = self.status_count()
        self.x.popup("alt+e")
        self.x.key("Return")
        self.wait_changed(before, self.status_count, "すべて選択 to mark the listed records")

    def new_recipe(self):
        # データベース, 食材 (closed with "-"), 料理, ベース, ソース.
        self.class_tree_path(["Down", "minus", "Down", "Down", "Down"])
        self.menu("alt+e", 3)                     # 新規データ作成: the fourth entry enabled
        self.wait_db('SELECT count(*) FROM "VktDB1F"', (), [(len(FOODS) + 1,)], "the new recipe")

    def tab_to_list(self):
        # Tab from the class tree passes the filter view and reaches the record list, where Return
        # marks the current record.
        self.class_tree_path(["Down", "minus", "Down", "Down", "Down"])
        before = self.status_count()
        self.x.key("Tab", "Tab", "Return")
        self.wait_changed(before, self.status_count, "Return in the record list reached by Tab")

    def recipe_name(self):
        x, y = RECORD_ROW0
        self.x.double_click(self.main, x, y)
        self.idle()
        self.click(self.main, NAME_FIELD)
        self.x.key("ctrl+a")
        self.x.paste(RECIPE)
        # Tab leaves the name for the French name and types nothing into either.
        self.x.key("Tab")
        self.x.key("ctrl+a")
        self.x.type(RECIPE_FRENCH)
        self.x.key("Tab")
        self.wait_db('SELECT "Data", "Data2" FROM "VktDB1F" WHERE "Data" LIKE ?', ("%ソース%",),
                     [(RECIPE, RECIPE_FRENCH)], "the recipe's names")

    def fruit_class(self):
        # データベース, 食材 (opened with "+"), its eight classes before 果物類.
        self.class_tree_path(["Down", "plus"] + ["Down"] * 8)

    def row(self, r):
        return RECORD_ROW0[0], RECORD_ROW0[1] + ROW_HEIGHT * r

    def recipe_items(self):
        self.fruit_class()
        self.click(self.main, self.row(0))
        self.x.past_double_click()                # the next click no second one of a pair
        x, y = self.row(2)
        self.x.move(self.main, x, y)
        self.x.xdotool("keydown", "shift")
        self.x.xdotool("click", 1)
        self.x.xdotool("keyup", "shift")
        self.x.handled(self.main)
        self.click(self.main, APPEND_ITEM_BUTTON)
        question = self.wait_dialog(".")
        if self.x.name(question) != "データ一括変換":
            self.x.key("Return")
        self.wait_dialog("^材料追加$")
        recipe = self.record(RECIPE)[0]
        self.wait_db('SELECT count(*) FROM "VktDB1O" WHERE "Item_Key" = ?', (recipe,), [(3,)], "the recipe's items")
        self.x.key("Return")

    def open_food(self):
        self.fruit_class()
        x, y = self.row(0)
        self.x.double_click(self.main, x, y)
        self.idle()

    def food_prices(self):
        food = self.record(FOODS[0][1])[0]
        self.click(self.main, NAME_FIELD)
        # 仏名, 形態, 使用単位, 棚卸し項目, 購入単位, 購入単価.
        for _ in range(6):
            self.x.key("Tab")
        self.x.key("ctrl+a")
        self.x.type("212")
        self.x.key("Tab")                         # applied; on to 内容量
        self.wait_db('SELECT "BuyPrice" FROM "VktDB1K" WHERE "Food_Key" = ?', (food,), [(212.0,)], "the new buy price")
        # 歩留まり showing 100 or less takes no -5: refused, the stored yield stays.
        self.x.key("Tab", "ctrl+a")
        self.x.key("minus")
        self.x.type("5")
        self.x.key("Tab")
        wait_until(lambda: self.x.active() not in (self.main, 0), 10, "the message refusing the yield")
        self.x.key("Return")
        self.x.wait_active(MAIN)
        self.x.handled(self.main)
        self.wait_db('SELECT "Yield" FROM "VktDB1K" WHERE "Food_Key" = ?', (food,), [(float(FOODS[0][5]),)],
                     "the yield after -5 was typed")

    def record_picture(self):
        # The ingredient's イメージ page: a real metafile loaded through the file dialog is stored as
        # it is and drawn, its red rectangle and green ellipse seen in the page's pixels.
        food = self.food_id()
        self.detail_page(2, changes=False)
        self.click(self.main, IMAGE_LOAD_BUTTON)
        self.wait_dialog(".")
        self.x.key("ctrl+a")
        self.x.type(os.path.abspath(PICTURE))
        self.x.key("Return")
        self.x.wait_active(MAIN)
        self.click(self.main, (IMAGE_AREA[0] + 20, IMAGE_AREA[1] + 20))
        self.x.key("ctrl+Return")                 # the picture applied
        with open(PICTURE, "rb") as file:
            bytes_ = file.read()
        self.wait_db('SELECT "Image" = ? FROM "VktDB1I" WHERE "Image_Key" = ?', (bytes_, food), [(1,)],
                     "the picture stored as it was read")

        def near(pixel, colour):
            return all(abs(p - c) < 48 for p, c in zip(pixel, colour))

        def shares():
            area = self.x.grab_window(self.main, IMAGE_AREA)
            pixels = [area.pixel(x, y) for y in range(0, area.height, 2) for x in range(0, area.width, 2)]
            return (sum(near(p, PICTURE_RED) for p in pixels), sum(near(p, PICTURE_GREEN) for p in pixels),
                    len(pixels))
        try:
            wait_until(lambda: min(shares()[:2]) > shares()[2] // 200, 10, "the picture drawn")
        except StepFailed:
            raise StepFailed("the image page shows %d red and %d green pixels of %d" % shares())

    def picture_esc_keeps_bytes(self):
        # On the ingredient's イメージ page a metafile with a damaged header is loaded: kept, its
        # reason said in a box with the program's caption. Then 読み込み → クリア → 読み込み → Esc:
        # neither file dialog applies the pending edit, and Esc brings back the stored bytes exactly.
        food = self.food_id()
        with open(PICTURE, "rb") as file:
            good = file.read()
        damaged = good[:40] + b"XXXX" + good[44:]
        damaged_path = os.path.join(self.home, "damaged.emf")
        with open(damaged_path, "wb") as file:
            file.write(damaged)
        stored = 'SELECT count(*), coalesce(max("Image" = ?), 0) FROM "VktDB1I" WHERE "Image_Key" = ?'

        def other_window(*known):
            return wait_until(lambda: (w := self.x.active()) not in (0, self.main) + known and w, 10,
                              "another window")

        def load(path):
            """The picture file chosen in the file dialog of 読み込み; gives the dialog's window."""
            self.click(self.main, IMAGE_LOAD_BUTTON)
            dialog = other_window()
            self.x.key("ctrl+a")
            self.x.type(os.path.abspath(path))
            self.x.key("Return")
            return dialog

        self.x.activate(self.main)
        self.click(self.main, (IMAGE_AREA[0] + 20, IMAGE_AREA[1] + 20))
        box = other_window(load(damaged_path))
        if self.x.name(box) != self.title():
            raise StepFailed("the metafile's box is captioned %r" % self.x.name(box))
        self.snap("reason")
        self.x.key("Return")
        self.x.wait_active(MAIN)
        self.x.key("ctrl+Return")                 # the kept picture applied
        self.wait_db(stored, (damaged, food), [(1, 1)], "the damaged metafile stored as it was read")

        load(PICTURE)
        self.x.wait_active(MAIN)
        self.click(self.main, IMAGE_DELETE_BUTTON)
        load(PICTURE_OTHER)
        self.x.wait_active(MAIN)
        self.x.handled(self.main)
        if self.query(stored, (damaged, food)) != [(1, 1)]:
            raise StepFailed("a file dialog applied the pending edit: (rows, kept bytes) %r"
                             % self.query(stored, (damaged, food)))
        self.x.key("Escape")
        self.x.handled(self.main)
        self.click(self.main, NAME_FIELD)         # leaving the picture writes nothing
        self.x.handled(self.main)
        self.wait_db(stored, (damaged, food), [(1, 1)], "the kept metafile after Esc and leaving")

    def playing_picture(self):
        # A hostile metafile loaded on the ingredient's イメージ page plays beside the window until
        # its player is killed: a menu opened right after the file dialog's OK shows before the
        # program says why the picture is not drawn, and a frame stands in the picture's place.
        path = os.path.join(self.home, "hostile.emf")
        with open(path, "wb") as file:
            file.write(hostile_picture())
        self.detail_page(2, changes=False)
        self.click(self.main, IMAGE_LOAD_BUTTON)
        self.wait_dialog(".")
        self.x.key("ctrl+a")
        self.x.type(path)
        self.x.key("Return")
        self.x.wait_active(MAIN)
        shown = set(self.x.find_class("vektara"))
        began = time.monotonic()
        self.x.key("alt+f")

        def menu():
            # The menu: a window of the program's more, the main window still the active one.
            if self.x.active() != self.main:
                raise StepFailed("the program spoke before the menu opened: it waited for the picture")
            return bool(set(self.x.find_class("vektara")) - shown)
        wait_until(menu, 5, "the file menu while the picture plays", interval=0.02)
        print("    menu shown %.2f s after Alt+F" % (time.monotonic() - began), flush=True)
        self.x.key("Escape")
        wait_until(lambda: self.x.active() not in (self.main, 0), 10, "the message that the picture is not drawn")
        self.x.key("Return")
        self.x.wait_active(MAIN)

        def frame():
            area = self.x.grab_window(self.main, IMAGE_AREA)
            colours = {area.pixel(x, y) for y in range(0, area.height, 2) for x in range(0, area.width, 2)}
            return len(area.dark_columns()) > 20 and not any(p[0] > 150 and p[1] < 100 for p in colours)
        wait_until(frame, 10, "a frame in the picture's place")

    def recipe_item_bar(self):
        # The recipe opened afresh: its item tool bar works at once, the first item moved down.
        self.recipe_items_page()
        recipe = self.record(RECIPE)[0]
        first = self.record(FOODS[0][1])[0]
        sql = 'SELECT "ItemIndex" FROM "VktDB1O" WHERE "Item_Key" = ? AND "Data_Key" = ?'
        (index,), = self.query(sql, (recipe, first))
        self.click(self.main, ITEM_DOWN_BUTTON)
        self.wait_db(sql, (recipe, first), [(index + 1,)], "the first item moved down")

    def stock_sheet(self):
        self.class_tree_path(["Down"])            # 食材: the sheet lists its ingredients
        self.menu("alt+t", 2)                     # 棚卸し表作成...
        wizard = self.wait_dialog("^棚卸し表作成ウィザード$")
        page = self.drawn(wizard, "the wizard's first page")
        self.x.key("alt+greater")
        self.drawn(wizard, "the wizard's form page", unlike=page)
        self.x.click(wizard, 519, 199)            # 作成, right of the page's fixed form
        batch = wait_until(lambda: (w := self.x.active()) not in (wizard, self.main, 0) and w, 10,
                           "the batch dialog")
        self.wait_db('SELECT count(*) > 0 FROM "VktDB1Q"', (), [(1,)], "the stock-taking entries")
        self.drawn(batch, "the batch dialog at its end")
        self.x.key("Return")                      # the batch dialog's 閉じる
        self.x.wait_active("^棚卸し表作成ウィザード$")
        self.drawn(wizard, "the wizard after the batch")
        self.x.click(wizard, 325, 296)            # 閉じる, in the wizard's button row
        self.x.wait_gone("^棚卸し表作成ウィザード$")
        self.x.wait_active(MAIN)
        # 表示 → 棚卸し表示: the new sheet is listed at once, its first row holding text.
        self.menu("alt+v", 2)
        x, y = RECORD_ROW0
        wait_until(lambda: len(self.x.grab_window(self.main, (x - 250, y - 8, 600, 16)).dark_columns()) > 20, 10,
                   "the new stock-taking sheet's rows")
        self.idle()
        self.menu("alt+v", 2)                     # back to the record list

    def print_preview_to_pdf(self, pdf, at_end=None):
        """表示 → 印刷プレビュー, then ファイル → プリントアウト... to the PDF printer, its file typed,
        all by keys; `at_end(dialog)` looks at the print dialog at the print's end. Returns the PDF's text."""
        self.menu("alt+v", 3)                     # 印刷プレビュー
        self.idle()
        self.menu("alt+f", 4)                     # プリントアウト...
        self.wait_dialog("^印刷")
        self.x.key("Return")                      # 印刷, focused
        self.wait_dialog(".")
        self.x.key("ctrl+a")
        self.x.type(pdf)
        self.x.key("Return")
        wait_until(lambda: os.path.exists(pdf) and os.path.getsize(pdf) > 1000, 20, "the PDF file")
        dialog = self.x.wait_active("^印刷")
        wait_until(lambda: subprocess.run(["pdfinfo", pdf], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                          timeout=30).returncode == 0, 20, "the PDF file complete")
        self.x.handled(dialog)
        if at_end:
            at_end(dialog)
        self.x.key("Escape")
        self.x.wait_gone("^印刷")
        return subprocess.run(["pdftotext", "-layout", pdf, "-"], stdout=subprocess.PIPE, timeout=30).stdout.decode()

    def print_food_list(self):
        self.class_tree_path(["Down"])

        def ended(dialog):
            self.print_ended = self.drawn_box(dialog, PRINT_STATE, "the print dialog's state at the print's end")
        text = self.print_preview_to_pdf(os.path.join(self.home, "foodlist.pdf"), ended)
        for _, name, unit, *_ in FOODS:
            if name not in text:
                raise StepFailed("%s is not on the printed food list:\n%s" % (name, text))
        if "食材リスト" not in text:
            raise StepFailed("the printed food list has no title:\n" + text)
        self.print_stopped()
        self.menu("alt+v", 3)                     # back to the record list

    def print_stopped(self):
        # A picture that keeps its player busy until it is killed, pasted onto the layout as an
        # image item on page 2 (never shown, so never played before): printed to a PDF, キャンセル as
        # soon as the file is chosen, then OK on the question, stops the run while page 2 waits:
        # nothing of the job is written, and the dialog no longer says 印刷終了.
        data = bytearray(hostile_picture())
        struct.pack_into("<i", data, 144, 2)      # the first rectangle's right edge: bytes of its own
        item = ('<?xml version="1.0" encoding="Shift_JIS"?>\n<PageObject><Item Name="Slow" Align="None" '
                'BoundRect="100,100,300,200" MMBoundRect="2540,2540,7620,5080" MarginRect="0,0,0,0" '
                'MMMarginRect="0,0,0,0" Options="0,1,2" DrawPageType="2,2" Container="Image" DrawType="2" '
                'Trimming="False" Transparent="False" ColCount="1" RowCount="1" DrawName="False" '
                'HorzAlign="Left" VertAlign="Top" ImageData="&quot;%s,slow.emf&quot;"/></PageObject>'
                % base64.b64encode(bytes(data)).decode())
        self.x.set_clipboard(item, "-QL-PageViewObject")
        tree, height, nodes = self.item_tree()
        self.x.key("Home")                        # the page
        self.idle()
        alone = nodes()
        self.x.key("ctrl+v")
        self.wait_changed(alone, nodes, "the pasted image item in the item tree")
        pdf = os.path.join(self.home, "stopped.pdf")
        self.menu("alt+f", 4)                     # プリントアウト...
        dialog = self.wait_dialog("^印刷")
        self.x.key("Return")                      # 印刷
        self.wait_dialog(".")
        self.x.key("ctrl+a")
        self.x.type(pdf)
        self.x.key("Return")
        self.x.wait_active("^印刷")
        self.dialog_click(dialog, PRINT_CANCEL)   # キャンセル while page 2 waits for its picture
        wait_until(lambda: self.x.active() not in (dialog, self.main, 0), 10, "the question whether to stop")
        self.x.key("shift+Tab", "space")          # OK (キャンセル is the default)
        self.x.wait_active("^印刷")
        self.x.handled(dialog)
        self.drawn_box(dialog, PRINT_STATE, "the print dialog's state after the stop")
        self.snap("stopped")
        if self.x.grab_window(dialog, PRINT_STATE).data == self.print_ended.data:
            raise StepFailed("the stopped print says 印刷終了")
        written = lambda: [name for name in os.listdir(self.home) if name.startswith("stopped")]
        wait_until(lambda: not written(), 10, "nothing of the stopped print left (%s)" % written())
        self.x.key("Escape")
        self.x.wait_gone("^印刷")
        self.click(self.main, tree)
        self.x.key("Home", "Down", "Down", "Delete")    # the pasted item
        wait_until(lambda: nodes().data == alone.data, 5, "the item tree as it was before the paste")
        self.click(self.main, PROPERTY_AREA_BUTTON)

    def layout_item_tree(self):
        # In the layout view, with its property area (印刷プレビューの設定) and its own tool bar (表示 →
        # レイアウトのツールバー) shown: in the item tree, the food list's data list copied and
        # pasted is refused with a message, and Delete on it says why, the tree unchanged; a text
        # added from the tool bar, copied, pasted into itself and both deleted by keys leaves the
        # tree as it was.
        self.menu("alt+v", 3)                     # 印刷プレビュー
        self.idle()
        tree, height, nodes = self.item_tree()
        self.x.key("Home", "Down")                # the data list, below プリンターと用紙
        self.idle()
        alone = nodes()

        def said(what):
            wait_until(lambda: self.x.active() not in (self.main, 0), 5, "the message " + what)
            self.x.key("Return")
            self.x.wait_active(MAIN)
        self.x.key("ctrl+c", "ctrl+v")
        said("that the data list is not pasted")
        self.x.key("Delete")
        said("that the data list is not deleted")
        self.idle()
        if nodes().data != alone.data:
            raise StepFailed("the item tree changed after the refused paste and delete")
        self.menu("alt+v", 5)                     # レイアウトのツールバー
        self.idle()
        self.click(self.main, TEXT_BUTTON)        # a text in the data list, picked
        self.wait_changed(alone, nodes, "the text's node in the item tree")
        with_text = nodes()
        self.x.key("ctrl+c", "ctrl+v")            # its copy nested in it
        self.wait_changed(with_text, nodes, "the pasted copy's node in the item tree")
        self.snap("pasted")
        self.x.key("Down", "Delete")              # the copy
        self.x.key("Home", "Down", "Down", "Delete")   # the text
        self.x.key("Home", "Down")
        wait_until(lambda: nodes().data == alone.data, 5, "the item tree as it was before the text")
        self.grid_column_width(tree, height)
        self.click(self.main, tree)
        self.x.key("Home", "Down", "Down", "Delete")    # the grid
        self.x.key("Home", "Down")
        wait_until(lambda: nodes().data == alone.data, 5, "the item tree as it was before the grid")
        self.menu("alt+v", 5)
        self.click(self.main, PROPERTY_AREA_BUTTON)
        self.menu("alt+v", 3)                     # back to the record list

    def grid_column_width(self, tree, height):
        # A grid added to the page, two columns on its グリッド tab: column 2 chosen in the small grid,
        # 列幅 clicked, 20mm typed and Enter: the grid on the page keeps column 1 at its 30 mm and
        # shows column 2 at 20 mm.
        self.click(self.main, tree)
        self.x.key("Home")                        # the page: the grid goes onto it
        self.click(self.main, GRID_BUTTON)
        self.idle()
        self.click(self.main, (GRID_TAB[0], height - GRID_TAB[1]))
        self.idle()

        def wheel(button):
            self.x.move(self.main, GRID_PANEL_WHEEL[0], height - GRID_PANEL_WHEEL[1])
            self.x.xdotool("click", "--repeat", 5, "--delay", 80, button)
            self.idle()
        wheel(5)                                  # down to 列数 and 列幅
        self.click(self.main, (GRID_COLUMNS[0], height - GRID_COLUMNS[1]))
        self.x.key("ctrl+a")
        self.x.type("2")
        self.x.key("Return")
        self.idle()
        wheel(4)
        self.click(self.main, (GRID_CELL2[0], height - GRID_CELL2[1]))
        self.idle()
        wheel(5)
        self.click(self.main, (GRID_WIDTH[0], height - GRID_WIDTH[1]))
        self.x.key("ctrl+a")
        self.x.type("20mm")
        self.x.key("Return")

        def widths():
            # The grid's vertical lines in its title row at 171 %: 30 mm is 194 pixels, 20 mm 130.
            lines = sorted(self.x.grab_window(self.main, GRID_TITLE_ROW).dark_columns())
            starts = [x for i, x in enumerate(lines) if i == 0 or x > lines[i - 1] + 1]
            return [b - a for a, b in zip(starts, starts[1:])][:2]
        try:
            wait_until(lambda: len(widths()) == 2 and widths()[0] > 170 and 100 < widths()[1] < 160, 5,
                       "column 1 at 30 mm and column 2 at 20 mm")
        except Exception:
            raise StepFailed("the grid's columns after 20mm typed for column 2: %s pixels" % widths())
        self.snap("grid-width")

    def month_price_editor(self):
        # 履歴チャート → 月間履歴 → 使用単価編集: the month's days and prices show beside the chart.
        self.detail_page(4)

        # The editor's day texts begin at the area's left edge; the chart's value labels, right-aligned
        # to its plot, lie right of the first DAY_TEXT_START columns.
        def day_columns():
            return self.x.grab_window(self.main, MONTH_EDITOR_AREA).dark_columns()
        if any(c < DAY_TEXT_START for c in day_columns()):
            raise StepFailed("the month-price editor's days show before the editor was asked for")
        self.click(self.main, MONTH_EDIT_BUTTON)
        wait_until(lambda: len(day_columns()) >= 20 and any(c < DAY_TEXT_START for c in day_columns()), 10,
                   "the month-price editor's days beside the chart")
        # A price typed for the month's first day (a past day only: today's is the price chain's).
        today = datetime.date.today()
        if today.day == 1:
            print("    (the first of the month: no past day to type a price for)")
            return
        self.click(self.main, MONTH_FIRST_PRICE)
        self.x.type("100")
        self.x.key("Return")
        self.wait_db('SELECT "MHistoryPrice" FROM "VktDB1L" WHERE "MHistory_Key" = ? AND "MHistoryDate" = ?',
                     (self.food_id(), today.replace(day=1).isoformat()), [(100.0,)], "the first day's typed price")

    def use_unit_wizard(self):
        # The ingredient's use unit changed in the editor: the wizard's second page has the focus on
        # 倍率, its value selected, so the rate typed at once converts the past prices.
        food = self.food_id()
        (old_unit,), = self.query('SELECT "UseUnit_Key" FROM "VktDB1F" WHERE "Data_ID" = ?', (food,))
        self.click(self.main, NAME_FIELD)
        self.x.key("Tab", "Tab", "Tab")           # 仏名, 形態, 使用単位
        self.x.key("Down", "Tab")                 # the next unit (袋 after 箱); leaving the field applies it
        wizard = self.wait_dialog("^使用単位の変更ウィザード$")
        start = self.drawn(wizard, "the wizard's start page")
        self.x.key("Return")                      # 進む
        self.drawn(wizard, "the wizard's second page", unlike=start)
        self.snap("rate")
        self.x.type("2")
        self.x.key("Return")                      # 実行
        self.x.wait_gone("^使用単位の変更ウィザード$")
        (bag,), = self.query('SELECT "Units_ID" FROM "VktDB1B" WHERE "Units" = ? AND "UnitsType" = 1', ("袋",))
        if old_unit == bag:
            raise StepFailed("the ingredient's use unit was 袋 already")
        self.wait_db('SELECT "UseUnit_Key" FROM "VktDB1F" WHERE "Data_ID" = ?', (food,), [(bag,)], "the new use unit")
        first = datetime.date.today().replace(day=1)
        if first != datetime.date.today():
            self.wait_db('SELECT "MHistoryPrice", "MHistoryUnit_Key" FROM "VktDB1L" WHERE "MHistory_Key" = ? AND '
                         '"MHistoryDate" = ?', (food, first.isoformat()), [(200.0, bag)],
                         "the first day's price converted at the typed rate")
        self.x.wait_active(MAIN)

    def recipe_reprice(self):
        # テスト食材01's price changed after it became an item of the recipe: 現在の価格 from the
        # price menu of the item tool bar gives the item the ingredient's use price.
        recipe, food = self.record(RECIPE)[0], self.food_id()
        sql = 'SELECT round("ItemPrice", 4) FROM "VktDB1O" WHERE "Item_Key" = ? AND "Data_Key" = ?'
        (price,), = self.query('SELECT round("UsePrice", 4) FROM "VktDB1F" WHERE "Data_ID" = ?', (food,))
        if self.query(sql, (recipe, food)) == [(price,)]:
            raise StepFailed("the item had the ingredient's price before it was repriced")
        shown = set(self.x.find_class("."))
        self.click(self.main, REPRICE_BUTTON)
        wait_until(lambda: set(self.x.find_class(".")) - shown, 10, "the price menu")
        self.x.key("Down", "Return")              # 現在の価格, the menu's first entry
        self.wait_db(sql, (recipe, food), [(price,)], "the item repriced at the ingredient's use price")

    def recipe_item_use(self):
        # In the recipe's item grid, a click on the current row's 使用量 cell and a number typed at
        # once: the number goes into that cell, not into another row whose use starts alike.
        self.recipe_items_page()
        recipe = self.record(RECIPE)[0]
        sql = 'SELECT "Data_Key", "ItemUse" FROM "VktDB1O" WHERE "Item_Key" = ? ORDER BY "ItemIndex"'
        items = self.query(sql, (recipe,))
        if len(items) < 2:
            raise StepFailed("the recipe has %d items, two or more wanted" % len(items))
        # Typed into the first row; the second row's use shows the same first digit.
        lead = str(int(items[1][1]))[0]
        typed = lead + "5" if lead != "0" else "0.5"
        self.click(self.main, ITEM_ROW0_NAME)     # the row made current on another cell
        self.x.handled(self.main)
        self.click(self.main, ITEM_ROW0_USE)      # its use cell made current
        self.x.handled(self.main)
        self.x.past_double_click()
        self.click(self.main, ITEM_ROW0_USE)      # clicked again, typed into at once
        self.x.type(typed)
        self.x.key("Return")
        expected = [(items[0][0], float(typed))] + items[1:]
        self.wait_db(sql, (recipe,), expected, "the typed use in the clicked row only")

    def memo_size(self):
        # A memo line pasted on the recipe's メモ page, selected and set to 16 pt in the size field.
        recipe = self.record(RECIPE)[0]
        self.detail_page(1)
        self.click(self.main, MEMO_TEXT)
        self.x.paste(MEMO)
        self.x.key("ctrl+a")
        self.click(self.main, MEMO_SIZE)
        self.x.key("ctrl+a")
        self.x.type("16")
        self.x.key("Return")
        self.x.key("ctrl+Return")                 # the memo applied
        # The text in code page 932 as the RTF writer escapes it, in a run of 32 half-points.
        text = "".join("\\'%02X" % b for b in MEMO.encode("cp932")).encode()
        run = re.compile(rb"\\fs32 [^}]*" + re.escape(text))

        def stored():
            rows = self.query('SELECT "Memo" FROM "VktDB1H" WHERE "Memo_Key" = ?', (recipe,))
            memo = rows[0][0] if rows else b""
            return memo if isinstance(memo, bytes) else memo.encode()
        try:
            wait_until(lambda: run.search(stored()), 10, "the memo stored")
        except StepFailed:
            raise StepFailed("the memo has no 16 pt run of the line typed: %r" % (stored(),))
        # Lines enough to scroll added at the end and applied; three wheel notches up over the text,
        # then a click on the bar's groove above its slider, each moving the text.
        self.click(self.main, MEMO_TEXT)
        self.x.key("ctrl+End", "Return")
        self.x.paste("\n".join("%d行目: 玉ねぎを弱火で炒める。" % i for i in range(1, 31)))
        self.x.key("ctrl+Return")
        line = "".join("\\'%02X" % b for b in "行目".encode("cp932")).encode()
        wait_until(lambda: stored().count(line) == 30, 10, "the memo's added lines stored")
        memo = lambda: self.x.grab_window(self.main, MEMO_PAGE)
        self.x.move(self.main, *MEMO_TEXT)
        before = memo()
        for _ in range(3):
            self.x.xdotool("click", "4")
        self.wait_changed(before, memo, "the memo scrolled by the wheel")
        before = memo()
        self.click(self.main, MEMO_BAR_GROOVE)
        self.wait_changed(before, memo, "the memo paged up by a click on its bar")
        self.snap("scrolled")
        # A Mac's recipe (paragraphs ended by a backslash before the line end, code page 1252) pasted as
        # RTF after a line: its lines stay lines, and its heading keeps its 16 pt and its accents.
        with open(os.path.join(DATA, "rtf", "textedit-recipe.rtf"), encoding="ascii") as f:
            recipe_rtf = f.read()
        self.click(self.main, MEMO_TEXT)
        self.x.key("ctrl+End", "Return")
        self.x.set_clipboard(recipe_rtf, "text/rtf")
        self.x.key("ctrl+v")
        self.x.key("ctrl+Return")
        wait_until(lambda: b"bake low" in stored(), 10, "the pasted recipe stored")
        memo = stored()
        heading = rb"\\fs32[^ }]* Cr\}\{[^}]*\\fs32[^ }]* \\'E8\}\{[^}]*\\fs32[^ }]* me br"
        for what, pattern in (("its heading at 16 pt", heading),
                              ("its line A/B/C", rb" A/B/C\}\\par\}"),
                              ("its line of sugar", rb" sugar 100 g\}\\par\}")):
            if not re.search(pattern, memo):
                at = memo.find(b"bake low")
                raise StepFailed("the pasted recipe lost %s: %r" % (what, memo[max(0, at - 2500):at + 100]))

    def master_data(self):
        # ツール → データベースの詳細編集...: the dialog lies wholly on the screen at its bottom
        # right. On its ユーザーフィルター page a new filter is named and given 使用単価 200 以上.
        self.menu("alt+t", 0)
        dialog = self.wait_dialog("^データベースの詳細$")
        self.placed_bottom_right(dialog, "データベースの詳細")
        # On 分類 a class is moved down with its sub-tree (下に移動, Alt+B) and back up (上に移動, Alt+T).
        page = self.drawn(dialog, "the master-data dialog's first page")
        self.dialog_click(dialog, OTHER_CLASS_TAB)
        self.drawn(dialog, "the class page", unlike=page)
        self.dialog_click(dialog, OTHER_CLASS_ROW)
        self.x.handled(dialog)
        classes = 'SELECT Class_ID, TreeID FROM "VktDB1A" ORDER BY Class_ID'
        before = self.query(classes)
        self.x.key("alt+b")
        wait_until(lambda: self.query(classes) != before, 10, "the class moved down")
        self.snap("class-moved")
        self.x.key("alt+t")
        wait_until(lambda: self.query(classes) == before, 10, "the class moved back up")
        page = self.drawn(dialog, "the class page with the class moved back")
        self.dialog_click(dialog, OTHER_FILTER_TAB)
        page = self.drawn(dialog, "the user-filter page", unlike=page)
        self.x.key("alt+n")                       # 新規作成
        self.drawn(dialog, "the new filter listed", unlike=page)
        self.x.double_click(dialog, *OTHER_FILTER_NAME)
        self.x.handled(dialog)
        self.x.key("ctrl+a")
        self.x.paste(USER_FILTER)
        self.x.key("Return")
        self.dialog_click(dialog, OTHER_USE_PRICE_FIELD)
        self.x.key("alt+e")                       # フィルター編集
        self.wait_dialog("^フィルター編集$")
        self.x.key("ctrl+a")
        self.x.type(str(USER_FILTER_PRICE))
        self.x.key("Tab", "Down", "Down")         # 以上
        self.x.key("Return")
        self.x.wait_gone("^フィルター編集$")
        self.x.wait_active("^データベースの詳細$")
        self.dialog_click(dialog, OTHER_FILTER_SET)

        def stored():
            rows = self.query('SELECT * FROM "VktDB1R"')
            return any('Name="%s"' % USER_FILTER in str(r) and 'Begin="%d"' % USER_FILTER_PRICE in str(r)
                       for r in rows)
        wait_until(stored, 10, "the user filter stored")
        self.snap("filter")
        self.dialog_click(dialog, OTHER_CLOSE)
        self.x.wait_gone("^データベースの詳細$")
        self.x.wait_active(MAIN)

    def field_select(self):
        # 表示 → 詳細表示の設定...: the field select dialog lies wholly on the screen at its bottom right.
        self.menu("alt+v", 4)
        dialog = self.wait_dialog("^詳細表示の設定$")
        self.placed_bottom_right(dialog, "詳細表示の設定")
        self.snap("shown")
        self.x.key("Escape")
        self.x.wait_gone("^詳細表示の設定$")
        self.x.wait_active(MAIN)

    def user_filter(self):
        # 食材 listed; a click on the user filter's image in the filter tree chooses it, a second one
        # lets it go.
        self.class_tree_path(["Down"])
        all_rows = len(FOODS)
        wait_until(lambda: self.listed_rows() == all_rows, 10, "the %d ingredients listed" % all_rows)
        before = self.status_count()
        (chosen,), = self.query('SELECT count(*) FROM "VktDB1F" WHERE "UsePrice" >= ?', (USER_FILTER_PRICE,))
        self.click(self.main, FILTER_NODE_IMAGE)
        try:
            wait_until(lambda: self.listed_rows() == chosen, 10,
                       "the %d ingredients of %d yen or more" % (chosen, USER_FILTER_PRICE))
        except StepFailed:
            raise StepFailed("%d rows listed after the filter's image was clicked, expected %d"
                             % (self.listed_rows(), chosen))
        self.wait_changed(before, self.status_count, "the status bar's count to follow the filter")
        self.snap("on")
        self.x.past_double_click()                # a second click of its own, not a double click
        self.click(self.main, FILTER_NODE_IMAGE)
        wait_until(lambda: self.listed_rows() == all_rows, 10, "the ingredients listed again without the filter")

    def trash(self):
        # The last ingredient marked, then two that the recipe uses (Ctrl+clicks), and put into the
        # trash with the Delete key: the status bar's count (marked/listed) follows each at once. The
        # two in use stay where they are; the box naming them opens above the batch dialog, active,
        # and is answered by key.
        recipe = self.record(RECIPE)[0]
        used = self.query('SELECT DISTINCT "Data" FROM "VktDB1O" JOIN "VktDB1F" ON "Data_ID" = "Data_Key" '
                          'WHERE "Item_Key" = ? ORDER BY "Data" LIMIT 2', (recipe,))
        names = [food[1] for food in FOODS]
        unmarked = self.status_count()
        self.click(self.main, self.row(len(FOODS) - 1))
        self.wait_changed(unmarked, self.status_count, "the status bar's count after the click marked a record",
                          timeout=3)
        for name, in used:
            before = self.status_count()
            self.x.move(self.main, *self.row(names.index(name)))
            self.x.xdotool("keydown", "ctrl")
            self.x.xdotool("click", 1)
            self.x.xdotool("keyup", "ctrl")
            self.wait_changed(before, self.status_count, "the status bar's count after %s was marked" % name,
                              timeout=3)
        marked = self.status_count()
        self.x.key("Delete")
        self.wait_dialog("^確認$")
        self.x.key("Return")                      # はい
        batch = self.x.wait_window("^データ削除$")
        box = wait_until(lambda: (w := self.x.active()) not in (0, self.main, batch) and w, 10,
                         "the box naming the records kept")
        if self.x.name(box) != self.title():
            raise StepFailed("the box naming the records kept is captioned %r" % self.x.name(box))
        stack = self.x.stacking()
        if box not in stack or batch not in stack or stack.index(box) < stack.index(batch):
            raise StepFailed("the box naming the records kept lies under the batch dialog (stack %r, box %d, "
                             "batch dialog %d)" % (stack, box, batch))
        self.snap("kept")
        self.x.key("Return")                      # OK of the box
        wait_until(lambda: box not in self.x.find("."), 10, "the box to close")
        self.wait_db('SELECT count(*) FROM "VktDB1G"', (), [(1,)], "the one record not in use in the trash")
        wait_until(lambda: self.status_count().data not in (unmarked.data, marked.data), 3,
                   "the status bar's count after the delete")
        self.x.wait_active("^データ削除$")
        self.x.key("Return")                      # the batch dialog's 閉じる
        self.x.wait_gone("^データ削除$")
        self.x.wait_active(MAIN)
        wait_until(lambda: self.listed_rows() == len(FOODS) - 1, 10, "the ingredients left in the list")

    def read_only_database(self):
        """The kitchen's database, copied into a folder the program's user may not write (root's
        folder for nobody, or a folder without write permission), is registered and opened: the
        program says at the open that it opens it read-only and why, and lists its records; the Delete key asks nothing, the record editor's name takes no text, and the
        file stays as it was."""
        root = tempfile.mkdtemp(prefix="vkt-readonly-")
        self.folders.append(root)
        os.chmod(root, 0o755)
        folder = os.path.join(root, "kitchen")
        os.makedirs(folder)
        db = os.path.join(folder, "vektara.db")
        shutil.copyfile(self.db, db)        # the program has closed it: no -wal or -shm to take along
        home = os.path.join(root, "home")
        os.makedirs(home)
        if os.geteuid() == 0:
            # Started from a copy of its files under the root, which that user may enter: the
            # checkout may lie where it may not (a clone under /root or in a folder of mode 0700).
            program = self.copy_program(os.path.join(root, "prefix"))
            command = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", program]
            owner = 65534
            if subprocess.run(command[:-1] + ["test", "-x", program]).returncode != 0:
                raise StepFailed("user 65534 cannot run %s: a folder above it is closed to that user" % program)
        else:
            command, owner = [self.program], None
        os.chmod(db, 0o444)
        os.chmod(folder, 0o555)
        with open(db, "rb") as f:
            stored = f.read()
        self.app = self.launch(command, home, owner)
        self.shown()
        self.menu("alt+f", 1)                     # データベース登録...
        dialog = self.wait_dialog("^データベースを開く$")
        self.x.key("ctrl+a")
        self.x.type(folder)
        self.x.key("Return")
        self.x.handled(dialog)                    # on to the name field
        self.x.key("ctrl+a")
        self.x.type("ReadOnly")
        self.x.key("Return")
        self.x.wait_gone("^データベースを開く$")
        self.wait_dialog("^確認$")
        self.snap("told")
        self.x.key("Return")
        self.x.wait_gone("^確認$")
        self.x.wait_active(MAIN)
        self.class_tree_path(["Down"])
        left = len(FOODS) - 1                 # one went into the trash
        wait_until(lambda: self.listed_rows() == left, 10, "the %d ingredients listed" % left)
        self.click(self.main, self.row(0))
        self.x.handled(self.main)
        self.x.key("Delete")
        # A box asked for is made while the key is handled; it may not be mapped yet, so windows
        # not shown count too.
        self.x.handled(self.main)
        if self.x.find("^確認$") or self.x.xdotool("search", "--name", "^確認$", check=False).split():
            raise StepFailed("the Delete key asked to put a record of the read-only database into the trash")
        x, y = RECORD_ROW0
        self.x.double_click(self.main, x, y)
        self.idle()
        name = (NAME_FIELD[0] - 60, NAME_FIELD[1] - 8, 200, 16)
        shown = self.x.grab_window(self.main, name)
        self.click(self.main, NAME_FIELD)
        self.x.key("End")
        self.x.type("X")
        self.x.key("Tab")
        self.idle()
        if self.x.grab_window(self.main, name).data != shown.data:
            raise StepFailed("the record editor's name took text in the read-only database")
        with open(db, "rb") as f:
            if f.read() != stored:
                raise StepFailed("the read-only database's file changed")

    def copy_program(self, folder):
        """The program with its player and shipped files (bin/, lib/vektara/, share/vektara/ of its
        prefix) copied into `folder`, readable by every user; the copy of the program."""
        prefix = os.path.dirname(os.path.dirname(self.program))
        for part in ("bin", "lib/vektara", "share/vektara"):
            shutil.copytree(os.path.join(prefix, part), os.path.join(folder, part), copy_function=shutil.copyfile)
        for path, dirs, files in os.walk(folder):
            os.chmod(path, 0o755)
            for name in files:
                full = os.path.join(path, name)
                executable = os.access(os.path.join(prefix, os.path.relpath(full, folder)), os.X_OK)
                os.chmod(full, 0o755 if executable else 0o644)
        return os.path.join(folder, "bin", os.path.basename(self.program))

    def steps(self):
        return [("start", self.shown), ("sample-kitchen", self.sample_kitchen), ("new-database", self.new_database), ("csv-import", self.csv_import),
                ("csv-close", self.csv_close), ("select-all-after-batch", self.select_all_after_batch),
                ("new-recipe", self.new_recipe), ("tab-to-list", self.tab_to_list),
                ("recipe-name", self.recipe_name), ("recipe-items", self.recipe_items),
                ("open-food", self.open_food), ("month-price-editor", self.month_price_editor),
                ("use-unit-wizard", self.use_unit_wizard), ("food-prices", self.food_prices),
                ("playing-picture", self.playing_picture), ("record-picture", self.record_picture),
                ("picture-esc-keeps-bytes", self.picture_esc_keeps_bytes),
                ("recipe-item-bar", self.recipe_item_bar), ("recipe-reprice", self.recipe_reprice),
                ("recipe-item-use", self.recipe_item_use),
                ("memo-size", self.memo_size), ("stock-sheet", self.stock_sheet),
                ("print-food-list", self.print_food_list), ("layout-item-tree", self.layout_item_tree),
                ("master-data", self.master_data),
                ("field-select", self.field_select), ("user-filter", self.user_filter), ("trash", self.trash)]

    def run(self, keep_going=False):
        failed = []
        for name, act in self.steps():
            try:
                self.step(name, act)
            except StepFailed as error:
                if not keep_going or self.app.poll() is not None:
                    raise
                print("FAILED: %s" % error, flush=True)
                failed.append(name)
                # Open windows closed as a user would (Escape, then the window manager's Alt+F4),
                # then on with the next step.
                for key in ("Escape", "Escape", "alt+F4", "alt+F4", "Escape"):
                    if self.x.active() == self.main:
                        break
                    self.x.key(key)
                    self.x.handled(self.main)
                    try:
                        wait_until(lambda: self.x.active() == self.main, 2, "the main window active")
                    except StepFailed:
                        pass
        if failed:
            raise StepFailed("steps failed: " + ", ".join(failed))
        self.close_program()
        # The program again, as a user who may not write the database's folder.
        self.step("read-only-database", self.read_only_database)
        self.close_program()

    def close_program(self):
        """The main window closed as a user closes it (Alt+F4 to the window manager); prints the time
        from the close request to the process's end."""
        self.x.activate(self.main)
        began = time.monotonic()
        self.x.xdotool("key", "--clearmodifiers", "alt+F4")
        try:
            code = self.app.wait(10)
        except subprocess.TimeoutExpired:
            raise StepFailed("the program did not end within 10 s of the close request")
        elapsed = time.monotonic() - began
        if code != 0:
            raise StepFailed("the program ended with exit code %d after the close request" % code)
        print("close: %.2f s from the close request to the program's end" % elapsed, flush=True)


def main(session_class=UserSession, what="user session", usage=__doc__):
    args = sys.argv[1:]
    keep_going = "--keep-going" in args
    args = [a for a in args if a != "--keep-going"]
    if len(args) != 2:
        print(usage)
        return 2
    for tool in ("Xvfb", "openbox", "xdotool", "xclip", "xwininfo", "xprop", "pdftotext"):
        if not shutil.which(tool):
            print("missing tool: " + tool)
            return 1
    session = session_class(os.path.abspath(args[0]), os.path.abspath(args[1]))
    began = time.monotonic()
    try:
        session.start()
        session.run(keep_going)
    except StepFailed as error:
        print("FAILED: %s" % error, flush=True)
        return 1
    finally:
        session.close()
    elapsed = time.monotonic() - began
    # A hang is bounded by each step's alarm and the test's timeout; the whole run's time moves
    # with the machine's load, and is only reported.
    print("%s passed in %.0f s" % (what, elapsed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
