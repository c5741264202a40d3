// The formatting tool bar over a view: what it shows of a mixed selection, the field each control
// sends, the underline and strike kinds, its enabling, and its glyphs and overflow.
#include "gui/Clipboard.h"
#include "richtext/Fexstylebar.h"
#include "richtext/LightTextDump.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Fupdownedit.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <utility>
#include <vector>

namespace {

class StyleBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view_.resize(300, 100);
        view_.SetWordWrap(true);
        view_.SetText("abcd");
        bar_.SetExView(&view_);
    }
    TExTextCommand* Editor() { return view_.GetEditor(); }
    const TExWord* Word(int i) { return Editor()->GetText()->GetPages(0)->GetLines(0)->GetWords(i); }

    TExView view_;
    TExStyleBar bar_;
};

// The first and last x of dark pixels in `row` of the picture, {-1, -1} when there are none.
std::pair<int, int> DarkSpan(const QImage& picture, const QRect& row)
{
    std::pair<int, int> span{-1, -1};
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = row.left(); x <= row.right(); ++x)
            if (qGray(picture.pixel(x, y)) < 100) {
                span.first = span.first < 0 ? x : std::min(span.first, x);
                span.second = std::max(span.second, x);
            }
    return span;
}

TEST_F(StyleBarTest, ViewChangeShowsMixedSelections)
{
    Editor()->SetCaret(0);
    Editor()->BeginSelection();
    Editor()->SetCaret(2);
    TExStyle big;
    big.Invisible().Size = 200;
    big.Bold = 1;
    view_.SetStyle(big);
    Editor()->SelectAll();
    EXPECT_EQ(bar_.GetFontSize()->GetValue(), 100);   // mixed sizes show 10 pt
    EXPECT_FALSE(bar_.Action("ActBold")->isChecked());
    Editor()->EndSelection();
    Editor()->SetCaret(1);
    EXPECT_EQ(bar_.GetFontSize()->GetValue(), 200);
    EXPECT_TRUE(bar_.Action("ActBold")->isChecked());
}

TEST_F(StyleBarTest, EachControlSendsItsField)
{
    Editor()->SelectAll();
    const TExStyle before = Word(0)->GetStyle();
    bar_.Action("ActItalic")->trigger();
    TExStyle expected = before;
    expected.Italic = 1;
    EXPECT_EQ(Word(0)->GetStyle(), expected);

    bar_.GetHighlightList()->SetColor(platform::RgbColor(255, 255, 0));
    bar_.StyleChange(bar_.GetHighlightList());
    EXPECT_GT(Word(0)->GetStyle().Highlight, 0);
    bar_.GetHighlightList()->SetColor(view_.GetColor());   // the background colour removes it
    bar_.StyleChange(bar_.GetHighlightList());
    EXPECT_EQ(Word(0)->GetStyle().Highlight, 0);

    // A menu kind underlines in the text colour and presses the button; the button releases it.
    QAction* kind5 = bar_.GetUnderlineMenu()->actions().at(5);
    bar_.ULStyleClick(kind5);
    EXPECT_EQ(Word(0)->GetStyle().Underline, 5);
    EXPECT_EQ(Word(0)->GetStyle().ULColor, Word(0)->GetStyle().Color);
    EXPECT_TRUE(bar_.GetUnderlineButton()->isChecked());
    bar_.GetUnderlineButton()->click();
    EXPECT_EQ(Word(0)->GetStyle().Underline, 0);
    bar_.GetUnderlineButton()->click();   // the menu now shows "(なし)": kind 1
    EXPECT_EQ(Word(0)->GetStyle().Underline, 1);
    bar_.SOStyleClick(bar_.GetStrikeoutMenu()->actions().at(0));   // "(なし)" checked
    bar_.GetStrikeoutButton()->click();
    EXPECT_EQ(Word(0)->GetStyle().Strike, 1);

    bar_.Action("ActCenterAlign")->trigger();
    EXPECT_EQ(Editor()->GetText()->GetPages(0)->GetLines(0)->GetParaStyle().Align, 1);
}

// Word processors' memos pasted into an empty memo, stored and opened again: each word keeps the size
// and font it was pasted with (a run whose style differs from its paragraph's too), and the memo
// shows the same pixels before and after; the bar shows a word's size and bold.
TEST(PastedMemoTest, AStoredMemoShowsWhatWasPasted)
{
    struct Case {
        const char* file;
        int caret;   // in a word the bar shows
        int size;    // tenths of a point
        bool bold;
    };
    const Case cases[] = {
        {"writer-note.rtf", 2, 120, false},      // "Chicken"
        {"writer-recipe.rtf", 2, 180, true},     // the heading
        {"abiword-recipe.rtf", 2, 180, true},    // its last list item's runs keep their 12 pt
        {"word-list.rtf", 2, 110, true},
    };
    const auto looks = [](TExView& view) {
        TExText* text = view.GetEditor()->GetText();
        std::vector<std::string> words;
        for (int p = 0; p < text->GetCount(); ++p)
            for (int l = 0; l < text->GetPages(p)->GetCount(); ++l)
                for (int w = 0; w < text->GetPages(p)->GetLines(l)->GetCount(); ++w) {
                    const TExWord* word = text->GetPages(p)->GetLines(l)->GetWords(w);
                    const TExStyle s = word->GetStyle();
                    const int font = s.DoubleByte() ? s.DBFont : s.CharClass == kClassEuro ? s.HighFont : s.LowFont;
                    words.push_back(word->GetString() + "|" + std::to_string(s.Size) + "|" +
                                    text->GetFonts().GetName(font) + (s.Bold == 1 ? "|b" : ""));
                }
        return words;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TExView view;
        TExStyleBar bar;
        view.resize(700, 900);
        view.SetWordWrap(true);
        bar.SetExView(&view);
        platform::ClipboardWriter writer;
        writer.SetData("text/rtf", vkttest::RtfData(c.file));
        writer.Commit();
        view.PasteFromClipboard();
        std::vector<std::string> pasted = looks(view);
        view.GetEditor()->SetCaret(0);
        view.SetDocTop(0);
        const QImage shown = view.grab().toImage();
        if (std::string(c.file) == "abiword-recipe.rtf") {
            EXPECT_NE(std::find(pasted.begin(), pasted.end(), "弱火で煮る。|120|ＭＳ Ｐゴシック"), pasted.end());
        }
        std::stringstream stored;
        view.GetEditor()->SaveToRichStream(stored);
        view.GetEditor()->LoadFromRichStream(stored);
        EXPECT_EQ(looks(view), pasted);
        view.GetEditor()->SetCaret(0);
        view.SetDocTop(0);
        EXPECT_TRUE(view.grab().toImage() == shown) << "the memo shows other pixels once stored";
        view.GetEditor()->SetCaret(c.caret);
        EXPECT_EQ(bar.GetFontSize()->GetValue(), c.size);
        EXPECT_EQ(bar.Action("ActBold")->isChecked(), c.bold);
    }
}

// Each kind's row shows its 100-px sample whole, and only the checked row its mark in the check
// column (as wide as the row is high, before the samples).
TEST_F(StyleBarTest, MenuRowsShowWholeSamplesAndTheCheckedKind)
{
    const auto marked = [](QMenu* menu) {
        const QImage picture = menu->grab().toImage();
        std::vector<int> rows;
        for (int k = 0; k < menu->actions().size(); ++k) {
            const QRect row = menu->actionGeometry(menu->actions().at(k));
            if (DarkSpan(picture, QRect(row.topLeft(), QSize(row.height() + 4, row.height()))).first >= 0)
                rows.push_back(k);
        }
        return rows;
    };
    for (QMenu* menu : {bar_.GetUnderlineMenu(), bar_.GetStrikeoutMenu()}) {
        menu->adjustSize();
        const QImage picture = menu->grab().toImage();
        for (int k = 1; k < menu->actions().size(); ++k) {
            const QRect row = menu->actionGeometry(menu->actions().at(k));
            const auto [left, right] = DarkSpan(picture, row);
            EXPECT_GE(right - left + 1, 90) << menu->actions().at(k)->objectName().toStdString();
            EXPECT_GT(left, row.left() + row.height() + 4);
            EXPECT_LT(row.height(), 2 * menu->fontMetrics().height());
        }
        EXPECT_EQ(marked(menu), std::vector<int>{0}) << menu->objectName().toStdString();
    }
    bar_.ULStyleClick(bar_.GetUnderlineMenu()->actions().at(5));
    EXPECT_EQ(marked(bar_.GetUnderlineMenu()), std::vector<int>{5});
}

TEST_F(StyleBarTest, Enabling)
{
    bar_.ActionListUpdate();
    EXPECT_TRUE(bar_.Action("ActLeftAlign")->isEnabled());
    EXPECT_FALSE(bar_.Action("ActCopy")->isEnabled());
    view_.SetWordWrap(false);
    Editor()->SelectAll();
    bar_.ActionListUpdate();
    EXPECT_FALSE(bar_.Action("ActLeftAlign")->isEnabled());
    EXPECT_TRUE(bar_.Action("ActCopy")->isEnabled());
    bar_.SetExView(nullptr);
    EXPECT_EQ(view_.GetChangeNotiferCount(), 0);
    for (const char* name : {"ActCopy", "ActBold", "ActFind", "ActUndo"})
        EXPECT_FALSE(bar_.Action(name)->isEnabled()) << name;
    EXPECT_FALSE(bar_.GetFontSize()->isEnabled());
}

// The bar fits a 1024-pixel screen with glyphs, its captions as tool tips; in a narrower place
// what does not fit is reached through the bar's overflow menu, the fields as working copies.
TEST_F(StyleBarTest, GlyphButtonsFitAndWhatDoesNotFitIsInTheOverflow)
{
    EXPECT_LE(bar_.sizeHint().width(), 1024);
    EXPECT_LE(bar_.minimumSizeHint().width(), 100) << "a narrow place does not widen around the bar";
    QToolBar* tools = bar_.findChild<QToolBar*>();
    ASSERT_NE(tools, nullptr);

    const std::pair<const char*, const char*> buttons[] = {
        {"ActClear", "新規作成"},     {"ActOpen", "開く"},           {"ActSave", "保存"},
        {"ActCopy", "コピー"},        {"ActCut", "切り取り"},        {"ActPaste", "貼り付け"},
        {"ActDelete", "削除"},        {"ActUndo", "元に戻す"},       {"ActRedo", "やり直す"},
        {"ActBold", "ボールド"},      {"ActItalic", "イタリック"},   {"ActUnderline", "アンダーライン"},
        {"ActStrikeout", "取り消し線"}, {"ActOutline", "アウトライン"}, {"ActLeftAlign", "左揃え"},
        {"ActCenterAlign", "センター"}, {"ActRightAlign", "右揃え"},    {"ActNewPage", "改ページ"},
        {"ActFind", "検索"}};
    std::vector<QImage> glyphs;
    for (const auto& [name, caption] : buttons) {
        QAction* action = bar_.Action(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->toolTip().toStdString(), caption);
        const auto* button = qobject_cast<QToolButton*>(tools->widgetForAction(action));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly) << name;
        const QImage glyph = action->icon().pixmap(16, 16).toImage();
        int inked = 0;
        for (int y = 0; y < glyph.height(); ++y)
            for (int x = 0; x < glyph.width(); ++x) inked += qAlpha(glyph.pixel(x, y)) > 128;
        EXPECT_GE(inked, 20) << name << ": a glyph, not an empty square";
        EXPECT_EQ(std::count(glyphs.begin(), glyphs.end(), glyph), 0) << name << ": a glyph of its own";
        glyphs.push_back(glyph);
    }
    const std::pair<QWidget*, const char*> fields[] = {
        {bar_.GetFontList(), "フォント"},        {bar_.GetFontSize(), "フォントサイズ"},
        {bar_.GetColorList(), "フォントカラー"}, {bar_.GetHighlightList(), "ハイライト"},
        {bar_.GetULColorList(), "アンダーラインの色"}};
    for (const auto& [field, caption] : fields) EXPECT_EQ(field->toolTip().toStdString(), caption);

    bar_.show();
    for (const int width : {1024, 300}) {
        SCOPED_TRACE(width);
        bar_.resize(width, bar_.sizeHint().height());
        QApplication::processEvents();
        QMenu* overflow = nullptr;
        for (auto* button : tools->findChildren<QToolButton*>())
            if (button->menu() && button->isVisible() && !tools->actions().contains(button->defaultAction()))
                overflow = button->menu();
        EXPECT_EQ(overflow != nullptr, width < 1024);
        for (QAction* action : tools->actions()) {
            if (action->isSeparator()) continue;
            const bool inBar = tools->widgetForAction(action)->isVisible();
            const bool inOverflow = overflow && overflow->actions().contains(action);
            EXPECT_TRUE(inBar != inOverflow) << action->objectName().toStdString();
            if (width == 1024) {
                EXPECT_TRUE(inBar) << action->objectName().toStdString();
            }
        }
        if (!overflow) continue;

        // The text colour chosen in the overflow's copy of its field colours the text; the copy in
        // the bar follows.
        auto* colors = overflow->findChild<TColorDropDown*>("ColorList");
        ASSERT_NE(colors, nullptr);
        Editor()->SelectAll();
        colors->SetColor(platform::RgbColor(255, 0, 0));
        colors->OnChange(colors);
        TExText* doc = Editor()->GetText();
        EXPECT_EQ(doc->GetColors().GetColor(Word(0)->GetStyle().Color), platform::RgbColor(255, 0, 0));
        EXPECT_EQ(bar_.GetColorList()->GetColor(), platform::RgbColor(255, 0, 0));
        // What is typed into its copy of the find field is found.
        auto* finder = overflow->findChild<TExView*>("Finder");
        ASSERT_NE(finder, nullptr);
        QTest::keyClicks(finder, "cd");
        Editor()->SetCaret(0);
        bar_.Action("ActFind")->trigger();
        const TSelectInfo found = view_.GetSelectInfo();
        EXPECT_EQ(found.GetTopPosition(), 2);
        EXPECT_EQ(found.GetSelLength(), 2);
    }
}

} // namespace
