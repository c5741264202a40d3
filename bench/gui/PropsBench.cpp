// The property pages against the container calls they end in: leaving an edited cell of a
// 1 000-row, 6-column grid on the grid page, and typing 100 characters into a 20-page memo on the
// memo page, each until the page view is repainted, against the container's SetCSV or
// SetRichText of the same text followed by the same repaint.
#include "BenchRatio.h"

#include "dialogs/Fcsvedit.h"
#include "layout/Preview.h"
#include "layout/Ugridcontainer.h"
#include "layout/Umemocontainer.h"
#include "reports/Fgridproperty.h"
#include "reports/Fmemoproperty.h"
#include "richtext/Exview.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 1000;
constexpr int kCols = 6;
constexpr int kTyped = 100;

void Repaint(TPreview& preview)
{
    preview.Redraw();
    preview.viewport()->repaint();
}

// A shown document with one item of `type` filling the page.
struct Document {
    explicit Document(int type)
    {
        preview.resize(800, 600);
        TViewItem* item = preview.AddContainer(type);
        item->SetMMBoundRect_({1000, 1000, 20000, 28000});
        container = dynamic_cast<TContainer*>(item->GetObject());
        preview.show();
        QApplication::processEvents();
    }
    TPreview preview;
    TContainer* container = nullptr;
};

std::string GridText(int variant)
{
    std::string csv;
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kCols; ++c) {
            if (c) csv += ',';
            csv += r == 0 && c == 0 ? "品目" + std::to_string(variant) : "料理" + std::to_string(r * kCols + c);
        }
        csv += "\r\n";
    }
    return csv;
}

TGridContainer* MakeGrid(Document& doc)
{
    auto* grid = dynamic_cast<TGridContainer*>(doc.container);
    grid->SetColCount(kCols);
    grid->SetRowCount(kRows);
    grid->SetCSV(GridText(0));
    return grid;
}

void GridPageCellEdit(benchmark::State& state)
{
    Document doc(6);
    MakeGrid(doc);
    TGridProperty page;
    page.SetViewItem(doc.container->GetViewItem());
    int variant = 0;
    for (auto _ : state) {
        page.GetCsvEdit()->SetCell(0, 1, "品目" + std::to_string(++variant));
        page.CsvEditExit();
        Repaint(doc.preview);
    }
}

void GridSetCSV(benchmark::State& state)
{
    Document doc(6);
    TGridContainer* grid = MakeGrid(doc);
    int variant = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string text = GridText(++variant);
        state.ResumeTiming();
        grid->SetCSV(text);
        Repaint(doc.preview);
    }
}

// The RTF of a memo of about 20 pages (of the generated text's size: the smoke run's is small).
std::string LongMemo()
{
    std::string text;
    const int lines = std::max(static_cast<int>(bench::TextChars() / 220), 10);
    for (int line = 0; line < lines; ++line) text += "本日の献立その" + std::to_string(line) + "：筍ご飯と若竹煮\n";
    TExView writer;
    writer.SetText(text);
    std::ostringstream rtf;
    writer.GetEditor()->SaveToRichStream(rtf);
    return rtf.str();
}

void Type(TExView& view, int i)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A + i % 26, Qt::NoModifier, QString(QChar('a' + i % 26)));
    QApplication::sendEvent(&view, &press);
}

void MemoPageTyping(benchmark::State& state)
{
    const std::string memo = LongMemo();
    for (auto _ : state) {
        state.PauseTiming();
        Document doc(3);
        dynamic_cast<TMemoContainer*>(doc.container)->SetRichText(memo);
        TMemoProperty page;
        page.SetViewItem(doc.container->GetViewItem());
        page.GetExView()->setFocus();
        state.ResumeTiming();
        for (int i = 0; i < kTyped; ++i) {
            Type(*page.GetExView(), i);
            Repaint(doc.preview);
        }
    }
}

void MemoSetRichText(benchmark::State& state)
{
    const std::string memo = LongMemo();
    // The memo after each typed character.
    std::vector<std::string> steps;
    {
        TExView view;
        std::istringstream in(memo);
        view.GetEditor()->LoadFromRichStream(in);
        view.GetEditor()->SetCaret(0);
        for (int i = 0; i < kTyped; ++i) {
            Type(view, i);
            std::ostringstream out;
            view.GetEditor()->SaveToRichStream(out);
            steps.push_back(out.str());
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        Document doc(3);
        auto* container = dynamic_cast<TMemoContainer*>(doc.container);
        container->SetRichText(memo);
        state.ResumeTiming();
        for (const std::string& step : steps) {
            container->SetRichText(step);
            Repaint(doc.preview);
        }
    }
}

} // namespace

BENCHMARK(GridPageCellEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(GridSetCSV)->Unit(benchmark::kMillisecond);
BENCHMARK(MemoPageTyping)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(MemoSetRichText)->Unit(benchmark::kMillisecond)->Iterations(2);
VKT_BENCH_RATIO(GridPageCellEdit, GridSetCSV, 1.5);
VKT_BENCH_RATIO(MemoPageTyping, MemoSetRichText, 1.5);
