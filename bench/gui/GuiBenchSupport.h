#pragma once
// What the GUI benchmarks share besides the database: showing a widget, counting its paints, the
// plain accessor listing they are measured against, a stock-taking sheet, the shipped layouts and
// a PDF printer, a card of pictures.
#include "GuiBenchData.h"
#include "core/Uvktsupport.h"
#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Uimagecontainer.h"
#include "widgets/Uprintersupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

// A card of `count` pictures (`picture(i)`'s bytes) in a cols × rows image container filling an A4
// page of the preview at 96 pixels an inch, drawn stretched into its cells; the preview owns it.
inline TImageContainer* PictureCard(TPreview& preview, int cols, int rows, int count,
                                    const std::function<std::string(int)>& picture)
{
    platform::SetScreenPixelsPerInch(96);
    TViewItem* item = preview.AddContainer(5);
    item->SetMMBoundRect_({1000, 1000, 20000, 28700});
    auto* images = dynamic_cast<TImageContainer*>(ContainerOf(item));
    images->SetColCount(cols);
    images->SetRowCount(rows);
    images->SetDrawType(2);
    for (int i = 0; i < count; ++i)
        images->AddImage(BinToBase64(picture(i)));
    return images;
}

// Shows the widget and waits (5 s at most) until its window is exposed.
inline void ShowExposed(QWidget& widget)
{
    widget.show();
    QElapsedTimer waited;
    waited.start();
    while (!(widget.windowHandle() && widget.windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Counts the paint events of the widgets it filters.
class PaintCounter : public QObject {
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++Paints;
        return false;
    }
};

// Lists rows through a bare accessor on the database; the row count.
inline int AccesserRows(TVktObjectLink* object, TVktTable table, const TPriorityItem& fields,
                        const TPriorityItem& orders, const TFilterObject& filter)
{
    TVktAccesser accesser(object);
    accesser.BeginUpdate();
    accesser.SetTable(table);
    accesser.SetFields(fields);
    accesser.SetOrder(orders);
    accesser.SetFilter(filter);
    accesser.EndUpdate();
    return accesser.GetRowCount();
}

// The stored buy price of one record, read through a bare accessor (Empty when it has none).
inline platform::Variant StoredBuyPrice(TVktObjectLink* object, int id)
{
    TVktAccesser price(object);
    price.BeginUpdate();
    price.SetTable(TVktTable::TblData);
    price.SetFields(TPriorityItem() << static_cast<int>(TVktField::BuyPrice));
    TFilterObject one;
    one.Add(TVktField::Data_ID, foEqual, platform::Variant(id), {});
    price.SetFilter(one);
    price.EndUpdate();
    return price.GetValue(TVktField::BuyPrice);
}

// The first `count` generated ingredients (fewer at small sizes), out of the trash.
inline TFilterObject FirstIngredients(std::size_t count)
{
    const GeneratedDatabase& database = GuiBenchDatabase();
    count = std::min(count, database.IngredientIds.size());
    if (count == 0) throw std::runtime_error("The database holds no ingredients");
    TFilterObject filter;
    filter.Add(TVktField::Class_ID, foEqual, platform::Variant(database.IngredientRootClass), {});
    filter.Add(TVktField::Data_ID, foAtMost, platform::Variant(database.IngredientIds[count - 1]), {});
    filter.Add(TVktField::Erase_Key, foIsEmpty, {}, {});
    return filter;
}

// Entries of the stock-taking sheet below.
constexpr int kSheetEntries = 10000;

// The database's one stock-taking sheet, of kSheetEntries picked ingredients (fewer at small
// sizes), dated 2024-03-31 and made on first use; its date id.
inline int StockTakingSheet()
{
    static const int sheet = [] {
        TVktObject& object = GuiBenchObject();
        const platform::TDateTime date = platform::EncodeDate(2024, 3, 31);
        if (const int found = object.FindInvDate(date)) return found;
        TPriorityItem ids;
        for (int id : PickIds(GuiBenchDatabase().IngredientIds, kSheetEntries, 13)) ids << id;
        if (!object.SetInventoryEntry(0, false, ids, date, 0, nullptr))
            throw std::runtime_error("The sheet was not made");
        return object.FindInvDate(date);
    }();
    return sheet;
}

inline int StockTakingSheetRows()
{
    return std::min<int>(kSheetEntries, static_cast<int>(GuiBenchDatabase().IngredientIds.size()));
}

// Programs a benchmark starts as this binary with its variable set (a window to be closed, say):
// main runs the first whose variable is set, once the application object exists, instead of the
// benchmarks, and ends with its exit code.
struct ChildProgram {
    const char* Variable;
    int (*Run)();
};

inline std::vector<ChildProgram>& ChildPrograms()
{
    static std::vector<ChildProgram> programs;
    return programs;
}

inline bool AddChildProgram(const char* variable, int (*run)())
{
    ChildPrograms().push_back({variable, run});
    return true;
}

// A shipped layout, read from the source tree wherever the binary runs; a missing one fails the
// benchmark rather than leaving it at the program's error message.
inline std::string ShippedLayout(const char* file)
{
    const std::string path = std::string(VKT_LAYOUT_DIR) + "/" + file;
    if (!std::filesystem::is_regular_file(path)) throw std::runtime_error("No shipped layout " + path);
    return path;
}

// Installs a PDF printer writing into a temporary folder for as long as it lives.
struct PdfPrinter {
    PdfPrinter()
    {
        std::vector<std::unique_ptr<TPrinterDevice>> devices;
        devices.push_back(std::make_unique<TPdfPrinterDevice>(File().toStdString()));
        SetPrinterObject(std::make_unique<TPrinterObject>(std::move(devices), 0));
    }
    ~PdfPrinter() { SetPrinterObject(nullptr); }
    PdfPrinter(const PdfPrinter&) = delete;
    PdfPrinter& operator=(const PdfPrinter&) = delete;
    QString File() const { return dir.filePath(QStringLiteral("print.pdf")); }

    QTemporaryDir dir;
};

} // namespace bench
