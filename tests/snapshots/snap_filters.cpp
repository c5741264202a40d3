// The field selectors and the filter editors on the sample kitchen database: the field select
// dialog, the condition dialog on each kind of value, the user filter page and the CSV choice.
#include "database/Uvktobject.h"
#include "dialogs/Ffieldselectdialog.h"
#include "platform/DateTime.h"
#include "platform/StringList.h"
#include "richtext/Exview.h"
#include "screens/Ffieldselector.h"
#include "screens/Ffilterbuilder.h"
#include "screens/Ffiltereditdialog.h"
#include "screens/Fgridedit.h"
#include "screens/Fuserfilteredit.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"
#include "widgets/Fstatelistview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

using F = TVktField;
using platform::Variant;

vkttest::SampleDatabase& Sample()
{
    static std::vector<std::unique_ptr<vkttest::SampleDatabase>> samples;
    samples.push_back(std::make_unique<vkttest::SampleDatabase>());
    return *samples.back();
}

TFilterEditDialog* Condition(F field)
{
    auto* dialog = new TFilterEditDialog;
    dialog->GetLabel()->setText(
        QString::fromStdString("項目 '" + GetFieldCaption(field) + "' のフィルターに設定する条件"));
    return dialog;
}

} // namespace

VKT_SNAPSHOT(fieldselect_dialog)
{
    vkttest::SampleDatabase& db = Sample();
    auto* dialog = new TFieldSelectDialog;
    dialog->FillFields();
    dialog->Prepare(&db.Object());
    TStateListView* list = dialog->GetFieldSelector()->GetStateListView();
    list->GetListView()->setCurrentItem(list->ItemOfId(ToInt(F::BuyPrice)));
    list->SetSelectedState(3);
    return dialog;
}

VKT_SNAPSHOT(filteredit_unitlist)
{
    auto* dialog = Condition(F::UseUnit_Key);
    platform::StringList units;
    for (auto [name, id] : {std::pair{"グラム", 5}, std::pair{"キログラム", 6}, std::pair{"本", 25}})
        units.AddObject(name, reinterpret_cast<void*>(static_cast<std::intptr_t>(id)));
    TFilterBuilder* b = dialog->GetFilterBuilder();
    b->ShowListPanel(units);
    b->SetBeginCode(1);
    b->SetBeginValue(6);
    return dialog;
}

VKT_SNAPSHOT(filteredit_daterange)
{
    auto* dialog = Condition(F::MHistoryDate);
    TFilterBuilder* b = dialog->GetFilterBuilder();
    b->ShowDatePanel();
    b->SetBeginCode(6);
    b->SetBeginValue(Variant::FromDateTime(platform::EncodeDate(2024, 3, 1)));
    b->SetEndCode(4);
    b->SetEndValue(Variant::FromDateTime(platform::EncodeDate(2024, 4, 30)));
    return dialog;
}

VKT_SNAPSHOT(filteredit_floatrange)
{
    auto* dialog = Condition(F::BuyPrice);
    TFilterBuilder* b = dialog->GetFilterBuilder();
    b->ShowFloatPanel();
    b->SetBeginCode(6);
    b->SetBeginValue(1000.0);
    b->SetEndCode(5);
    b->SetEndValue(12800.5);
    return dialog;
}

VKT_SNAPSHOT(filteredit_french)
{
    auto* dialog = Condition(F::Data2);
    TFilterBuilder* b = dialog->GetFilterBuilder();
    b->ShowEuroStringPanel();
    b->SetBeginCode(4);
    b->SetBeginValue(std::string("Bœuf à la crème"));
    return dialog;
}

VKT_SNAPSHOT(filteredit_bool)
{
    auto* dialog = Condition(F::InvItem);
    TFilterBuilder* b = dialog->GetFilterBuilder();
    b->ShowBoolPanel();
    b->GetCBBool()->setChecked(true);
    return dialog;
}

VKT_SNAPSHOT(userfilter_edit)
{
    vkttest::SampleDatabase& db = Sample();
    TVktObject& object = db.Object();
    const int dealer = object.AddDealer("築地の問屋");
    TFilterObject filter = object.GetFilterSet().GetItem(vkttest::SampleDatabase::kExpensiveFilter);
    filter.Add(F::Data, foContains, std::string("和牛サーロイン"), {});
    filter.Add(F::Data2, foContains, std::string("Bœuf"), {});
    filter.Add(F::UseUnit_Key, foEqual, 5, {});
    filter.Add(F::Dealer_Key, foEqual, dealer, {});
    filter.Add(F::InvDate_Key, foNotEqual, db.NewerSheet(), {});
    object.GetFilterSet().SetItem(vkttest::SampleDatabase::kExpensiveFilter, filter);
    auto* page = new TUserFilterEdit(nullptr);
    page->resize(620, 560);
    page->SetVktObject(&object);
    // The rows from the unit field on: the unit, dealer and month conditions in view.
    QTimer::singleShot(0, page, [page] { page->GetFieldList()->GetStringGrid()->scrollToBottom(); });
    return page;
}

VKT_SNAPSHOT(csv_fieldselector)
{
    auto* selector = new TCsvFieldSelector;
    selector->GetRBFoodFamily()->click();
    TStateListView* list = selector->GetFieldSelector()->GetStateListView();
    for (F field : {F::Data, F::BuyPrice, F::Dealer_Key}) {
        list->GetListView()->setCurrentItem(list->ItemOfId(ToInt(field)));
        selector->GetBtnShow()->click();
    }
    return selector;
}
