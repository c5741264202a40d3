// The page view against plain Qt: rebuilding and painting a page of 1 000 items (a rectangle, a
// short text and a dotted inverting frame each) at 100 % and 400 %, and printing 50 pages of 20
// items through the PDF printer, each against QPainter drawing the same primitives on a QImage of
// the client's size or a QPdfWriter.
#include "BenchRatio.h"

#include "gui/QtSupport.h"
#include "layout/Pageview.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace {

constexpr int kItems = 1000;
constexpr int kPages = 50;

// Every item but the page: a box and its number.
void DrawItem(TPageView*, TViewItem* item, int x, int y, TRect r, int, platform::Canvas& canvas, int, int, bool)
{
    if (!item->GetParent())
        return;
    const TRect box{r.Left + x, r.Top + y, r.Right + x, r.Bottom + y};
    canvas.FillRect(box, 0xE0F0FF);
    canvas.SetBrush({0, true});
    canvas.TextOut(box.Left + 2, box.Top + 2, "項目 " + std::to_string(item->GetIndex()));
}

// A shown view of 800 × 600 with 1 000 items in a 25 × 40 grid over the page.
std::unique_ptr<TPageView> MakeView(int scale)
{
    auto view = std::make_unique<TPageView>();
    view->resize(800, 600);
    view->OnDrawItem = DrawItem;
    for (int i = 0; i < kItems; ++i) {
        TViewItem* item = view->AddItem(nullptr, nullptr);
        item->SetMMBoundRect_({1000 + i % 25 * 750, 1000 + i / 25 * 680, 1650 + i % 25 * 750, 1600 + i / 25 * 680});
    }
    view->show();
    QApplication::processEvents();
    if (scale != 0)
        view->SetScale_(scale);
    return view;
}

// The same primitives by plain QPainter: background, paper, boxes, texts, dotted inverting frames.
void PlainPage(QImage& buffer, double pixelsPerMM, QPoint origin)
{
    QPainter painter(&buffer);
    painter.fillRect(buffer.rect(), Qt::darkGray);
    painter.fillRect(QRect(origin, QSize(int(21000 * pixelsPerMM), int(29700 * pixelsPerMM))), Qt::white);
    painter.setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    for (int i = 0; i < kItems; ++i) {
        const QRect box(origin.x() + int((1000 + i % 25 * 750) * pixelsPerMM),
                        origin.y() + int((1000 + i / 25 * 680) * pixelsPerMM), int(650 * pixelsPerMM),
                        int(600 * pixelsPerMM));
        painter.fillRect(box, QColor(0xFF, 0xF0, 0xE0));
        painter.drawText(box.topLeft() + QPoint(2, 12), QStringLiteral("項目 ") + QString::number(i));
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

void PageViewRedrawPaint(benchmark::State& state)
{
    auto view = MakeView(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        view->Redraw();
        view->viewport()->repaint();
    }
}

void QPainterPage(benchmark::State& state)
{
    QImage buffer(800, 600, QImage::Format_RGB32);
    QImage screen(800, 600, QImage::Format_RGB32);
    const double pixelsPerMM = 96 / 2540.0 * state.range(0) / 10000.0;
    for (auto _ : state) {
        PlainPage(buffer, pixelsPerMM, QPoint(state.range(0) > 10000 ? -300 : 10, 10));
        QPainter(&screen).drawImage(0, 0, buffer);
    }
}

void PageViewPrintPdf(benchmark::State& state)
{
    QTemporaryDir dir;
    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    devices.push_back(std::make_unique<TPdfPrinterDevice>(dir.filePath(QStringLiteral("p.pdf")).toStdString()));
    SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 0));
    TPageView view;
    view.OnDrawItem = DrawItem;
    for (int i = 0; i < kPages * 20; ++i) {
        TViewItem* item = view.AddItem(nullptr, nullptr);
        item->SetMMBoundRect_({1000 + i % 20 * 900, 2000 + i % 20 * 1200, 1800 + i % 20 * 900, 3000 + i % 20 * 1200});
        item->SetDrawPage({i / 20 + 1, i / 20 + 1});
    }
    for (auto _ : state)
        view.DrawPrinter("bench", 1, 0, 0, 0);
    SetPrinterObject(nullptr);
}

void QPdfWriterPages(benchmark::State& state)
{
    QTemporaryDir dir;
    for (auto _ : state) {
        QPdfWriter writer(dir.filePath(QStringLiteral("q.pdf")));
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        painter.setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
        const double pixelsPerMM = 600 / 2540.0;
        for (int page = 0; page < kPages; ++page) {
            if (page > 0)
                writer.newPage();
            for (int i = 0; i < 20; ++i) {
                const QRect box(int((1000 + i * 900) * pixelsPerMM), int((2000 + i * 1200) * pixelsPerMM),
                                int(800 * pixelsPerMM), int(1000 * pixelsPerMM));
                painter.fillRect(box, QColor(0xFF, 0xF0, 0xE0));
                painter.drawText(box.topLeft() + QPoint(2, 80), QStringLiteral("項目 ") + QString::number(i));
            }
        }
    }
}

} // namespace

BENCHMARK(PageViewRedrawPaint)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(QPainterPage)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(PageViewPrintPdf)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(QPdfWriterPages)->Unit(benchmark::kMillisecond)->Iterations(2);
VKT_BENCH_RATIO(PageViewRedrawPaint, QPainterPage, 1.5);
VKT_BENCH_RATIO(PageViewPrintPdf, QPdfWriterPages, 1.5);
