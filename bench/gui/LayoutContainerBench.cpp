// The layout containers against plain Qt: a 500-record grid filling an A4 page in two paragraphs
// of six columns, drawn into a view-sized image at 100 % and 400 % (the paint after a change, then
// a repaint of the unchanged grid), and 50 pages of a layout with every container type printed
// through the PDF printer; each against QPainter drawing the same rectangles, lines and texts on
// the same device.
#include "BenchRatio.h"

#include "core/Uvktsupport.h"
#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Uchartcontainer.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Ugridcontainer.h"
#include "layout/Uimagecontainer.h"
#include "layout/Utextcontainer.h"
#include "platform/Bitmap.h"
#include "platform/JpegWriter.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace {

constexpr int kRecords = 500;
constexpr int kColumns = 6;
constexpr int kPages = 50;
constexpr TRect kGridMM{1000, 1000, 20000, 28700};   // the A4 paper less 10 mm
const QSize kViewSize(1000, 800);

std::string Cell(int row, int col)
{
    static const char* const names[] = {"玉ねぎ", "にんじん", "じゃがいも", "牛肉", "豚肉", "鶏もも", "米", "味噌"};
    return col == 0 ? std::string(names[row % 8]) + std::to_string(row) : std::to_string((row + 1) * (col + 3) % 997);
}

// The grid: 250 one-millimetre rows in each of two paragraphs, hairlines, alternating colours.
struct GridLayout {
    GridLayout()
    {
        TViewItem* item = preview.AddContainer(6);
        item->SetMMBoundRect_(kGridMM);
        grid = dynamic_cast<TGridContainer*>(ContainerOf(item));
        grid->BeginUpdate();
        grid->SetColCount(kColumns);
        grid->SetRowCount(kRecords);
        grid->SetParagraph(2);
        grid->SetParaGap(50);
        grid->SetRowHeight(10);
        grid->SetRowGap(0);
        grid->SetLineWidth(1);
        grid->SetTitles("品名,単価,数量,金額,仕入,備考");
        grid->SetTitleWidths([] { TPriorityItem w; for (int i = 0; i < kColumns; ++i) w << 150; return w; }());
        grid->SetTitleColor(0xE0E0E0);
        grid->SetRowColor2(0xF4F0E8);
        std::string csv;
        for (int r = 0; r < kRecords; ++r)
            for (int c = 0; c < kColumns; ++c)
                csv += Cell(r, c) + (c + 1 < kColumns ? "," : "\n");
        grid->SetCSV(csv);
        grid->EndUpdate();
    }
    TPreview preview;
    TGridContainer* grid = nullptr;
};

int Px(int mm, int scale) { return static_cast<int>(mm * 96 / 2540.0 * scale / 10000.0); }

TRect GridPixels(int scale)
{
    return {Px(kGridMM.Left, scale), Px(kGridMM.Top, scale), Px(kGridMM.Right, scale), Px(kGridMM.Bottom, scale)};
}

// The item's left top at the view's (10, 10).
void DrawGrid(benchmark::State& state, int scale, bool cached)
{
    GridLayout layout;
    if (layout.grid->GetPageMax() != 1) {
        state.SkipWithError("the grid does not fit one page");
        return;
    }
    QImage device(kViewSize, QImage::Format_RGB32);
    QPainter painter(&device);
    platform::QtCanvas canvas(painter, 96, 96, platform::CanvasKind::Image);
    const TRect rect = GridPixels(scale);
    for (auto _ : state) {
        if (!cached)
            layout.grid->DoChange();
        painter.fillRect(device.rect(), Qt::white);
        layout.grid->Draw(10 - rect.Left, 10 - rect.Top, rect, scale, canvas, 1, 1, false);
    }
}

// The same cells by QPainter: per paragraph a title line and 250 record lines, each cell filled,
// framed and written.
void PainterGrid(benchmark::State& state, int scale)
{
    QImage device(kViewSize, QImage::Format_RGB32);
    QPainter painter(&device);
    const TRect rect = GridPixels(scale);
    const double pxPerMM = 96 / 25.4 * scale / 10000.0;
    const int paragraphWidth = (rect.Width() - static_cast<int>(5 * pxPerMM)) / 2;
    const int cellWidth = static_cast<int>(15 * pxPerMM);
    const int lines = kRecords / 2 + 1;
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(std::max(1, static_cast<int>(0.8 * pxPerMM)));
    const QString titles[kColumns] = {"品名", "単価", "数量", "金額", "仕入", "備考"};
    for (auto _ : state) {
        painter.fillRect(device.rect(), Qt::white);
        painter.setFont(font);
        painter.setPen(QPen(QColor(128, 128, 128), 1));
        for (int p = 0; p < 2; ++p)
            for (int line = 0; line < lines; ++line) {
                const int top = 10 + static_cast<int>(line * 1.1 * pxPerMM);
                const int bottom = 10 + static_cast<int>((line + 1) * 1.1 * pxPerMM);
                const int record = p * (lines - 1) + line - 1;
                for (int c = 0; c < kColumns; ++c) {
                    const QRect cell(10 + p * (paragraphWidth + static_cast<int>(5 * pxPerMM)) + c * cellWidth, top,
                                     cellWidth, bottom - top);
                    painter.fillRect(cell, line == 0 ? QColor(0xE0, 0xE0, 0xE0)
                                           : record % 2 ? QColor(0xE8, 0xF0, 0xF4)
                                                        : QColor(Qt::white));
                    painter.drawRect(cell);
                    painter.drawText(cell.adjusted(1, 0, 0, 0), Qt::AlignLeft | Qt::AlignBottom,
                                     line == 0 ? titles[c] : QString::fromStdString(Cell(record, c)));
                }
            }
    }
}

void LayoutGridBuild100(benchmark::State& state) { DrawGrid(state, 10000, false); }
void LayoutGridCached100(benchmark::State& state) { DrawGrid(state, 10000, true); }
void PainterGrid100(benchmark::State& state) { PainterGrid(state, 10000); }
void LayoutGridBuild400(benchmark::State& state) { DrawGrid(state, 40000, false); }
void LayoutGridCached400(benchmark::State& state) { DrawGrid(state, 40000, true); }
void PainterGrid400(benchmark::State& state) { PainterGrid(state, 40000); }

// A page of every container type; the grid pages five records at a time over 50 pages.
void BuildPages(TPreview& preview)
{
    const auto add = [&](int type, TRect mm) {
        preview.SetSelected(nullptr);
        TViewItem* item = preview.AddContainer(type);
        item->SetMMBoundRect_(mm);
        return ContainerOf(item);
    };
    auto* title = dynamic_cast<TTextContainer*>(add(2, {2000, 1500, 19000, 3000}));
    title->SetText("原価表 Cost");
    title->SetFontSize(160);
    title->SetTextBrushColor(0xE0F0FF);
    auto* page = dynamic_cast<TTextContainer*>(add(2, {14000, 3200, 19000, 4200}));
    page->SetTextType(1);
    page->SetHorzAlign(2);
    auto* turned = dynamic_cast<TTextContainer*>(add(2, {2000, 3200, 9000, 6200}));
    turned->SetText("回転");
    turned->SetTextAngle(450);
    turned->SetFontSize(240);
    for (int i = 0; i < 4; ++i) {
        auto* g = dynamic_cast<TGraphicContainer*>(add(4, {2000 + i * 3000, 6500, 4500 + i * 3000, 8500}));
        g->SetGraphicType(i == 3 ? 10 : i);
        g->SetLineWidth(5);
        g->SetBrushColor(0xFFE0C0);
    }
    auto* image = dynamic_cast<TImageContainer*>(add(5, {2000, 9000, 10000, 13000}));
    image->SetColCount(2);
    image->SetDrawType(2);
    image->AddImage(BinToBase64(platform::EncodeJpeg(platform::Picture(32, 24, 0x3080E0))));
    image->AddImage(BinToBase64(platform::EncodeBmp(platform::Picture(16, 16, 0x2060C0))));
    auto* chart = dynamic_cast<TChartContainer*>(add(7, {11000, 9000, 19000, 13000}));
    chart->SetGraphCount(1);
    TSeriesStruct series = chart->GetData(0);
    series.Kind = 2;
    series.Title = "単価";
    for (int i = 0; i < 5; ++i)
        series.Add(i, 10 + i * 7, "");
    chart->SetData(0, series);
    auto* grid = dynamic_cast<TGridContainer*>(add(6, {2000, 13500, 19000, 21000}));
    grid->SetRowCount(kPages * 5);
    grid->SetColCount(3);
    grid->SetVisibleRowCount(5);
    grid->SetTitles("品名,単価,数量");
    std::string csv;
    for (int r = 0; r < kPages * 5; ++r)
        csv += Cell(r, 0) + "," + Cell(r, 1) + "," + Cell(r, 2) + "\n";
    grid->SetCSV(csv);
    auto* protect = dynamic_cast<TTextContainer*>(add(2, {2000, 21500, 19000, 27500}));
    protect->SetTextType(3);
    protect->SetText("社外秘");
}

void LayoutPrintPdf(benchmark::State& state)
{
    QTemporaryDir dir;
    std::vector<std::unique_ptr<TPrinterDevice>> devices;
    devices.push_back(std::make_unique<TPdfPrinterDevice>(dir.filePath(QStringLiteral("p.pdf")).toStdString()));
    SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 0));
    {
        TPreview preview;
        BuildPages(preview);
        if (preview.GetPageMax() != kPages)
            state.SkipWithError("the layout does not span 50 pages");
        for (auto _ : state)
            if (!preview.DrawPrinter("bench", 1, 0, 0, 0))
                state.SkipWithError("printing failed");
    }
    SetPrinterObject(nullptr);
}

// The same primitives on a QPdfWriter at 600 dpi: text boxes, a turned text, four shapes, two
// pictures, a bar chart with its axes and labels, five grid lines of three cells, an outlined text.
void PainterPdfPages(benchmark::State& state)
{
    QTemporaryDir dir;
    const double k = 600 / 2540.0;
    const auto r = [k](int l, int t, int rr, int b) {
        return QRect(QPoint(int(l * k), int(t * k)), QPoint(int(rr * k), int(b * k)));
    };
    QImage a(32, 24, QImage::Format_RGB32), b(16, 16, QImage::Format_RGB32);
    a.fill(QColor(0xE0, 0x80, 0x30));
    b.fill(QColor(0xC0, 0x60, 0x20));
    for (auto _ : state) {
        QPdfWriter writer(dir.filePath(QStringLiteral("q.pdf")));
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&writer);
        QFont font(QStringLiteral("Noto Sans CJK JP"));
        for (int p = 0; p < kPages; ++p) {
            if (p > 0)
                writer.newPage();
            font.setPointSize(16);
            painter.setFont(font);
            painter.fillRect(r(2000, 1500, 19000, 3000), QColor(0xFF, 0xF0, 0xE0));
            painter.drawText(r(2000, 1500, 19000, 3000), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("原価表 Cost"));
            font.setPointSize(10);
            painter.setFont(font);
            painter.drawText(r(14000, 3200, 19000, 4200), Qt::AlignRight | Qt::AlignTop,
                             QStringLiteral("- %1 / %2 -").arg(p + 1).arg(kPages));
            painter.save();
            painter.translate(r(2000, 3200, 9000, 6200).topLeft());
            painter.rotate(-45);
            font.setPointSize(24);
            painter.setFont(font);
            painter.drawText(0, 0, QStringLiteral("回転"));
            painter.restore();
            painter.setPen(QPen(Qt::black, 0.5 * 600 / 25.4));
            painter.setBrush(QColor(0xC0, 0xE0, 0xFF));
            painter.drawRect(r(2000, 6500, 4500, 8500));
            painter.drawEllipse(r(5000, 6500, 7500, 8500));
            painter.drawRoundedRect(r(8000, 6500, 10500, 8500), 40, 40);
            painter.drawLine(r(11000, 6500, 13500, 8500).topLeft(), r(11000, 6500, 13500, 8500).bottomRight());
            painter.drawImage(r(2000, 9000, 6000, 13000), a);
            painter.drawImage(r(6000, 9000, 10000, 13000), b);
            painter.setPen(QPen(Qt::black, 1));
            font.setPointSize(8);
            painter.setFont(font);
            painter.drawRect(r(11000, 9000, 19000, 13000));
            for (int i = 0; i < 5; ++i) {
                painter.fillRect(r(12500 + i * 1200, 12000 - i * 500, 13300 + i * 1200, 12500), Qt::red);
                painter.drawText(r(12500 + i * 1200, 12500, 13300 + i * 1200, 13000), Qt::AlignCenter,
                                 QString::number(i));
                painter.drawText(r(11000, 12000 - i * 700, 12400, 12500 - i * 700), Qt::AlignRight,
                                 QString::number(i * 10) + QStringLiteral(".0"));
                painter.drawLine(r(12400, 12000 - i * 700, 19000, 12000 - i * 700).topLeft(),
                                 r(12400, 12000 - i * 700, 19000, 12000 - i * 700).topRight());
            }
            font.setPointSize(10);
            painter.setFont(font);
            for (int line = 0; line < 6; ++line)
                for (int c = 0; c < 3; ++c) {
                    const QRect cell = r(2000 + c * 2000, 13500 + line * 600, 4000 + c * 2000, 14100 + line * 600);
                    painter.fillRect(cell, line == 0 ? QColor(0xE0, 0xE0, 0xE0) : QColor(Qt::white));
                    painter.drawRect(cell);
                    painter.drawText(cell, Qt::AlignLeft | Qt::AlignBottom,
                                     line == 0 ? QStringLiteral("品名")
                                               : QString::fromStdString(Cell(p * 5 + line - 1, c)));
                }
            QPainterPath path;
            font.setPixelSize(1200);
            path.addText(r(2000, 21500, 19000, 27500).bottomLeft(), font, QStringLiteral("社外秘"));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(path);
        }
    }
}

} // namespace

BENCHMARK(LayoutGridBuild100)->Unit(benchmark::kMillisecond);
BENCHMARK(LayoutGridCached100)->Unit(benchmark::kMillisecond);
BENCHMARK(PainterGrid100)->Unit(benchmark::kMillisecond);
BENCHMARK(LayoutGridBuild400)->Unit(benchmark::kMillisecond);
BENCHMARK(LayoutGridCached400)->Unit(benchmark::kMillisecond);
BENCHMARK(PainterGrid400)->Unit(benchmark::kMillisecond);
BENCHMARK(LayoutPrintPdf)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(PainterPdfPages)->Unit(benchmark::kMillisecond)->Iterations(2);
VKT_BENCH_RATIO(LayoutGridBuild100, PainterGrid100, 3);
VKT_BENCH_RATIO(LayoutGridCached100, PainterGrid100, 1.5);
VKT_BENCH_RATIO(LayoutGridBuild400, PainterGrid400, 3);
VKT_BENCH_RATIO(LayoutGridCached400, PainterGrid400, 1.5);
VKT_BENCH_RATIO(LayoutPrintPdf, PainterPdfPages, 2);
