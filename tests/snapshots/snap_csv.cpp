// The CSV editor frame and each page of the CSV import wizard on the sample kitchen database, with
// Japanese and French names: the table, the four mapping tabs with unknown names and the
// data-check table.
#include "database/Uvktobject.h"
#include "dialogs/Fcsvconvertor.h"
#include "dialogs/Fcsvedit.h"
#include "dialogs/Fcsveditor.h"
#include "dialogs/Fitemactivatepanel.h"
#include "screens/Ffieldselector.h"
#include "support/Snapshot.h"
#include "support/screens/SampleDatabase.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"

#include <QRadioButton>
#include <QTabWidget>

#include <memory>
#include <vector>

namespace {

using F = TVktField;

const char* const kTable = "鶏もも肉,食材/肉類/鶏肉,パック,kg,\"¥1,280\",築地の問屋\r\n"
                           "\"crème fraîche\",食材/乳製品,Pot,botte,\"¥980\",\"Maison \"\"Dupont\"\"\"\r\n"
                           "\"œufs frais\",\"Légumes d'été\",ケース,個,\"¥40\",\"ABC Foods\"\r\n"
                           "玉ねぎ,食材/野菜類/野菜,袋,kg,\"¥250\",築地の問屋\r\n";

vkttest::SampleDatabase& Sample()
{
    static std::vector<std::unique_ptr<vkttest::SampleDatabase>> samples;
    samples.push_back(std::make_unique<vkttest::SampleDatabase>());
    samples.back()->Object().AddDealer("築地の問屋");
    return *samples.back();
}

// A wizard with the fields chosen and the table typed, shown at `page` (3: on sub-tab `tab`).
TCsvConvertor* Wizard(int page, int tab = 0)
{
    auto* wizard = new TCsvConvertor;
    wizard->SetDataObject(&Sample().Object());
    TCsvFieldSelector* selector = wizard->GetCsvFieldSelector();
    selector->GetRBFoodFamily()->setChecked(true);
    selector->ClassTypeSelectorClick();
    TDblPriorityItem states;
    for (F f : {F::Data, F::Class_Key, F::Form_Key, F::UseUnit_Key, F::BuyPrice, F::Dealer_Key}) {
        states.Ids << static_cast<int>(f);
        states.States << 0;
    }
    selector->GetFieldSelector()->GetStateListView()->SetStates(states);
    wizard->ShowPage(0);
    for (int step = 0; step < std::min(page, 2); ++step) wizard->BtnNextClick();
    if (page >= 2) {
        wizard->GetCsvEditor()->GetCsvEdit()->SetCSV(kTable);
        wizard->GetCsvEditor()->GetCsvEdit()->SetCurrent(1, 2);
    }
    if (page >= 3) {
        wizard->BtnNextClick();
        wizard->GetPageControl1()->setCurrentIndex(tab);
    }
    if (page >= 4) {
        for (TCsvNameKind kind : kCsvNameKinds) {
            TItemActivateEdit* edit = wizard->GetActivateEdit(kind);
            while (!edit->GetItemActivatePanel()->GetNameMap().GetUnknownItems().empty())
                wizard->ItemNewClick(kind);
        }
        wizard->BtnNextClick();
    }
    if (page >= 5) wizard->BtnNextClick();
    wizard->UpdateActions();
    return wizard;
}

} // namespace

VKT_SNAPSHOT(csv_editor)
{
    auto* editor = new TCsvEditor;
    editor->resize(560, 399);
    TCsvEdit* edit = editor->GetCsvEdit();
    edit->SetFixedRows(1);
    edit->SetCSV(kTable);
    const char* header[] = {"名称", "分類", "形態", "使用単位", "購入単価", "業者"};
    for (int col = 0; col < 6; ++col) edit->SetCell(col, 0, header[col]);
    edit->SetCurrent(0, 2);
    edit->SetCurrent(1, 3, true);
    edit->Core().CommitEdit(0, 4, "玉ねぎ", "新玉ねぎ");
    editor->UpdateButtons();
    return editor;
}

VKT_SNAPSHOT(csv_wizard_start) { return Wizard(0); }
VKT_SNAPSHOT(csv_wizard_fields) { return Wizard(1); }
VKT_SNAPSHOT(csv_wizard_table) { return Wizard(2); }
VKT_SNAPSHOT(csv_wizard_classes) { return Wizard(3, 0); }
VKT_SNAPSHOT(csv_wizard_forms) { return Wizard(3, 1); }
VKT_SNAPSHOT(csv_wizard_units) { return Wizard(3, 2); }
VKT_SNAPSHOT(csv_wizard_dealers) { return Wizard(3, 3); }
VKT_SNAPSHOT(csv_wizard_check) { return Wizard(4); }
VKT_SNAPSHOT(csv_wizard_convert) { return Wizard(5); }
