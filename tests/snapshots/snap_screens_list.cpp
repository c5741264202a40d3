// The record list beside the side navigator on the sample kitchen database (a sorted column and a
// multi-selection), and the top navigator with its quick-filter menu open.
#include "database/Uvktobject.h"
#include "screens/Fclassfilterbar.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fdataview.h"
#include "screens/Ffilterbar.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>
#include <vector>

namespace {

using F = TVktField;

// The databases live to the end of the run: the runner deletes the widgets bound to them first.
vkttest::SampleDatabase& NewSample()
{
    static std::vector<std::unique_ptr<vkttest::SampleDatabase>> samples;
    samples.push_back(std::make_unique<vkttest::SampleDatabase>());
    return *samples.back();
}

struct TNavigatedList {
    QWidget* Window;
    TClassFilterView* Nav;
    TDataView* List;
};

// A window of the class navigator beside the record list, both bound to the sample.
TNavigatedList NavigatedList(vkttest::SampleDatabase& db, const char* title, int height)
{
    auto* window = new QWidget;
    window->setWindowTitle(QString::fromUtf8(title));
    window->resize(880, height);
    auto* row = new QHBoxLayout(window);
    row->setContentsMargins(4, 4, 4, 4);
    auto* nav = new TClassFilterView(window);
    nav->setFixedWidth(220);
    auto* list = new TDataView(window);
    row->addWidget(nav);
    row->addWidget(list, 1);
    nav->SetVktObject(&db.Object());
    list->SetVktObject(&db.Object());
    return {window, nav, list};
}

} // namespace

VKT_SNAPSHOT(screens_record_list)
{
    vkttest::SampleDatabase& db = NewSample();
    TViewFieldStruct layout;
    const std::pair<F, int> columns[] = {{F::Class, 90}, {F::Data, 130}, {F::Data2, 150}, {F::UseUnit, 70},
                                         {F::UsePrice, 90}, {F::BuyPrice, 90}};
    for (const auto& [field, width] : columns) {
        layout.GetName() << ToInt(field);
        layout.GetOrder() << (field == F::UsePrice ? 2 : 0);
        layout.GetWidth() << width;
    }
    db.Object().AddRef();
    db.Object().SaveViewFields(layout);
    db.Object().Release();

    auto [window, nav, list] = NavigatedList(db, "Record list", 380);
    nav->ShowInvDate(true);
    nav->SetSelection(vkttest::SampleDatabase::kFoods, 0, {}, {}, -1);
    window->show();
    list->SetFilter(nav->BuildFilter());
    nav->OnChange = [nav, list](TClassFilterBase*) { list->SetFilter(nav->BuildFilter()); };
    for (int marked : {1, 2, 4}) list->GetDataListView()->Select(marked);
    // Active and focused as under the user's hand, so the marks take the selection colours.
    if (QTest::qWaitForWindowExposed(window)) {
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window)) qWarning("record list: window not active");
    }
    list->GetDataListView()->GetStringGrid()->setFocus();
    return window;
}

// A class without records: the header alone, no row below it.
VKT_SNAPSHOT(screens_record_list_empty)
{
    vkttest::SampleDatabase& db = NewSample();
    auto [window, nav, list] = NavigatedList(db, "Empty record list", 240);
    nav->SetSelection(vkttest::SampleDatabase::kDairyDrink, 0, {}, {}, -1);
    window->show();
    list->SetFilter(nav->BuildFilter());
    return window;
}

VKT_SNAPSHOT(screens_top_navigator)
{
    vkttest::SampleDatabase& db = NewSample();
    auto* window = new QWidget;
    window->setWindowTitle(QStringLiteral("Top navigator"));
    auto* column = new QVBoxLayout(window);
    column->setContentsMargins(4, 4, 4, 4);
    auto* nav = new TClassFilterBar(window);
    column->addWidget(nav);
    nav->SetVktObject(&db.Object());
    nav->ShowInvDate(true);
    nav->SetSelection(vkttest::SampleDatabase::kBeef, db.OlderSheet(), {}, {}, -1);
    TPriorityItem ids;
    TPriorityItem checks;
    ids << db.Domestic() << db.Organic();
    checks << 1 << 0;
    nav->SetSelection(vkttest::SampleDatabase::kBeef, db.OlderSheet(), ids, checks, -1);

    // The open quick-filter menu, drawn where it drops down.
    QMenu* menu = nav->GetFilterBar()->GetQuickMenu();
    menu->ensurePolished();
    menu->adjustSize();
    auto* open = new QLabel(window);
    open->setPixmap(menu->grab());
    auto* below = new QHBoxLayout;
    below->setContentsMargins(0, 0, 0, 0);
    below->addSpacing(nav->GetFilterBar()->x() + 8);
    below->addWidget(open, 0, Qt::AlignTop);
    below->addStretch(1);
    column->addLayout(below, 1);
    window->resize(720, 220);
    window->show();
    below->itemAt(0)->spacerItem()->changeSize(nav->GetFilterBar()->geometry().left() + 8, 1);
    below->invalidate();
    return window;
}
