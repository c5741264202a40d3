// The batch set-up dialogs and wizards on the sample kitchen database: the class change tree, the
// attribute lists with the three states, the key-field change with 食材/肉類/牛肉 and a dealer, and
// each page of the stock-taking, use-unit (g → kg) and yearly-history wizards.
#include "database/Uvktobject.h"
#include "dialogs/Fappendinventorydialog.h"
#include "dialogs/Fattributechangedialog.h"
#include "dialogs/Fclasschangedialog.h"
#include "dialogs/Fdatapropertychangedialog.h"
#include "dialogs/Finventorydialog.h"
#include "dialogs/Fmhisttoyhistdialog.h"
#include "dialogs/Fuseunitchangedialog.h"
#include "platform/Currency.h"
#include "screens/Fclassbar.h"
#include "screens/Fclassview.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>
#include <vector>

namespace {

using vkttest::SampleDatabase;

SampleDatabase& Sample()
{
    static std::vector<std::unique_ptr<SampleDatabase>> samples;
    samples.push_back(std::make_unique<SampleDatabase>());
    SampleDatabase& db = *samples.back();
    db.Object().AddDealer("築地の問屋");
    db.Object().AddAttrItem("有機栽培");
    return db;
}

void Pick(QComboBox* list, int index)
{
    list->setCurrentIndex(index);
    emit list->activated(index);
}

QWidget* Attributes()
{
    auto* dialog = new TAttributeChangeDialog;
    dialog->SetDataObject(&Sample().Object());
    dialog->Prepare({});
    QTreeWidget* from = dialog->GetListView1();
    QTreeWidget* to = dialog->GetListView2();
    // 国産 unchecked, 有機 checked, 有機栽培 left as it is; 冷凍 stays registered.
    for (int state : {1, 2, 0}) {
        from->setCurrentItem(from->topLevelItem(state == 0 ? 1 : 0));
        dialog->GetBtnAdd()->click();
        to->setCurrentItem(to->topLevelItem(to->topLevelItemCount() - 1));
        (state == 2 ? dialog->GetBtnTrue() : state == 1 ? dialog->GetBtnFalse() : dialog->GetBtnDisable())->click();
    }
    to->setCurrentItem(to->topLevelItem(1));
    return dialog;
}

template <class W>
W* Wizard(int page)
{
    auto* wizard = new W;
    wizard->SetDataObject(&Sample().Object());
    wizard->ShowPage(page);
    return wizard;
}

} // namespace

VKT_SNAPSHOT(batch_classchange)
{
    auto* dialog = new TClassChangeDialog;
    dialog->SetDataObject(&Sample().Object());
    dialog->GetClassView()->SelectID(SampleDatabase::kBeef);
    dialog->UpdateActions();
    return dialog;
}

VKT_SNAPSHOT(batch_attributechange) { return Attributes(); }

VKT_SNAPSHOT(batch_datapropertychange)
{
    auto* dialog = new TDataPropertyChangeDialog;
    dialog->SetDataObject(&Sample().Object());
    dialog->Prepare(1, {});
    TClassBar* bar = dialog->GetCBClass();
    Pick(bar->GetDropDown(), bar->FindItem(SampleDatabase::kBeef));
    dialog->GetCBInvItem()->click();
    QComboBox* units = dialog->GetList(TDataPropertyChangeDialog::tagUseUnit);
    Pick(units, units->findText(QStringLiteral("キログラム")));
    QComboBox* dealers = dialog->GetList(TDataPropertyChangeDialog::tagDealer);
    Pick(dealers, dealers->findText(QStringLiteral("築地の問屋")));
    return dialog;
}

VKT_SNAPSHOT(batch_inventory_start) { return Wizard<TInventoryDialog>(0); }

VKT_SNAPSHOT(batch_inventory_create)
{
    auto* wizard = new TInventoryDialog;
    wizard->SetDataObject(&Sample().Object());
    wizard->SetMonth(static_cast<int>(platform::EncodeDate(2024, 4, 1)));
    wizard->ShowPage(1);
    wizard->GetCBPriceType()->setCurrentIndex(3);
    return wizard;
}

VKT_SNAPSHOT(batch_appendinventory_start) { return Wizard<TAppendInventoryDialog>(0); }

VKT_SNAPSHOT(batch_appendinventory_choose)
{
    auto* wizard = Wizard<TAppendInventoryDialog>(1);
    Pick(wizard->GetInvDateList(), 0);
    return wizard;
}

VKT_SNAPSHOT(batch_useunit_start)
{
    auto* wizard = new TUseUnitChangeDialog;
    wizard->SetDataObject(&Sample().Object());
    wizard->Prepare(5, 6);
    return wizard;
}

VKT_SNAPSHOT(batch_useunit_rate)
{
    auto* wizard = new TUseUnitChangeDialog;
    wizard->SetDataObject(&Sample().Object());
    wizard->Prepare(5, 6);
    wizard->ShowPage(1);
    wizard->GetUnitRateEdit()->setText(QStringLiteral("1000"));
    return wizard;
}

VKT_SNAPSHOT(batch_yearlyhistory_start)
{
    auto* wizard = new TMHistToYHistDialog;
    wizard->SetDataObject(&Sample().Object());
    wizard->Prepare();
    return wizard;
}

VKT_SNAPSHOT(batch_yearlyhistory_month)
{
    SampleDatabase& db = Sample();
    db.Object().SetMHistoryPrice(db.Record("玉ねぎ"), platform::EncodeDate(2024, 2, 10),
                                 platform::Currency::FromDouble(250));
    auto* wizard = new TMHistToYHistDialog;
    wizard->SetDataObject(&db.Object());
    wizard->Prepare();
    wizard->ShowPage(1);
    QComboBox* months = wizard->GetMHistDateList();
    Pick(months, months->count() - 1);
    wizard->GetCBDeleteMHist()->setChecked(true);
    return wizard;
}
