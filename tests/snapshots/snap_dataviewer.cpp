// The data screen over the sample kitchen database: the record list above and the record editor
// below, side by side and compact, for an ingredient, a recipe and a menu with French names and
// descriptions; a record in the trash; the stock-taking sheet of one month.
#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "platform/DateTime.h"
#include "screens/Fdataeditor.h"
#include "screens/Fdataview.h"
#include "screens/Fdataviewer.h"
#include "screens/Fdatalistview.h"
#include "screens/Fdetaileditpanel.h"
#include "screens/Finventoryview.h"
#include "screens/Fkerneleditpanel.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"
#include "support/Ids.h"

#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <string>
#include <utility>

namespace {

using F = TVktField;
using platform::EncodeDate;
using platform::Variant;

using vkttest::Ids;

// The sample database with descriptions, a dated creation and a stock-taking month; kept to the
// end of the run (the runner deletes the widgets bound to it first).
vkttest::SampleDatabase& Kitchen()
{
    static std::unique_ptr<vkttest::SampleDatabase> sample;
    if (sample) return *sample;
    platform::SetFixedNow(EncodeDate(2024, 5, 20) + 0.4);
    sample = std::make_unique<vkttest::SampleDatabase>();
    TVktObject& db = sample->Object();
    const std::pair<const char*, std::pair<const char*, const char*>> texts[] = {
        {"和牛サーロイン", {"A5等級の黒毛和牛。脂の甘みが強い。", "Boeuf noir japonais de qualite A5"}},
        {"デミグラスソース", {"三日かけて煮詰める店の基本ソース。", "Sauce brune reduite pendant trois jours"}},
        {"和牛のステーキ", {"サーロインを炭火で焼き、デミグラスを添える。", "Aloyau grille au charbon, sauce demi-glace"}},
        {"春の宴コース", {"歓送迎会向けの春のおまかせコース。", "Menu de saison pour les banquets de printemps"}},
        {"牛ヒレ肉", {"仕入れ先の変更により使用中止。", "Retire de la carte"}},
    };
    for (const auto& [name, text] : texts) {
        const TPriorityItem id = Ids({sample->Record(name)});
        db.EditData(F::Information, Variant(std::string(text.first)), id);
        db.EditData(F::Information2, Variant(std::string(text.second)), id);
    }

    // May's sheet: the counted goods at round stock prices with what was left.
    struct Count {
        const char* name;
        double price;
        double remained;
    };
    const Count counts[] = {
        {"和牛サーロイン", 12800, 2.35}, {"豚バラ肉", 1980, 4.5}, {"鶏もも肉", 1280, 6},
        {"真鯛", 3600, 3},             {"玉ねぎ", 250, 12.75},
    };
    TPriorityItem counted;
    for (const Count& count : counts) counted << sample->Record(count.name);
    db.SetInventoryEntry(0, false, counted, EncodeDate(2024, 5, 31), 0, nullptr);
    const int sheet = db.FindInvDate(EncodeDate(2024, 5, 31));
    for (const Count& count : counts) {
        const TPriorityItem key = Ids({sample->Record(count.name), sheet});
        db.EditData(F::InvPrice, Variant(count.price), key);
        db.EditData(F::Remained, Variant(count.remained), key);
    }
    platform::SetClock({});
    return *sample;
}

// Shows the window active, as under the user's hand.
void Activate(QWidget* window, const char* what)
{
    window->show();
    if (QTest::qWaitForWindowExposed(window)) {
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window)) qWarning("%s: window not active", what);
    }
}

// The data screen listing `filter` with `record` opened from the list.
QWidget* DataScreen(const char* title, const TFilterObject& filter, const char* record, bool compact)
{
    vkttest::SampleDatabase& sample = Kitchen();
    auto* window = new QWidget;
    window->setWindowTitle(QString::fromUtf8(title));
    window->resize(820, 520);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* viewer = new TDataViewer(window);
    layout->addWidget(viewer);
    viewer->SetVktObject(&sample.Object());
    viewer->GetDataView()->SetOnOpenData([viewer](TDataListView*, int id) { viewer->EditData(id); });
    Activate(window, title);
    viewer->GetDataView()->SetFilter(filter);
    if (compact) viewer->GetDataEditor()->ShowCompact();

    const int id = sample.Record(record);
    TDataListView* list = viewer->GetDataView()->GetDataListView();
    const TGridRows& rows = list->GetRows();
    for (int row = 0; row < rows.GetCount(); ++row)
        if (rows.GetID(row) == id) list->Select(row);
    if (list->OnOpenData) list->OnOpenData(list, id);
    list->GetStringGrid()->setFocus();
    return window;
}

TFilterObject ClassFilter(int classId)
{
    TFilterObject filter;
    filter.Add(F::Class_ID, foEqual, classId, {});
    filter.Add(F::Erase_Key, foIsEmpty, {}, {});
    return filter;
}

} // namespace

VKT_SNAPSHOT(dataviewer_ingredient)
{
    return DataScreen("Ingredient", ClassFilter(vkttest::SampleDatabase::kMeat), "和牛サーロイン", false);
}

VKT_SNAPSHOT(dataviewer_ingredient_compact)
{
    return DataScreen("Ingredient, compact", ClassFilter(vkttest::SampleDatabase::kMeat), "和牛サーロイン", true);
}

VKT_SNAPSHOT(dataviewer_recipe)
{
    return DataScreen("Recipe", ClassFilter(vkttest::SampleDatabase::kMeatDish), "和牛のステーキ", false);
}

VKT_SNAPSHOT(dataviewer_recipe_compact)
{
    return DataScreen("Recipe, compact", ClassFilter(vkttest::SampleDatabase::kMeatDish), "和牛のステーキ", true);
}

VKT_SNAPSHOT(dataviewer_menu)
{
    return DataScreen("Menu", ClassFilter(vkttest::SampleDatabase::kBanquet), "春の宴コース", false);
}

VKT_SNAPSHOT(dataviewer_menu_compact)
{
    return DataScreen("Menu, compact", ClassFilter(vkttest::SampleDatabase::kBanquet), "春の宴コース", true);
}

VKT_SNAPSHOT(dataviewer_trashed)
{
    TFilterObject trash;
    trash.Add(F::Erase_Key, foIsNotEmpty, {}, {});
    return DataScreen("Trashed record", trash, "牛ヒレ肉", false);
}

VKT_SNAPSHOT(dataviewer_stocktaking)
{
    vkttest::SampleDatabase& sample = Kitchen();
    auto* window = new QWidget;
    window->setWindowTitle(QStringLiteral("Stock-taking"));
    window->resize(760, 260);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* view = new TInventoryView(window);
    layout->addWidget(view);
    view->SetVktObject(&sample.Object());
    Activate(window, "stock-taking");
    TFilterObject filter;
    filter.Add(F::Class_ID, foEqual, vkttest::SampleDatabase::kFoods, {});
    filter.Add(F::InvDate_Key, foEqual, sample.Object().FindInvDate(EncodeDate(2024, 5, 31)), {});
    view->SetFilter(filter);
    view->GetInvListView()->GetStringGrid()->setFocus();
    return window;
}
