#!/usr/bin/env python3
"""A cook's road by the keyboard alone, in the built program under Xvfb and openbox.

From the first start, in the sample kitchen it opens, every step is taken by xdotool's keys only
(Japanese text pasted with Ctrl+V), never a click nor a window activated from outside: a sauce given
an ingredient through 編集 → 材料追加, the ingredient's buy price typed in the record editor, a memo
written on its メモ page and left by Ctrl+Tab, a CSV file imported through the wizard, and the food
list printed to a PDF file. What was done is checked in the database (sqlite3) and the PDF
(pdftotext). The session and its checks are the user test's (test_user.py); its screenshots are
build/snapshots/keyboard-NN-<step>.png.

usage: test_keyboard.py PROGRAM SNAPSHOT_FOLDER
"""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_user import MAIN, SAMPLE_DB, UserSession, main  # noqa: E402
from xsession import StepFailed, wait_until  # noqa: E402

SAUCE = "ソース・ボルドレーズ"        # the first sauce of the sample kitchen
INGREDIENT = "人参"                  # the second of its vegetables
PRICE = "250"
MEMO = "千葉産の人参を使う。"
CSV_FOODS = (("カブ", 120), ("ルッコラ", 300))
# From the record list: the record editor's class, its button >>, then the name field.
TABS_LIST_TO_NAME = 3
# From the name field: 仏名, 形態, 使用単位, 棚卸し項目, 購入単位, 購入単価.
TABS_NAME_TO_BUY_PRICE = 6


class KeyboardSession(UserSession):
    PREFIX = "keyboard"

    def __init__(self, program, out):
        super().__init__(program, out)
        self.db = os.path.join(self.home, SAMPLE_DB)

    def start(self):
        super().start()

        def refused(*args, **kwargs):
            raise StepFailed("a click in the keyboard session")
        self.x.click = refused

    def keys(self, *keys):
        self.x.key(*keys)
        self.x.handled(self.main)

    def menu(self, accelerator, downs):
        """A main-menu entry by keys only: the menu by its accelerator, then `downs` enabled entries
        below the first."""
        self.x.wait_active(MAIN)
        self.x.popup(accelerator)
        self.x.key(*["Down"] * downs, "Return")

    def items_of(self, recipe):
        return [name for name, in self.query(
            'SELECT u."Data" FROM "VktDB1O" i JOIN "VktDB1F" d ON d."Data_ID" = i."Item_Key" '
            'JOIN "VktDB1F" u ON u."Data_ID" = i."Data_Key" WHERE d."Data" = ?', (recipe,))]

    # --- steps -----------------------------------------------------------------------------------

    def shown(self):
        self.main = self.x.wait_window(MAIN, timeout=30)
        self.x.wait_active(MAIN)
        wait_until(lambda: os.path.exists(self.db), 10, "the sample kitchen's database")
        self.x.handled(self.main)

    def sauce_item(self):
        """The class tree has the focus at the start. ソース (食材 closed by "-"), its first sauce opened
        from the record list by Ctrl+Shift+Return; back in the tree 野菜類 (食材 opened by "+"), its
        second vegetable marked by Return in the list, and added to the sauce by 編集 → 材料追加."""
        if INGREDIENT in self.items_of(SAUCE):
            raise StepFailed("%s is an item of %s already" % (INGREDIENT, SAUCE))
        self.keys("Home", "Down", "minus", "Down", "Down", "Down", "Tab", "Tab", "ctrl+shift+Return")
        self.keys("shift+Tab", "shift+Tab", "Home", "Down", "plus", "Down", "Down", "Down", "Tab", "Tab", "Down",
                  "Return")
        # すべて選択, 選択の切り替え, 選択の解除, データ編集 (checked), 材料追加.
        self.menu("alt+e", 4)
        self.x.wait_active("^確認$")
        self.x.key("Return")
        self.x.wait_active("^材料追加$")
        wait_until(lambda: INGREDIENT in self.items_of(SAUCE), 10, "the sauce's new item")
        self.x.key("Return")                      # the batch dialog's 閉じる
        self.x.wait_active(MAIN)

    def buy_price(self):
        """The marked vegetable opened in the record editor; Tab from the list to its name, on to
        購入単価, the price typed and applied by Tab."""
        self.keys("ctrl+shift+Return", *["Tab"] * (TABS_LIST_TO_NAME + TABS_NAME_TO_BUY_PRICE), "ctrl+a")
        self.x.type(PRICE)
        self.keys("Tab")                          # applied; on to 内容量
        self.wait_db('SELECT k."BuyPrice" FROM "VktDB1K" k JOIN "VktDB1F" d ON d."Data_ID" = k."Food_Key" '
                     'WHERE d."Data" = ?', (INGREDIENT,), [(float(PRICE),)], "the typed buy price")

    def memo(self):
        """From 内容量 by Tab to 歩留まり and the detail panel's tabs; Right to メモ, Tab past the
        tabs' arrows into the memo; a line typed and the memo left by Ctrl+Tab, which applies it and
        types no tab."""
        self.keys("Tab", "Tab", "Right", "Tab", "Tab", "Tab")
        self.x.paste(MEMO)
        self.keys("ctrl+Tab")
        text = "".join("\\'%02X" % b for b in MEMO.encode("cp932")).encode()

        def stored():
            rows = self.query('SELECT h."Memo" FROM "VktDB1H" h JOIN "VktDB1F" d ON d."Data_ID" = h."Memo_Key" '
                              'WHERE d."Data" = ?', (INGREDIENT,))
            memo = rows[0][0] if rows else b""
            return memo if isinstance(memo, bytes) else memo.encode()
        try:
            wait_until(lambda: text in stored(), 10, "the memo stored")
        except StepFailed:
            raise StepFailed("the memo does not hold the line typed: %r" % (stored(),))
        if b"\\tab" in stored():
            raise StepFailed("Ctrl+Tab typed a tab into the memo: %r" % (stored(),))

    def csv_import(self):
        """ツール → データ一括変換...: each page's first input has the keys. 名称 and 購入単価 chosen in
        the field list with 選択(&S); on the data page Ctrl+Tab leaves the table for 読み込み; the
        file read, the pages walked by 進む(&>) and 変換開始 pressed."""
        path = os.path.join(self.home, "kb.csv")
        with open(path, "wb") as f:
            f.write("".join("%s,%d\r\n" % food for food in CSV_FOODS).encode("cp932"))
        self.menu("alt+t", 1)
        wizard = self.wait_dialog("^データ一括変換ウィザード$")
        page = self.drawn(wizard, "the wizard's start page")
        self.x.key("Return")                      # 進む, focused
        page = self.drawn(wizard, "the wizard's field page", unlike=page)
        # 食材, 一行のデータ数, the field list: 名称 (row 2) and 購入単価 (row 6).
        self.x.key("Tab", "Tab", "Home", "Down", "Down", "alt+s")
        self.x.handled(wizard)
        self.x.key("Down", "Down", "Down", "Down", "alt+s")
        self.x.handled(wizard)
        page = self.drawn(wizard, "the wizard's field page with the fields chosen")
        self.x.key("alt+greater")
        page = self.drawn(wizard, "the wizard's data page", unlike=page)
        self.x.key("ctrl+Tab", "space")           # 読み込み
        self.wait_dialog("^開く$")
        self.x.type(path)
        self.x.key("Return")
        self.x.wait_gone("^開く$")
        self.x.wait_active("^データ一括変換ウィザード$")
        page = self.drawn(wizard, "the read table")
        self.x.key("alt+greater")                 # to the data check
        page = self.drawn(wizard, "the wizard's data check", unlike=page)
        self.x.key("alt+greater")                 # to the conversion page
        self.drawn(wizard, "the wizard's conversion page", unlike=page)
        self.x.key("space")                       # 変換開始, the page's first input
        self.wait_dialog("^データ一括変換$")
        names = tuple(name for name, _ in CSV_FOODS)
        self.wait_db('SELECT d."Data", k."BuyPrice" FROM "VktDB1F" d JOIN "VktDB1K" k ON k."Food_Key" = d."Data_ID" '
                     'WHERE d."Data" IN (?, ?) ORDER BY d."Data_ID"', names,
                     [(name, float(price)) for name, price in CSV_FOODS], "the imported ingredients")
        self.x.key("Return")                      # the batch dialog's 閉じる
        self.x.wait_gone("^データ一括変換$")
        self.x.wait_active("^データ一括変換ウィザード$")
        self.x.handled(wizard)
        # The run's end gives the keys to 閉じる.
        self.x.key("space")
        self.x.wait_gone("^データ一括変換ウィザード$")
        self.x.wait_active(MAIN)

    def print_food_list(self):
        """表示 → 印刷プレビュー and ファイル → プリントアウト...: 印刷 has the keys; the PDF printer's
        file typed. The printed food list holds the vegetables listed, 人参 among them."""
        text = self.print_preview_to_pdf(os.path.join(self.home, "foodlist.pdf"))
        if "食材リスト" not in text or not re.search(INGREDIENT + r"\s", text):
            raise StepFailed("the printed food list has no title or no %s:\n%s" % (INGREDIENT, text))
        self.menu("alt+v", 3)                     # back to the record list

    def steps(self):
        return [("start", self.shown), ("sauce-item", self.sauce_item), ("buy-price", self.buy_price),
                ("memo", self.memo), ("csv-import", self.csv_import), ("print-food-list", self.print_food_list)]

    def run(self, keep_going=False):
        for name, act in self.steps():
            self.step(name, act)
        self.close_program()


if __name__ == "__main__":
    sys.exit(main(KeyboardSession, "keyboard session", __doc__))
