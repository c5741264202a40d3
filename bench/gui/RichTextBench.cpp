// RichTextLoadOneParagraph / RichTextLoadParagraphs: the memo's words read as one paragraph against
//     the same words in its paragraphs and pages, each wrapped at the memo width (at most 1.5: reading
//     is linear in a paragraph's words).
// The rich-text document against QTextDocument on a generated memo of 100 pages (Japanese and Latin
// paragraphs with bold, coloured and underlined runs, a page break after each page):
//   RichTextLoadWrap / QTextDocumentLoadLayout: reading the memo's RTF and a full wrap at the memo
//     width, against setHtml of the same text and formats and a full layout at that width (at most 2);
//   RichTextDrawPages / QTextDocumentDrawPages: every page drawn into an image, against the laid-out
//     QTextDocument drawn page by page (at most 3).
// The page count follows the canvas benchmarks' --vkt_chars (100 pages at its 200 000), so the
// smoke run draws a few pages.
#include "BenchRatio.h"

#include "gui/FontTable.h"
#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"
#include "richtext/Uextextdrawer.h"

#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kMemoWidth = 640;
constexpr int kPageHeight = 1000;
constexpr int kParagraphsPerPage = 10;

// 100 pages, or fewer when the program runs on a smaller text (--vkt_chars).
int PageCount()
{
    return static_cast<int>(std::clamp<std::size_t>(bench::TextChars() / 2000, 2, 100));
}

struct Run {
    std::string Text;
    bool Bold = false;
    bool Underline = false;
    TColor Color = 0;   // 0 automatic
};
using Paragraph = std::vector<Run>;

// Paragraphs of the memo, page after page; every fourth run bold, coloured or underlined.
const std::vector<Paragraph>& Memo()
{
    static const std::vector<Paragraph> memo = [] {
        const char* const japanese[] = {"本日の献立は鶏肉の照り焼きと大根の煮物です。", "原価は一人前あたり三百二十円、",
                                        "塩分は控えめにしてください。", "仕込みは午前十時までに終えること。",
                                        "米は新米に切り替えました。", "アレルギー表示を確認してから盛り付けます。"};
        const char* const latin[] = {"Teriyaki chicken with simmered radish, ", "cost per serving 320 yen; ",
                                     "keep the salt low and check the allergy labels ", "before plating. ",
                                     "Rice 2 kg, soy sauce 180 ml, mirin 120 ml, ", "prepare by ten in the morning. "};
        const TColor colors[] = {platform::RgbColor(192, 0, 0), platform::RgbColor(0, 0, 192)};
        std::vector<Paragraph> result;
        int n = 0;
        for (int p = 0; p < PageCount() * kParagraphsPerPage; ++p) {
            Paragraph para;
            const bool isJapanese = p % 2 == 0;
            for (int r = 0; r < (isJapanese ? 6 : 8); ++r, ++n) {
                Run run;
                run.Text = isJapanese ? japanese[n % 6] : latin[n % 6];
                run.Bold = n % 4 == 1;
                run.Color = n % 4 == 2 ? colors[n / 4 % 2] : 0;
                run.Underline = n % 4 == 3;
                para.push_back(run);
            }
            result.push_back(para);
        }
        return result;
    }();
    return memo;
}

// The memo saved as RTF by the rich-text document; as one paragraph, its words without their
// paragraph and page ends (a blank between paragraphs).
std::string MakeMemoRtf(bool oneParagraph)
{
    TExLightText runs;
    TExStyle none;
    none.Invisible();
    for (std::size_t p = 0; p < Memo().size(); ++p) {
        if (p > 0 && p % kParagraphsPerPage == 0 && !oneParagraph) {
            runs.SetCurrentStyle(none);
            runs.AddWord(std::string(), kWordPage);
        }
        for (const Run& run : Memo()[p]) {
            TExStyle style = none;
            style.Bold = run.Bold ? 1 : 0;
            style.Underline = run.Underline ? 1 : 0;
            style.Color = run.Color != 0 ? runs.GetColorIndex(run.Color) : 0;
            runs.SetCurrentStyle(style);
            runs.AddWord(run.Text, kWordText);
        }
        runs.SetCurrentStyle(none);
        runs.AddWord(oneParagraph ? std::string(" ") : std::string(), oneParagraph ? kWordText : kWordPara);
    }
    if (oneParagraph) {
        runs.SetCurrentStyle(none);
        runs.AddWord(std::string(), kWordPara);
    }
    TExTextDrawer memo;
    memo.ReplaceFromLightText(&runs);
    std::ostringstream out;
    memo.SaveToStream(out, 3);
    return out.str();
}

const std::string& MemoRtf()
{
    static const std::string rtf = MakeMemoRtf(false);
    return rtf;
}

const std::string& OneParagraphRtf()
{
    static const std::string rtf = MakeMemoRtf(true);
    return rtf;
}

// The same memo as HTML: paragraphs without margins, a page break before each page's first.
const QString& MemoHtml()
{
    static const QString html = [] {
        QString out = QStringLiteral("<html><body>");
        for (std::size_t p = 0; p < Memo().size(); ++p) {
            out += p > 0 && p % kParagraphsPerPage == 0 ? QStringLiteral("<p style=\"margin:0; page-break-before:always\">")
                                                        : QStringLiteral("<p style=\"margin:0\">");
            for (const Run& run : Memo()[p]) {
                QString style;
                if (run.Bold)
                    style += QStringLiteral("font-weight:bold;");
                if (run.Underline)
                    style += QStringLiteral("text-decoration:underline;");
                if (run.Color != 0)
                    style += QStringLiteral("color:#%1;").arg(platform::RedOf(run.Color) << 16 |
                                                                  platform::GreenOf(run.Color) << 8 |
                                                                  platform::BlueOf(run.Color),
                                                              6, 16, QLatin1Char('0'));
                out += QStringLiteral("<span style=\"%1\">%2</span>")
                           .arg(style, platform::ToQString(run.Text).toHtmlEscaped());
            }
            out += QStringLiteral("</p>");
        }
        return out + QStringLiteral("</body></html>");
    }();
    return html;
}

// The document's default font: entry 1 of the font table at 10.5 pt.
QFont MemoFont()
{
    return platform::MakeQFont(platform::FontSpec{"ＭＳ Ｐゴシック", -14}, 96);
}

std::unique_ptr<TExTextDrawer> LoadMemo(const std::string& rtf = MemoRtf())
{
    auto memo = std::make_unique<TExTextDrawer>();
    memo->SetWordWrap(true);
    memo->SetWrapWidth(kMemoWidth);
    std::istringstream in(rtf);
    memo->LoadFromStream(in, 3);
    return memo;
}

std::unique_ptr<QTextDocument> LayOutMemo()
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(MemoFont());
    doc->setDocumentMargin(0);
    doc->setPageSize(QSizeF(kMemoWidth, kPageHeight));
    doc->setHtml(MemoHtml());
    benchmark::DoNotOptimize(doc->documentLayout()->documentSize());
    return doc;
}

void RichTextLoadWrap(benchmark::State& state)
{
    MemoRtf();
    for (auto _ : state) {
        const auto memo = LoadMemo();
        benchmark::DoNotOptimize(memo->GetHeight());
    }
    const auto memo = LoadMemo();
    state.counters["pages"] = memo->GetCount();
    state.counters["rows"] = memo->GetRowCount();
}

void RichTextLoadOneParagraph(benchmark::State& state)
{
    OneParagraphRtf();
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadMemo(OneParagraphRtf())->GetHeight());
    state.counters["bytes"] = static_cast<double>(OneParagraphRtf().size());
}

void RichTextLoadParagraphs(benchmark::State& state)
{
    MemoRtf();
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadMemo(MemoRtf())->GetHeight());
    state.counters["bytes"] = static_cast<double>(MemoRtf().size());
}

void QTextDocumentLoadLayout(benchmark::State& state)
{
    MemoHtml();
    for (auto _ : state)
        LayOutMemo();
    state.counters["pages"] = LayOutMemo()->pageCount();
}

void RichTextDrawPages(benchmark::State& state)
{
    const auto memo = LoadMemo();
    std::vector<int> firstRows;   // 1-based row number of each page's first row
    for (int p = 0, row = 1; p < memo->GetCount(); row += memo->GetPages(p)->GetRowCount(), ++p)
        firstRows.push_back(row);
    QImage image(kMemoWidth, kPageHeight, QImage::Format_RGB32);
    for (auto _ : state)
        for (const int row : firstRows) {
            image.fill(Qt::white);
            QPainter painter(&image);
            platform::QtCanvas canvas(painter, 96, 96, platform::CanvasKind::Image);
            memo->DrawTextA(&canvas, {0, 0, kMemoWidth, kPageHeight}, {0, 0, kMemoWidth, kPageHeight}, 0, 0,
                            memo->LineCountToLineInfo(row), TSelectInfo(), true);
        }
}

void QTextDocumentDrawPages(benchmark::State& state)
{
    const auto doc = LayOutMemo();
    QImage image(kMemoWidth, kPageHeight, QImage::Format_RGB32);
    for (auto _ : state)
        for (int page = 0; page < doc->pageCount(); ++page) {
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.translate(0, -page * kPageHeight);
            doc->drawContents(&painter, QRectF(0, page * kPageHeight, kMemoWidth, kPageHeight));
        }
}

} // namespace

BENCHMARK(RichTextLoadWrap)->Unit(benchmark::kMillisecond);
BENCHMARK(QTextDocumentLoadLayout)->Unit(benchmark::kMillisecond);
BENCHMARK(RichTextDrawPages)->Unit(benchmark::kMillisecond);
BENCHMARK(QTextDocumentDrawPages)->Unit(benchmark::kMillisecond);
BENCHMARK(RichTextLoadOneParagraph)->Unit(benchmark::kMillisecond);
BENCHMARK(RichTextLoadParagraphs)->Unit(benchmark::kMillisecond);
VKT_BENCH_RATIO(RichTextLoadWrap, QTextDocumentLoadLayout, 2.0);
VKT_BENCH_RATIO(RichTextLoadOneParagraph, RichTextLoadParagraphs, 1.5);
VKT_BENCH_RATIO(RichTextDrawPages, QTextDocumentDrawPages, 3.0);
