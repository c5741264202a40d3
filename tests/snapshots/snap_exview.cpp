// The rich-text edit control in its three edit styles (styled Japanese text, a selection, the
// caret), keyword colouring, an open composition, and the formatting tool bar with its underline
// menu open, and narrow with its overflow menu open.
#include "richtext/Exview.h"
#include "richtext/Fexstylebar.h"
#include "support/Snapshot.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <string>

namespace {

// Position units of a UTF-8 text: ASCII one, anything else two.
int Units(const std::string& text)
{
    int units = 0;
    for (unsigned char c : text)
        if (c < 0x80)
            ++units;
        else if ((c & 0xC0) != 0x80)
            units += 2;
    return units;
}

// The units where `what` starts in the view's text.
int At(TExView* view, const std::string& what)
{
    const std::string text = view->GetText();
    return Units(text.substr(0, text.find(what)));
}

void Select(TExView* view, int from, int to)
{
    TExTextCommand* e = view->GetEditor();
    e->EndSelection();
    e->SetCaret(from);
    e->BeginSelection();
    e->SetCaret(to);
}

// Sets the fields `set` fills over the text `what`.
template <typename F>
void Style(TExView* view, const std::string& what, F set)
{
    const int from = At(view, what);
    Select(view, from, from + Units(what));
    TExStyle s;
    s.Invisible();
    set(s, view->GetEditor()->GetText());
    view->SetStyle(s);
}

// Focus for the caret once the window is shown.
void FocusWhenShown(QWidget* view)
{
    QTimer::singleShot(0, view, [view] {
        view->activateWindow();
        view->setFocus();
    });
}

TExView* RichView(QWidget* owner)
{
    auto* view = new TExView(owner);
    view->SetWordWrap(true);
    view->SetText("本日の献立　春のおすすめ\r\n鶏肉の照り焼き：醤油とみりんで甘辛く。Teriyaki 240 kcal\r\n"
                  "蛍光ペンと下線（波線・二重線）の見本。\r\n選択した範囲は反転して表示されます。");
    Style(view, "本日の献立", [](TExStyle& s, TExText* doc) {
        s.Size = 180;
        s.Bold = 1;
        s.DBFont = doc->GetFontIndex("ＭＳ Ｐ明朝", 128, 0x12);
        s.Color = doc->GetColorIndex(platform::RgbColor(0, 64, 160));
    });
    Style(view, "照り焼き", [](TExStyle& s, TExText* doc) {
        s.Color = doc->GetColorIndex(platform::RgbColor(200, 0, 0));
        s.Italic = 1;
    });
    Style(view, "Teriyaki 240", [](TExStyle& s, TExText*) { s.Size = 140; });
    Style(view, "蛍光ペン", [](TExStyle& s, TExText* doc) {
        s.Highlight = doc->GetColorIndex(platform::RgbColor(255, 255, 0));
    });
    Style(view, "下線", [](TExStyle& s, TExText*) { s.Underline = 1; });
    Style(view, "波線", [](TExStyle& s, TExText* doc) {
        s.Underline = 15;
        s.ULColor = doc->GetColorIndex(platform::RgbColor(220, 0, 0));
    });
    Style(view, "二重線", [](TExStyle& s, TExText*) { s.Underline = 3; });
    const int from = At(view, "選択した範囲");
    Select(view, from, from + Units("選択した範囲"));
    return view;
}

void Title(QVBoxLayout* layout, const char* title) { layout->addWidget(new QLabel(QString::fromUtf8(title))); }

} // namespace

// The three edit styles: rich text with a selection, plain multi-line text with keyword colouring,
// and a focused single-line field showing the caret.
VKT_SNAPSHOT(exview_styles)
{
    auto* frame = new QWidget;
    auto* layout = new QVBoxLayout(frame);
    Title(layout, "リッチ テキスト");
    TExView* rich = RichView(frame);
    rich->setFixedSize(420, 150);
    layout->addWidget(rich);

    Title(layout, "複数行 (色分け)");
    auto* multi = new TExView(frame);
    multi->SetEditStyle(evsMultiEdit);
    multi->SetWordWrap(true);
    multi->SetText("// 原価の計算\r\nint cost = 0;\r\nfor (int i = 0; i < n; ++i) {\r\n"
                   "    if (price[i] > 0) cost += price[i]; /* 単価 */\r\n}\r\nreturn \"合計\";");
    multi->setFixedSize(420, 170);
    layout->addWidget(multi);

    Title(layout, "一行");
    auto* single = new TExView(frame);
    single->SetEditStyle(evsSingleEdit);
    single->SetText("玉ねぎ（新物） 3 kg");
    single->setFixedSize(420, 26);
    layout->addWidget(single);
    single->GetEditor()->SetCaret(Units("玉ねぎ"));
    FocusWhenShown(single);
    return frame;
}

// A rich view with the caret after typed text and an open composition at it.
VKT_SNAPSHOT(exview_preedit)
{
    auto* view = new TExView;
    view->SetWordWrap(true);
    view->SetText("仕込みメモ：\r\n");
    view->resize(360, 90);
    view->GetEditor()->SetCaret(Units("仕込みメモ："));
    FocusWhenShown(view);
    QTimer::singleShot(0, view, [view] {
        QInputMethodEvent e(QString::fromUtf8("だいこんをきる"), {});
        QApplication::sendEvent(view, &e);
    });
    return view;
}

// The whole tool bar over a rich view, with the underline menu open below its button.
namespace {

// A frame of `width` holding the tool bar over a rich view, `word` selected in it.
TExStyleBar* StyleBarOverView(QWidget* frame, int width, const char* word)
{
    frame->resize(width, 560);
    auto* layout = new QVBoxLayout(frame);
    auto* bar = new TExStyleBar(frame);
    layout->addWidget(bar);
    TExView* view = RichView(frame);
    layout->addWidget(view, 1);
    bar->SetExView(view);
    const int from = At(view, word);
    Select(view, from, from + Units(word));
    bar->ViewChange();
    bar->ActionListUpdate();
    return bar;
}

} // namespace

VKT_SNAPSHOT(exview_stylebar)
{
    auto* frame = new QWidget;
    TExStyleBar* bar = StyleBarOverView(frame, 1024, "波線");   // the whole bar

    // The bar's own underline menu, drawn inside the frame under the underline button.
    QMenu* menu = bar->GetUnderlineMenu();
    menu->setParent(frame, Qt::Widget);
    QTimer::singleShot(0, frame, [frame, bar, menu] {
        QToolButton* button = bar->GetUnderlineButton();
        const QPoint below = button->mapTo(frame, QPoint(0, button->height()));
        menu->adjustSize();
        menu->move(below);
        menu->raise();
        menu->show();
    });
    return frame;
}

// The tool bar narrower than its buttons, with its overflow menu open under the extension button:
// the buttons left out with their captions, the fields behind theirs.
VKT_SNAPSHOT(exview_stylebar_overflow)
{
    auto* frame = new QWidget;
    TExStyleBar* bar = StyleBarOverView(frame, 420, "照り焼き");
    QTimer::singleShot(0, frame, [frame, bar] {
        QToolButton* extension = bar->GetToolBar()->findChild<QToolButton*>("qt_toolbar_ext_button");
        if (!extension || !extension->menu()) return;
        QMenu* menu = extension->menu();
        menu->setParent(frame, Qt::Widget);
        menu->adjustSize();
        const QPoint below = extension->mapTo(frame, QPoint(extension->width(), extension->height()));
        menu->move(below.x() - menu->width(), below.y());
        menu->raise();
        menu->show();
    });
    return frame;
}
