// A recipe book on the generated database: the shipped recipe card (Recipe.xml) bound to the
// first ten recipes, a recipe a page (fewer at small sizes).
// - RecipeBookPrint binds, lays out and prints the book to a PDF file.
// - RecipeBookPlainPrint reads the same recipe and item rows through plain SQLite and replays the
//   pages, recorded once beforehand through the layout's own drawing, with a bare QPainter onto a
//   QPdfWriter, a picture per page.
#include "BenchRatio.h"
#include "GuiBenchData.h"
#include "GuiBenchSupport.h"
#include "PlainSqlite.h"

#include "database/Uvktobject.h"
#include "gui/PageRecording.h"
#include "layout/Preview.h"
#include "layout/Uviewitems.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"
#include "widgets/Uprintersupport.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using F = TVktField;

constexpr std::size_t kRecipes = 10;
constexpr int kDpi = 600;

// The first and last recipe of the book.
std::pair<int, int> BookRange()
{
    const std::vector<int>& ids = bench::GuiBenchDatabase().RecipeIds;
    if (ids.empty()) throw std::runtime_error("The database holds no recipes");
    return {ids.front(), ids[std::min(kRecipes, ids.size()) - 1]};
}

int BookSize() { return static_cast<int>(std::min(kRecipes, bench::GuiBenchDatabase().RecipeIds.size())); }

TFilterObject Selection()
{
    const auto [first, last] = BookRange();
    TFilterObject filter;
    filter.Add(F::Data_ID, foBetween, platform::Variant(first), platform::Variant(last));
    filter.Add(F::Erase_Key, foIsEmpty, {}, {});
    return filter;
}

// The recipe book given the selection; bound unless told otherwise.
struct RecipeBook {
    explicit RecipeBook(bool bound = true)
    {
        preview.resize(1000, 800);
        binding.SetFilter(Selection());
        preview.LoadFromFile(bench::ShippedLayout("Recipe.xml"));
        top = dynamic_cast<TVktTopContainer*>(preview.GetContainerOfName("DataTop"));
        if (!top) throw std::runtime_error("Recipe.xml has no DataTop");
        if (bound) Bind();
    }
    ~RecipeBook()
    {
        binding.Detach();
        preview.Clear();
    }

    void Bind()
    {
        binding.Attach(&bench::GuiBenchObject());
        binding.Update();
        if (top->GetRowCount() != BookSize())
            throw std::runtime_error("The book lists " + std::to_string(top->GetRowCount()) + " recipes, not " +
                                     std::to_string(BookSize()));
    }

    TPreview preview;
    TVktLayoutBinding binding{&preview};
    TVktTopContainer* top = nullptr;
};

// The book's pages recorded at 600 dpi through the layout's drawing, and the rows behind them.
struct RecordedBook {
    RecordedBook()
    {
        RecipeBook book;
        TViewItems& items = *book.preview.GetItems();
        const TViewItem& page = *items.GetPageRoot();
        const auto dots = [](int mm100) { return static_cast<int>(mm100 * static_cast<long long>(kDpi) / 2540); };
        width = dots(page.GetMMWidth_());
        height = dots(page.GetMMHeight_());
        paper = QPageSize(QSizeF(page.GetMMWidth_() / 100.0, page.GetMMHeight_() / 100.0), QPageSize::Millimeter);
        const int pageMax = book.preview.GetPageMax();
        for (int n = 1; n <= pageMax; ++n) {
            platform::PageRecorder recorder(width, height, kDpi);
            items.GetPageRoot()->Draw(recorder.GetCanvas(), 0, 0, 10000, n, pageMax, true, true);
            items.GetPrintRoot()->Draw(recorder.GetCanvas(), 0, 0, 10000, n, pageMax, true, true);
            pages.push_back(recorder.Finish());
            if (pages.back().IsEmpty()) throw std::runtime_error("Page " + std::to_string(n) + " recorded nothing");
        }
        rows = book.top->GetRowCount();
    }

    // Reads every column of the recipes and of their items with the ingredients' names.
    void ReadRows() const
    {
        const auto [first, last] = BookRange();
        bench::PlainDb db(bench::BenchContext::Get().DatabaseFile());
        const std::string data = GetTableFileName(TVktTable::TblData);
        bench::PlainStmt recipes(db, "select * from " + data + " where Data_ID between ?1 and ?2 "
                                     "order by Data");
        bench::PlainStmt items(db, "select i.*, d.Data from " + GetTableFileName(TVktTable::TblItem) + " i left join " +
                                       data + " d on d.Data_ID = i.Data_Key where i.Item_Key between ?1 and ?2 "
                                       "order by i.Item_Key, i.ItemIndex");
        std::size_t read = 0;
        int listed = 0;
        for (bench::PlainStmt* query : {&recipes, &items}) {
            query->Bind(1, first).Bind(2, last);
            while (query->Step()) {
                if (query == &recipes) ++listed;
                for (int c = 0; c < query->ColumnCount(); ++c) read += query->Text(c).size();
            }
        }
        if (listed != rows) throw std::runtime_error("SQLite read other recipes than the book");
        benchmark::DoNotOptimize(read);
    }

    // Replays the pictures a page each; QPicture scales by the device's resolution over its own,
    // which is undone.
    void Replay(const QString& file) const
    {
        QPdfWriter writer(file);
        writer.setResolution(kDpi);
        writer.setPageSize(paper);
        writer.setPageMargins({});
        QPainter painter(&writer);
        for (std::size_t n = 0; n < pages.size(); ++n) {
            if (n != 0) writer.newPage();
            const QPicture& picture = pages[n].Q();
            painter.save();
            painter.scale(static_cast<qreal>(picture.logicalDpiX()) / writer.logicalDpiX(),
                          static_cast<qreal>(picture.logicalDpiY()) / writer.logicalDpiY());
            painter.drawPicture(0, 0, picture);
            painter.restore();
        }
    }

    int width = 0;
    int height = 0;
    QPageSize paper;
    std::vector<platform::PageRecording> pages;
    int rows = 0;
};

void RecipeBookPrint(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        bench::PdfPrinter printer;
        int pages = 0;
        for (auto _ : state) {
            state.PauseTiming();
            {
                auto book = std::make_unique<RecipeBook>(false);
                state.ResumeTiming();
                book->Bind();
                pages = book->preview.GetPageMax();
                if (!book->preview.DrawPrinter("bench", 1, 0, 0, 0)) throw std::runtime_error("Printing failed");
                state.PauseTiming();
            }
            state.ResumeTiming();
        }
        if (pages != BookSize()) throw std::runtime_error("The book printed " + std::to_string(pages) + " pages");
        state.counters["pages"] = pages;
    });
}

void RecipeBookPlainPrint(benchmark::State& state)
{
    bench::Guarded(state, [&] {
        const RecordedBook book;
        QTemporaryDir dir;
        for (auto _ : state) {
            book.ReadRows();
            book.Replay(dir.filePath(QStringLiteral("plain.pdf")));
        }
        state.counters["pages"] = static_cast<double>(book.pages.size());
    });
}

BENCHMARK(RecipeBookPrint)->Unit(benchmark::kMillisecond);
BENCHMARK(RecipeBookPlainPrint)->Unit(benchmark::kMillisecond);

VKT_BENCH_RATIO(RecipeBookPrint, RecipeBookPlainPrint, 2.0);

} // namespace
