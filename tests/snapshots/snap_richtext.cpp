// A Japanese rich-text page with styles and a selection, drawn at 100 % and 200 %.
#include "gui/BitmapCanvas.h"
#include "gui/Image.h"
#include "richtext/Uextextdrawer.h"
#include "support/Snapshot.h"

#include <QLabel>
#include <QPixmap>

namespace {

QWidget* RichTextPage(int zoom)
{
    TExTextDrawer doc;
    doc.Clear();
    doc.SetWordWrap(true);
    doc.SetWrapWidth(320);
    TExLightText runs;
    runs.SetAnsi("献立表　春のおすすめ\r\n鶏肉の照り焼きは、醤油とみりんで甘辛く仕上げます。Teriyaki chicken, 240 kcal.\r\n"
                 "\t下線と取り消し線の見本。\r\n最後の段落です。");
    doc.ReplaceFromLightText(&runs);
    const auto styled = [&](int from, int to, auto set) {
        TExStyle s;
        s.Invisible();
        set(s);
        doc.ChangeStyle(doc.PositionToCaretInfo(from), doc.PositionToCaretInfo(to), s);
    };
    styled(0, 6, [](TExStyle& s) { s.Bold = 1; s.Size = 160; });
    styled(22, 36, [&](TExStyle& s) { s.Color = doc.GetColorIndex(platform::RgbColor(192, 0, 0)); });
    styled(66, 72, [](TExStyle& s) { s.Underline = 15; });
    styled(72, 80, [](TExStyle& s) { s.Strike = 1; });
    styled(82, 88, [](TExStyle& s) { s.Underline = 3; });
    TSelectInfo sel;
    sel.Anchor = doc.PositionToCaretInfo(110);
    sel.Caret = doc.PositionToCaretInfo(120);
    const int w = 340 * zoom / 100;
    const int h = (doc.GetHeight() + 20) * zoom / 100;
    platform::BitmapCanvas canvas(w, h, 96);
    canvas.FillRect({0, 0, w, h}, 0xFFFFFF);
    doc.DrawTextA(&canvas, {0, 0, 340, doc.GetHeight() + 20}, {0, 0, w, h}, 10 * zoom / 100, 10 * zoom / 100,
                  doc.LineCountToLineInfo(1), sel, false);
    auto* label = new QLabel;
    label->setPixmap(QPixmap::fromImage(canvas.GetImage().Q()));
    label->resize(label->sizeHint());
    return label;
}

} // namespace

VKT_SNAPSHOT(richtext_page_100) { return RichTextPage(100); }
VKT_SNAPSHOT(richtext_page_200) { return RichTextPage(200); }
