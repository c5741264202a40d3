// The master-data dialog on each of its tabs with Japanese sample data.
#include "database/Uvktobject.h"
#include "dialogs/Fothereditdialog.h"
#include "screens/Fclassunitsedit.h"
#include "screens/Fclassview.h"
#include "screens/Fdealereditpanel.h"
#include "screens/Funitseditpanel.h"
#include "screens/Fuserfilteredit.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"
#include "support/Ids.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using F = TVktField;
using vkttest::SampleDatabase;

using vkttest::Ids;

// A sample database with French class names, a dealer with contacts and two more attribute items;
// it lives to the end of the run.
TVktObject& Sample()
{
    static std::vector<std::unique_ptr<SampleDatabase>> samples;
    samples.push_back(std::make_unique<SampleDatabase>());
    TVktObject& db = samples.back()->Object();
    const std::pair<int, const char*> french[] = {{SampleDatabase::kFoods, "Ingrédients"},
                                                   {SampleDatabase::kMeat, "Viandes"},
                                                   {SampleDatabase::kBeef, "Bœuf"}};
    for (const auto& [id, name] : french) db.EditData(F::Class2, std::string(name), Ids({id}));
    const int dealer = db.AddDealer("");
    const std::pair<F, const char*> fields[] = {{F::Company, "築地の問屋"},  {F::Dealer, "山田 太郎"},
                                                 {F::PostCode, "104-0045"},  {F::Address, "東京都中央区築地5-2-1"},
                                                 {F::Tel, "03-3541-0000"},   {F::Fax, "03-3541-0001"},
                                                 {F::EMail, "order@tsukiji.example.jp"}};
    for (const auto& [field, text] : fields) db.EditData(field, std::string(text), Ids({dealer}));
    db.AddAttrItem("有機栽培");
    db.AddAttrItem("冷凍品");
    return db;
}

TOtherEditDialog* Opened(int tab)
{
    auto* dialog = new TOtherEditDialog;
    dialog->SetDataObject(&Sample());
    dialog->SetTab(tab);
    return dialog;
}

} // namespace

VKT_SNAPSHOT(otheredit_icons) { return Opened(TOtherEditDialog::tbIcon); }

VKT_SNAPSHOT(otheredit_classes)
{
    TOtherEditDialog* dialog = Opened(TOtherEditDialog::tbClass);
    dialog->GetClassUnitsEdit()->GetClassView()->SelectID(SampleDatabase::kBeef);
    dialog->UpdateActions();
    return dialog;
}

VKT_SNAPSHOT(otheredit_forms)
{
    TOtherEditDialog* dialog = Opened(TOtherEditDialog::tbForm);
    dialog->GetClassUnitsEdit()->GetFormEditPanel()->SelectID(3);
    dialog->UpdateActions();
    return dialog;
}

VKT_SNAPSHOT(otheredit_units)
{
    TOtherEditDialog* dialog = Opened(TOtherEditDialog::tbUnit);
    dialog->GetClassUnitsEdit()->GetUnitEditPanel()->SelectID(10);
    dialog->UpdateActions();
    return dialog;
}

VKT_SNAPSHOT(otheredit_dealers)
{
    TOtherEditDialog* dialog = Opened(TOtherEditDialog::tbDealer);
    TDealerEditPanel* panel = dialog->GetDealerEditPanel();
    panel->SelectRow(panel->GetRowCount() - 1);
    dialog->UpdateActions();
    return dialog;
}

VKT_SNAPSHOT(otheredit_attributes) { return Opened(TOtherEditDialog::tbAttribute); }

VKT_SNAPSHOT(otheredit_filters)
{
    TOtherEditDialog* dialog = Opened(TOtherEditDialog::tbFilter);
    dialog->GetUserFilterEdit()->SelectFilter(SampleDatabase::kExpensiveFilter);
    dialog->UpdateActions();
    return dialog;
}
