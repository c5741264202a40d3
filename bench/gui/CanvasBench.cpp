// Text through the canvas against Qt's own: 200 000 mixed Japanese and Latin characters drawn
// into an image by QtCanvas::TextOut and by QPainter::drawText line by line, and measured by
// Canvas::CharEdges and by QFontMetrics::horizontalAdvance per character. Prints the ratios
// canvas / Qt from the median times. Holds the one main of the GUI benchmarks: it prints every ratio
// registered with VKT_BENCH_RATIO whose two benchmarks ran, and fails when a benchmark failed.
//
// A pair's ratio is the median of its runs' ratios, the n-th run of one side against the n-th of
// the other. With --vkt_rounds=N every benchmark runs once a round, N rounds in turn, so that the
// two runs of a pair compared are taken seconds apart, not a whole series of repetitions apart:
// the machine's speed, which drifts over seconds, is then much the same for both.
//
// Options of its own (the rest are Google Benchmark's):
//   --vkt_rounds=N   rounds of all the benchmarks (1)
//   --vkt_chars=N    characters of the text (200000)
//   --vkt_size=...   and the other options of the data-layer benchmarks: the generated database of
//                    the benchmarks that work on one (standard size unless told otherwise)
#include "BenchContext.h"
#include "BenchRatio.h"
#include "GuiBenchSupport.h"

#include "gui/Application.h"
#include "gui/EnhancedMetafile.h"
#include "gui/FontTable.h"
#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"
#include "support/TestPictures.h"

#include <benchmark/benchmark.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace platform;

constexpr int kLineHeight = 20;
constexpr int kImageSize = 1200;

std::size_t& CharCount() { return bench::TextChars(); }

FontSpec BenchFont()
{
    FontSpec font;
    font.Face = "ＭＳ Ｐゴシック";
    font.Height = -16;
    return font;
}

// Lines of about 40 characters, mixed Japanese and Latin, CharCount() characters in all.
const std::vector<std::string>& Lines()
{
    static const std::vector<std::string> lines = [] {
        const char* const words[] = {"鶏肉の照り焼き", "Teriyaki", "原価", "cost", "１２３円", "4,560",
                                     "献立表", "Menu", "大根と人参の煮物", "simmered", "米", "rice 2kg",
                                     "カロリー", "kcal", "塩分", "salt 1.2g"};
        std::vector<std::string> result;
        std::string line;
        std::size_t lineChars = 0;
        std::size_t total = 0;
        for (std::size_t w = 0; total < CharCount(); ++w) {
            const std::string word = std::string(words[w % std::size(words)]) + " ";
            const QString counted = QString::fromStdString(word);
            const auto chars = static_cast<std::size_t>(counted.toUcs4().size());
            line += word;
            lineChars += chars;
            total += chars;
            if (lineChars >= 40) {
                result.push_back(line);
                line.clear();
                lineChars = 0;
            }
        }
        if (!line.empty()) result.push_back(line);
        return result;
    }();
    return lines;
}

const std::vector<QString>& QLines()
{
    static const std::vector<QString> lines = [] {
        std::vector<QString> result;
        for (const std::string& line : Lines()) result.push_back(ToQString(line));
        return result;
    }();
    return lines;
}

void CanvasText(benchmark::State& state)
{
    QImage image(kImageSize, kImageSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QtCanvas canvas(painter, 96, 96, CanvasKind::Image);
    canvas.SetFont(BenchFont());
    canvas.SetBrush(Brush{0, true});
    for (auto _ : state) {
        int y = 0;
        for (const std::string& line : Lines()) {
            canvas.TextOut(4, y, line);
            y = (y + kLineHeight) % (kImageSize - kLineHeight);
        }
    }
}

void PainterText(benchmark::State& state)
{
    QImage image(kImageSize, kImageSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QFont font = MakeQFont(BenchFont(), 96);
    painter.setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    for (auto _ : state) {
        int y = 0;
        for (const QString& line : QLines()) {
            painter.drawText(QPointF(4, y + ascent), line);
            y = (y + kLineHeight) % (kImageSize - kLineHeight);
        }
    }
}

void CanvasEdges(benchmark::State& state)
{
    QImage image(8, 8, QImage::Format_RGB32);
    QPainter painter(&image);
    QtCanvas canvas(painter, 96, 96, CanvasKind::Image);
    canvas.SetFont(BenchFont());
    for (auto _ : state)
        for (const std::string& line : Lines()) benchmark::DoNotOptimize(canvas.CharEdges(line));
}

void MetricsAdvances(benchmark::State& state)
{
    const QFontMetrics metrics(MakeQFont(BenchFont(), 96));
    for (auto _ : state)
        for (const QString& line : QLines()) {
            int right = 0;
            for (const QChar ch : line) right += metrics.horizontalAdvance(ch);
            benchmark::DoNotOptimize(right);
        }
}

BENCHMARK(CanvasText)->Unit(benchmark::kMillisecond);
BENCHMARK(PainterText)->Unit(benchmark::kMillisecond);
BENCHMARK(CanvasEdges)->Unit(benchmark::kMillisecond);
BENCHMARK(MetricsAdvances)->Unit(benchmark::kMillisecond);

VKT_BENCH_RATIO(CanvasText, PainterText, 1.3);
VKT_BENCH_RATIO(CanvasEdges, MetricsAdvances, 1.2);

// Keeps the time per iteration of each repetition for the ratios, and the failed ones.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                Failed = true;
            else if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                Times[run.run_name.function_name].push_back(run.real_accumulated_time / run.iterations);
            else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && run.iterations > 0)
                AggregateMedians[run.run_name.function_name] = run.real_accumulated_time / run.iterations;
        }
    }
    // ours / theirs: the median of the ratios of their runs taken in turn (one disturbed run does not
    // decide a pair); with only aggregates reported, the ratio of their medians. 0 when a side is
    // missing.
    double Ratio(const std::string& ours, const std::string& theirs) const
    {
        const auto a = Times.find(ours);
        const auto b = Times.find(theirs);
        if (a == Times.end() || b == Times.end() || a->second.empty() || b->second.empty()) {
            const auto am = AggregateMedians.find(ours);
            const auto bm = AggregateMedians.find(theirs);
            if (am == AggregateMedians.end() || bm == AggregateMedians.end() || bm->second <= 0) return 0;
            return am->second / bm->second;
        }
        std::vector<double> ratios;
        for (std::size_t i = 0; i < std::min(a->second.size(), b->second.size()); ++i)
            if (b->second[i] > 0) ratios.push_back(a->second[i] / b->second[i]);
        return ratios.empty() ? 0 : bench::Median(ratios);
    }
    std::map<std::string, std::vector<double>> Times;
    std::map<std::string, double> AggregateMedians;
    bool Failed = false;
};

QtMessageHandler platformMessages = nullptr;

// The offscreen platform warns whenever a window's size hints change (the data screen's each time
// its editor opens or closes): a line written to the log per open, which a screen on a display does
// not pay. Other messages pass.
void QuietSizeHints(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message == QLatin1String("This plugin does not support propagateSizeHints()")) return;
    if (platformMessages) platformMessages(type, context, message);
    else std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int kept = 1;
    int rounds = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--vkt_chars=", 12) == 0)
            CharCount() = std::strtoul(argv[i] + 12, nullptr, 10);
        else if (std::strncmp(argv[i], "--vkt_rounds=", 13) == 0)
            rounds = std::max(1, std::atoi(argv[i] + 13));
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    bench::BenchOptions options;
    if (!bench::ParseBenchOptions(argc, argv, options)) return 2;
    bench::BenchContext::Get().Configure(options);
    platform::Application application(argc, argv);
    platform::SetMetafilePlayer(vkttest::BuildPlayer());
    platformMessages = qInstallMessageHandler(QuietSizeHints);
    for (const bench::ChildProgram& child : bench::ChildPrograms())
        if (std::getenv(child.Variable)) return child.Run();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    for (int round = 0; round < rounds; ++round) benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    bench::BenchContext::Get().Finish();
    std::printf("%zu characters in %zu lines\n", CharCount(), Lines().size());
    for (const bench::Ratio& ratio : bench::Ratios()) {
        const double value = reporter.Ratio(ratio.Ours, ratio.Theirs);
        if (value > 0 && ratio.Limit <= 0)
            std::printf("%s / %s: %.3g\n", ratio.Ours, ratio.Theirs, value);
        else if (value > 0)
            std::printf("%s / %s: %.3g (at most %g)%s\n", ratio.Ours, ratio.Theirs, value, ratio.Limit,
                        value <= ratio.Limit ? "" : "  MISSED");
    }
    return reporter.Failed ? 1 : 0;
}
