// The command module: the enabling rules over their states and applied to every action, the database
// switch order, the questions with their default buttons, Shift and the batch window's
// auto-close, the class-view radio group and the XML export.
#include "database/Uvktapplication.h"
#include "dialogs/Ffieldselectdialog.h"
#include "platform/Files.h"
#include "screens/Fdataeditor.h"
#include "screens/Finvdatebar.h"
#include "screens/Finventoryview.h"
#include "test_vktpanel_fixture.h"

#include <QAction>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using platform::MsgAnswer;
using vkttest::Scripted;
using M = TVktCommandModule;

std::set<std::string> EnabledNames(const TCommandState& state)
{
    const auto rules = M::ActionRules(state);
    std::set<std::string> names;
    for (int i = 0; i < M::aSaveXml; ++i)
        if (rules[i].Enabled) names.insert(VktCommandModule()->GetAction(i)->objectName().toStdString());
    return names;
}

TCommandState Browsing()
{
    TCommandState s;
    s.HasPanel = s.DatabaseValid = true;
    s.SelectedClassType = ctFood;
    s.ClassLeaf = true;
    s.ListHasRows = true;
    return s;
}

struct RuleCase {
    const char* what;
    TCommandState state;
    std::set<std::string> enabled;
};

std::vector<RuleCase> RuleCases()
{
    const std::set<std::string> database = {"ActNewDataBase", "ActAppendDataBase", "ActOpenDataBase"};
    const std::set<std::string> views = {"ActShowInventory", "ActShowPreview", "ActShowClassTree", "ActShowClassBar"};
    const std::set<std::string> needV = {"ActCloseDataBase", "ActShowCsvImportDialog",
                                         "ActShowCreateInventoryListDialog", "ActShowOtherDataDialog",
                                         "ActShowMHistToYHistDialog"};
    auto join = [](std::initializer_list<std::set<std::string>> sets) {
        std::set<std::string> all;
        for (const auto& s : sets) all.insert(s.begin(), s.end());
        return all;
    };
    std::vector<RuleCase> cases;
    cases.push_back({"no panel", {}, {}});
    TCommandState s;
    s.HasPanel = true;
    cases.push_back({"panel without database", s, join({database, views})});
    s = Browsing();
    cases.push_back({"an ingredient class, nothing marked", s,
                     join({database, views, needV, {"ActNewData", "ActViewSelAll", "ActShowViewFieldDialog"}})});
    s.RowsMarked = true;
    const std::set<std::string> marked = {"ActDeleteData",        "ActChangeDataClass", "ActAppendInventory",
                                          "ActChangeDataAttribute", "ActChangeDataProperty", "ActViewSelRev",
                                          "ActViewSelClear"};
    cases.push_back({"records marked", s,
                     join({database, views, needV, marked, {"ActNewData", "ActViewSelAll", "ActShowViewFieldDialog"}})});
    s.ClassLeaf = false;
    s.SelectedClassType = ctRoot;
    cases.push_back({"the root: no new record, no property change", s,
                     join({database, views, needV,
                           {"ActDeleteData", "ActChangeDataClass", "ActAppendInventory", "ActChangeDataAttribute",
                            "ActViewSelRev", "ActViewSelClear", "ActViewSelAll", "ActShowViewFieldDialog"}})});
    s.SelectedClassType = ctTrash;
    cases.push_back({"the trash", s,
                     join({database, views, needV,
                           {"ActDeleteData", "ActReviveData", "ActViewSelRev", "ActViewSelClear", "ActViewSelAll",
                            "ActShowViewFieldDialog"}})});
    s = Browsing();
    s.RowsMarked = true;
    s.EditChecked = true;
    s.EditorShowsRecord = true;
    s.EditorClassType = ctCook;
    cases.push_back({"a recipe in the editor", s,
                     join({database, views, needV, marked,
                           {"ActNewData", "ActViewSelAll", "ActShowViewFieldDialog", "ActEditData", "ActAppendItem"}})});
    s.EditorClassType = ctFood;
    cases.push_back({"an ingredient in the editor takes no items", s,
                     join({database, views, needV, marked,
                           {"ActNewData", "ActViewSelAll", "ActShowViewFieldDialog", "ActEditData"}})});
    s = Browsing();
    s.ListFocused = true;
    cases.push_back({"the focused list opens the editor", s,
                     join({database, views, needV,
                           {"ActNewData", "ActViewSelAll", "ActShowViewFieldDialog", "ActEditData"}})});
    s = Browsing();
    s.RowsMarked = true;
    s.PreviewMode = true;
    s.PrinterEnabled = true;
    cases.push_back({"the layout view", s,
                     join({database, views, needV,
                           {"ActShowPreviewProperty", "ActShowPrinterMargin", "ActPreviewPrint"}})});
    s.PrinterEnabled = false;
    cases.push_back({"the layout view without printer", s,
                     join({database, views, needV, {"ActShowPreviewProperty", "ActShowPrinterMargin"}})});
    s = Browsing();
    s.RowsMarked = true;
    s.InventoryMode = true;
    cases.push_back({"stock-taking without a row (no rows count as marked there)", s, join({database, views, needV})});
    s.InventoryHasRow = true;
    cases.push_back({"stock-taking with a row", s, join({database, views, needV, {"ActDeleteInventory"}})});
    s.PreviewMode = true;
    cases.push_back({"stock-taking under the layout view", s,
                     join({database, views, needV, {"ActShowPreviewProperty", "ActShowPrinterMargin"}})});
    return cases;
}

} // namespace

TEST_F(PanelTest, EnablingRulesFollowTheState)
{
    for (const RuleCase& c : RuleCases()) EXPECT_EQ(EnabledNames(c.state), c.enabled) << c.what;

    // Checked states: the radio pair, the two views and the editor.
    TCommandState s = Browsing();
    s.ClassBarShown = true;
    s.InventoryMode = true;
    auto rules = M::ActionRules(s);
    EXPECT_TRUE(rules[M::aShowClassBar].Checked);
    EXPECT_FALSE(rules[M::aShowClassTree].Checked);
    EXPECT_TRUE(rules[M::aShowInventory].Checked);
    EXPECT_FALSE(rules[M::aShowPreview].Checked);
    s = Browsing();
    s.EditChecked = true;
    rules = M::ActionRules(s);
    EXPECT_TRUE(rules[M::aEditData].Enabled) << "a checked edit stays enabled";
    EXPECT_FALSE(rules[M::aEditData].Checked) << "checked only while the editor shows a record";
}

TEST_F(PanelTest, UpdateAppliesEveryRuleAndLeavesSaveXmlUntouched)
{
    Choose(vkttest::SampleDatabase::kVegetable);
    Mark({"玉ねぎ"});
    module->updateActions();
    const auto rules = M::ActionRules(module->CurrentState());
    EXPECT_TRUE(rules[M::aChangeDataClass].Enabled && rules[M::aAppendInventory].Enabled);
    EXPECT_TRUE(module->ActDeleteData->isEnabled());
    EXPECT_TRUE(module->ActNewData->isEnabled());
    module->ActSaveXml->setEnabled(false);
    module->updateActions();
    EXPECT_FALSE(module->ActSaveXml->isEnabled()) << "the update leaves ActSaveXml alone";
    module->ActSaveXml->setEnabled(true);

    // Captions, hints and pictures as listed.
    EXPECT_EQ(module->ActDeleteData->text().toStdString(), "データ削除...");
    EXPECT_EQ(module->ActChangeDataClass->toolTip().toStdString(), "分類変更...");
    EXPECT_EQ(module->ActChangeDataClass->statusTip().toStdString(),
              "データビューで選択されているデータの分類を変更します。");
    EXPECT_EQ(module->ActShowClassBar->statusTip().toStdString(), "クラスバー表示");
    EXPECT_EQ(module->ActAppendInventory->property("ImageIndex").toInt(), 51);
    EXPECT_EQ(module->ActViewSelAll->property("ImageIndex").toInt(), -1);

    // Data, stock-taking and layout view: every command but ActSaveXml follows its rule.
    for (const auto& [inventory, preview] : {std::pair{false, false}, {true, false}, {false, true}}) {
        panel->ShowInventory(inventory);
        panel->ShowPreview(preview);
        module->updateActions();
        const auto now = M::ActionRules(module->CurrentState());
        for (int i = 0; i < M::aSaveXml; ++i)
            EXPECT_EQ(module->GetActions()[i]->isEnabled(), now[i].Enabled)
                << module->GetActions()[i]->objectName().toStdString() << inventory << preview;
        EXPECT_EQ(module->ActShowPreviewProperty->isEnabled(), preview);
    }
}

TEST_F(PanelTest, ViewFieldCommandOpensTheFieldDialogOnTheBoundDatabase)
{
    Choose(vkttest::SampleDatabase::kVegetable);
    module->updateActions();
    ASSERT_TRUE(module->ActShowViewFieldDialog->isEnabled());
    bool shown = false;
    TVktObject* bound = nullptr;
    QTimer::singleShot(0, [&] {
        TFieldSelectDialog* dialog = FieldSelectDlg();
        shown = dialog->isVisible();
        bound = dialog->GetDataObject();
        dialog->reject();
    });
    module->ActShowViewFieldDialog->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(bound, &db->Object());
}

TEST_F(PanelTest, ClassTreeAndClassBarAreOneRadioGroup)
{
    module->updateActions();
    EXPECT_TRUE(module->ActShowClassTree->isChecked());
    EXPECT_FALSE(module->ActShowClassBar->isChecked());
    module->ActShowClassBar->trigger();
    EXPECT_TRUE(panel->GetClassBarShown());
    EXPECT_TRUE(module->ActShowClassBar->isChecked());
    EXPECT_FALSE(module->ActShowClassTree->isChecked());
    module->ActShowClassBar->trigger();   // again: stays on
    EXPECT_TRUE(module->ActShowClassBar->isChecked());
    EXPECT_TRUE(panel->GetClassBarShown());
    module->ActShowClassTree->trigger();
    EXPECT_FALSE(panel->GetClassBarShown());
    EXPECT_TRUE(module->ActShowClassTree->isChecked() && !module->ActShowClassBar->isChecked());
}

TEST_F(PanelTest, DeleteAsksUnlessShiftAndTheBatchClosesItselfWithShift)
{
    Choose(vkttest::SampleDatabase::kVegetable);
    const int potato = db->Record("じゃがいも");
    const int basil = db->Record("バジル");
    Mark({"じゃがいも"});
    Scripted().answers = {MsgAnswer::No};
    module->ActDeleteDataExecute();
    ASSERT_EQ(Scripted().messages.size(), 1u);
    EXPECT_EQ(Scripted().messages[0].text, "選択されているデータをゴミ箱に削除しますか？");
    EXPECT_EQ(Scripted().messages[0].caption, "確認");
    EXPECT_EQ(Scripted().messages[0].defaultButton, MsgAnswer::Yes);
    EXPECT_EQ(batchRuns, 0) << "refused: nothing runs";
    EXPECT_EQ(db->Object().GetDataEraseState(potato), 0);

    Scripted().answers = {MsgAnswer::Yes};
    module->ActDeleteDataExecute();
    EXPECT_EQ(batchRuns, 1);
    EXPECT_EQ(batchAutoClose, false);
    EXPECT_NE(db->Object().GetDataEraseState(potato), 0);

    Scripted().messages.clear();
    Scripted().shift = true;
    QApplication::processEvents();
    Choose(vkttest::SampleDatabase::kHerb);
    Mark({"バジル"});
    module->ActDeleteDataExecute();
    EXPECT_TRUE(Scripted().messages.empty()) << "Shift skips the question";
    EXPECT_EQ(batchRuns, 2);
    EXPECT_EQ(batchAutoClose, true);
    EXPECT_NE(db->Object().GetDataEraseState(basil), 0);
}

TEST_F(PanelTest, PurgeAndStockTakingDeleteAlwaysAskWithNoAsDefaultAndNeverCloseThemselves)
{
    Choose(vkttest::SampleDatabase::kTrash);
    List()->SelectAll();
    ASSERT_GT(List()->GetSelectedIDs().GetCount(), 0);
    // An earlier run that closed itself must not leave its flag to the purge.
    ExecuteDlg(&db->Object())->SetAutoClose(true);
    Scripted().shift = true;
    Scripted().answers = {MsgAnswer::Yes};
    module->ActDeleteDataExecute();
    ASSERT_EQ(Scripted().messages.size(), 1u) << "asked also with Shift down";
    EXPECT_EQ(Scripted().messages[0].text,
              "選択されているデータをゴミ箱から削除しますか？\r\n削除されたデータを元に戻すことは出来ません。");
    EXPECT_EQ(Scripted().messages[0].defaultButton, MsgAnswer::No);
    EXPECT_EQ(batchRuns, 1);
    EXPECT_EQ(batchAutoClose, false);

    // Stock-taking: the current row of the sheet chosen in the side navigation.
    Scripted().messages.clear();
    Choose(vkttest::SampleDatabase::kRoot);
    panel->ShowInventory(true);
    QApplication::processEvents();
    const TInvListView* sheet = panel->GetInventoryView()->GetInvListView();
    ASSERT_NE(sheet->GetRowID(0), 0);
    sheet->GetStringGrid()->setCurrentIndex(sheet->GetModel()->index(0, 0));
    const int removed = sheet->GetRowID(0);
    module->updateActions();
    EXPECT_TRUE(module->ActDeleteInventory->isEnabled());
    ExecuteDlg(&db->Object())->SetAutoClose(true);
    Scripted().answers = {MsgAnswer::No, MsgAnswer::Yes};
    module->ActDeleteInventoryExecute();
    EXPECT_EQ(batchRuns, 1);
    module->ActDeleteInventoryExecute();
    ASSERT_EQ(Scripted().messages.size(), 2u);
    EXPECT_EQ(Scripted().messages[0].text,
              "選択されているデータを棚卸し表から削除しますか？\r\n削除されたデータを復旧することはできません。");
    EXPECT_EQ(Scripted().messages[0].defaultButton, MsgAnswer::No);
    EXPECT_EQ(batchRuns, 2);
    EXPECT_EQ(batchAutoClose, false);
    QApplication::processEvents();
    EXPECT_EQ(panel->GetInventoryView()->RowOfID(removed), -1);
}

TEST_F(PanelTest, ReviveAndAppendInventoryWithShift)
{
    Choose(vkttest::SampleDatabase::kTrash);
    List()->SelectAll();
    const TPriorityItem trashed = List()->GetSelectedIDs();
    ASSERT_GT(trashed.GetCount(), 0);
    Scripted().answers = {MsgAnswer::Yes};
    module->ActReviveDataExecute();
    ASSERT_EQ(Scripted().messages.size(), 1u);
    EXPECT_EQ(Scripted().messages[0].text, "選択されているデータをゴミ箱から復帰しますか？");
    EXPECT_EQ(db->Object().GetDataEraseState(trashed.GetItem(0)), 0);

    // Shift: onto the newest sheet at once, closing by itself; without Shift the append wizard
    // opens (closed here at once, adding nothing).
    Scripted().messages.clear();
    Choose(vkttest::SampleDatabase::kVegetable);
    Mark({"人参"});
    QTimer::singleShot(0, [] {
        if (auto* wizard = qobject_cast<QDialog*>(QApplication::activeModalWidget())) wizard->done(0);
    });
    module->ActAppendInventoryExecute();
    EXPECT_EQ(batchRuns, 1);
    Scripted().shift = true;
    module->ActAppendInventoryExecute();
    EXPECT_TRUE(Scripted().messages.empty());
    EXPECT_EQ(batchRuns, 2);
    EXPECT_EQ(batchAutoClose, true);
    panel->ShowInventory(true);
    Side()->GetInvDateBar()->SetInvDateID(db->NewerSheet());
    QApplication::processEvents();
    EXPECT_GE(panel->GetInventoryView()->RowOfID(db->Record("人参")), 0);
}

TEST_F(PanelTest, AppendInventoryWithShiftAndNoSheetDoesNothing)
{
    vkttest::SampleDatabase empty(false);
    const TPriorityItem ids = empty.AddIngredients(vkttest::SampleDatabase::kVegetable, 2);
    panel->SetVktObject(&empty.Object());
    Choose(vkttest::SampleDatabase::kVegetable);
    List()->SelectAll();
    Scripted().shift = true;
    module->ActAppendInventoryExecute();
    EXPECT_TRUE(Scripted().messages.empty());
    EXPECT_EQ(batchRuns, 0);
    panel->SetVktObject(nullptr);
}

TEST_F(PanelTest, SwitchClosesTheOldThenBindsThenMakesCurrent)
{
    vkttest::SampleDatabase other(false);
    TVktApplication& registry = VktApplication();
    ASSERT_TRUE(registry.RegisterDatabase("厨房A", db->Folder()));
    ASSERT_TRUE(registry.RegisterDatabase("厨房B", other.Folder()));
    TVktObject* a = registry.GetObject("厨房A");
    TVktObject* b = registry.GetObject("厨房B");
    std::vector<std::string> log;
    TVktObjEvent onA, onB;
    onA.OnClose = [&](TVktObject*) { log.push_back(panel->GetVktObject() == a ? "close A (bound A)" : "close A"); };
    onB.OnCurrent = [&](TVktObject*) { log.push_back(panel->GetVktObject() == b ? "current B (bound B)" : "current B"); };
    a->GetEvents().Add(&onA);   // ahead of the panels' subscriptions
    b->GetEvents().Add(&onB);
    module->SwitchDatabase("厨房A", true);
    ASSERT_EQ(panel->GetVktObject(), a);
    log.clear();
    module->SwitchDatabase("厨房B", true);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "close A (bound A)");
    EXPECT_EQ(log[1], "current B (bound B)");
    EXPECT_EQ(panel->GetVktObject(), b);
    EXPECT_EQ(registry.GetName(0), "厨房B") << "made current: first of the recent list";
    module->ActCloseDataBaseExecute();
    EXPECT_EQ(panel->GetVktObject(), nullptr);
    onA.Detach();
    onB.Detach();
    registry.UnregisterDatabase("厨房A");
    registry.UnregisterDatabase("厨房B");
}

TEST_F(PanelTest, SaveXmlWritesTheMarkedRecordsWhenTheSaveIsConfirmed)
{
    Choose(vkttest::SampleDatabase::kVegetable);
    Mark({"玉ねぎ"});
    const std::string file = vkttest::NewTempFolder("xml") + "/out.xml";
    Scripted().files = {std::nullopt, file};
    module->ActSaveXml->trigger();
    EXPECT_FALSE(platform::FileExists(file)) << "cancelled";
    module->ActSaveXml->trigger();
    ASSERT_TRUE(platform::FileExists(file));
    ASSERT_FALSE(Scripted().calls.empty());
    EXPECT_NE(Scripted().calls.back().find("XMLファイル|*.xml|全てのファイル|*.*"), std::string::npos);
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Oignon"), std::string::npos) << "the marked record's French name";
    EXPECT_EQ(text.str().find("Carotte"), std::string::npos);
}
