// Typing into the rich-text edit control against QTextDocument: 200 characters typed at the end of a
// memo of 1 and of 100 pages (ten paragraphs a page, bold runs, a page break after each page):
//   RichTextType1Page / RichTextType100Pages: key events sent to the control, each wrapped and its
//     back buffer redrawn;
//   QTextDocumentType1Page / QTextDocumentType100Pages: QTextCursor::insertText at the end of the
//     same text, the layout brought up to date and the visible part drawn into an image.
// Goals: at most 3 against Qt, and the 100-page cost per key within 1.5 of the 1-page cost. The
// typed text is taken out again between the runs, outside the timing.
#include "BenchRatio.h"

#include "richtext/Exview.h"

#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kTyped = 200;
constexpr int kParagraphsPerPage = 10;
const char* const kSentences[] = {"本日の仕込みは大根の煮物と鶏肉の照り焼きです。", "Rice 2 kg, soy sauce 180 ml. ",
                                  "塩分は控えめにし、アレルギー表示を確認します。", "Cost per serving 320 yen. "};
const char16_t kTypedText[] = u"献立の原価を計算します。Cost 320 yen, ";

// The memo's paragraphs: sentence runs, every third bold.
template <typename Paragraph, typename Run>
void ForMemo(int pages, Paragraph paragraph, Run run)
{
    int n = 0;
    for (int p = 0; p < pages * kParagraphsPerPage; ++p) {
        paragraph(p > 0 && p % kParagraphsPerPage == 0);
        for (int r = 0; r < 8; ++r, ++n)
            run(kSentences[n % 4], n % 3 == 0);
    }
}

class ControlMemo {
public:
    explicit ControlMemo(int pages)
    {
        TExLightText runs;
        TExStyle none;
        none.Invisible();
        bool first = true;
        ForMemo(
            pages,
            [&](bool pageBreak) {
                runs.SetCurrentStyle(none);
                if (!first)
                    runs.AddWord(std::string(), kWordPara);
                if (pageBreak)
                    runs.AddWord(std::string(), kWordPage);
                first = false;
            },
            [&](const char* text, bool bold) {
                TExStyle style = none;
                style.Bold = bold ? 1 : 0;
                runs.SetCurrentStyle(style);
                runs.AddWord(text, kWordText);
            });
        TExTextDrawer memo;
        memo.ReplaceFromLightText(&runs);
        std::ostringstream out;
        memo.SaveToStream(out, 3);
        std::istringstream in(out.str());
        view_.resize(kWidth, kHeight);
        view_.SetWordWrap(true);
        view_.show();
        view_.GetEditor()->LoadFromRichStream(in);
        end_ = view_.GetEditor()->GetText()->GetMaxPosition();
        view_.GetEditor()->SetCaret(end_);
        QApplication::processEvents();
    }
    void Type()
    {
        for (int i = 0; i < kTyped; ++i) {
            const QString text(QChar(kTypedText[i % (std::size(kTypedText) - 1)]));
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
            QApplication::sendEvent(&view_, &press);
        }
    }
    void TakeOut()
    {
        TExTextCommand* e = view_.GetEditor();
        TSelectInfo sel;
        sel.Anchor = e->GetText()->PositionToCaretInfo(end_);
        sel.Caret = e->GetText()->PositionToCaretInfo(e->GetText()->GetMaxPosition());
        e->SetSelInfo(sel);
        e->DeleteSelection();
    }
    int Pages() const { return view_.GetEditor()->GetText()->GetCount(); }

private:
    TExView view_;
    int end_ = 0;
};

class QtMemo {
public:
    explicit QtMemo(int pages) : image_(kWidth, kHeight, QImage::Format_RGB32)
    {
        doc_.setDocumentMargin(0);
        doc_.setPageSize(QSizeF(kWidth, 1000));
        QTextCursor cursor(&doc_);
        bool first = true;
        ForMemo(
            pages,
            [&](bool pageBreak) {
                QTextBlockFormat block;
                if (pageBreak)
                    block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                if (first)
                    cursor.setBlockFormat(block);
                else
                    cursor.insertBlock(block);
                first = false;
            },
            [&](const char* text, bool bold) {
                QTextCharFormat format;
                format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
                cursor.insertText(QString::fromUtf8(text), format);
            });
        end_ = doc_.characterCount() - 1;
        Draw();
    }
    void Type()
    {
        QTextCursor cursor(&doc_);
        cursor.movePosition(QTextCursor::End);
        for (int i = 0; i < kTyped; ++i) {
            cursor.insertText(QString(QChar(kTypedText[i % (std::size(kTypedText) - 1)])));
            Draw();
        }
    }
    void TakeOut()
    {
        QTextCursor cursor(&doc_);
        cursor.setPosition(end_);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    int Pages() const { return doc_.pageCount(); }

private:
    // The layout brought up to date and the bottom of the text (where the caret is) drawn.
    void Draw()
    {
        const qreal bottom = doc_.documentLayout()->documentSize().height();
        const qreal top = bottom > kHeight ? bottom - kHeight : 0;
        image_.fill(Qt::white);
        QPainter painter(&image_);
        painter.translate(0, -top);
        doc_.drawContents(&painter, QRectF(0, top, kWidth, kHeight));
    }

    QTextDocument doc_;
    QImage image_;
    int end_ = 0;
};

template <typename Memo>
void TypeAtTheEnd(benchmark::State& state, int pages)
{
    static std::unique_ptr<Memo> memo;
    memo = std::make_unique<Memo>(pages);
    for (auto _ : state) {
        memo->Type();
        state.PauseTiming();
        memo->TakeOut();
        state.ResumeTiming();
    }
    state.counters["pages"] = memo->Pages();
    state.counters["per_key"] = benchmark::Counter(static_cast<double>(state.iterations()) * kTyped,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    memo.reset();
}

void RichTextType1Page(benchmark::State& state) { TypeAtTheEnd<ControlMemo>(state, 1); }
void RichTextType100Pages(benchmark::State& state) { TypeAtTheEnd<ControlMemo>(state, 100); }
void QTextDocumentType1Page(benchmark::State& state) { TypeAtTheEnd<QtMemo>(state, 1); }
void QTextDocumentType100Pages(benchmark::State& state) { TypeAtTheEnd<QtMemo>(state, 100); }

} // namespace

BENCHMARK(RichTextType1Page)->Unit(benchmark::kMillisecond);
BENCHMARK(QTextDocumentType1Page)->Unit(benchmark::kMillisecond);
BENCHMARK(RichTextType100Pages)->Unit(benchmark::kMillisecond);
BENCHMARK(QTextDocumentType100Pages)->Unit(benchmark::kMillisecond);

VKT_BENCH_RATIO(RichTextType1Page, QTextDocumentType1Page, 3);
VKT_BENCH_RATIO(RichTextType100Pages, QTextDocumentType100Pages, 3);
VKT_BENCH_RATIO(RichTextType100Pages, RichTextType1Page, 1.5);
