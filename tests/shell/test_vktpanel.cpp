// The main data panel on the sample database: the screen shown for each flag combination, the
// filter each screen is handed, the two navigations kept on one selection, the drag rules and the
// drops onto the class tree and the recipe-item grid, and a database the user may not write.
#include "data/Ufilterstruct.h"
#include "database/Uvktapplication.h"
#include "platform/ProgramFiles.h"
#include "screens/Ffilterselector.h"
#include "richtext/Exview.h"
#include "screens/Fdataeditor.h"
#include "screens/Fkerneleditpanel.h"
#include "screens/Finvdatebar.h"
#include "screens/Finventoryview.h"
#include "gui/QtSupport.h"
#include "reports/Fvktpreview.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"
#include "platform/Unprivileged.h"
#include "screens/Fkerneleditpanel.h"
#include "shell/Ushellservices.h"
#include "test_vktpanel_fixture.h"

#include <QLineEdit>

#include <QMimeData>

namespace {

using platform::MsgAnswer;
using vkttest::SampleDatabase;
using vkttest::Scripted;

std::unique_ptr<QMimeData> RecordDrag()
{
    auto data = std::make_unique<QMimeData>();
    data->setData(kVktDataIdsMime, "1");
    return data;
}

} // namespace

TEST_F(PanelTest, TheScreenShownFollowsTheFlagsAndEachGetsItsFilter)
{
    struct Case {
        bool inventory, preview;
        const char* shown;
    };
    const Case cases[] = {{false, false, "data"}, {true, false, "inventory"}, {false, true, "layout"},
                          {true, true, "layout"}, {false, false, "data"}};
    Choose(SampleDatabase::kVegetable);
    for (const Case& c : cases) {
        panel->ShowInventory(c.inventory);
        panel->ShowPreview(c.preview);
        const std::string shown = panel->GetPreview()->GetVisible()        ? "layout"
                                  : panel->GetInventoryView()->GetVisible() ? "inventory"
                                  : panel->GetDataViewer()->GetVisible()    ? "data"
                                                                            : "none";
        EXPECT_EQ(shown, c.shown) << c.inventory << c.preview;
        const int visibleScreens = int(panel->GetPreview()->GetVisible()) +
                                   int(panel->GetInventoryView()->GetVisible()) +
                                   int(panel->GetDataViewer()->GetVisible());
        EXPECT_EQ(visibleScreens, 1);
        EXPECT_EQ(Side()->GetInvDateShown(), c.inventory);
        EXPECT_EQ(Top()->GetInvDateShown(), c.inventory);
    }

    // The layout view takes the month only in stock-taking mode; the inventory view always.
    const TFilterObject withMonth = Side()->GetFilter();
    const TFilterObject withoutMonth = Side()->BuildFilter();
    ASSERT_FALSE(withMonth == withoutMonth);
    panel->ShowPreview(true);
    EXPECT_TRUE(panel->GetPreview()->GetFilter() == withoutMonth);
    panel->ShowInventory(true);
    EXPECT_TRUE(panel->GetPreview()->GetFilter() == Side()->GetFilter()) << "the designer stays and gets the month";
    EXPECT_TRUE(panel->GetPreview()->GetVisible());
    panel->ShowPreview(false);
    EXPECT_TRUE(panel->GetInventoryView()->GetFilter() == Side()->GetFilter());
    panel->ShowInventory(false);
    EXPECT_TRUE(Records()->GetFilter() == Side()->BuildFilter());
}

TEST_F(PanelTest, ClassBarReplacesTheTreeAndTheNavigationsMirrorEachOther)
{
    int changes = 0;
    panel->OnChange = [&](TVktPanel*) { ++changes; };
    panel->ShowClassBar(true);
    EXPECT_TRUE(Top()->GetVisible());
    EXPECT_FALSE(Side()->GetVisible());
    panel->ShowClassBar(false);
    EXPECT_FALSE(Top()->GetVisible());
    EXPECT_TRUE(Side()->GetVisible());

    // Side → top, and top → side, with the month.
    panel->ShowInventory(true);
    Choose(SampleDatabase::kMeat);
    EXPECT_TRUE(Top()->BuildFilter() == Side()->BuildFilter());
    Side()->GetInvDateBar()->SetInvDateID(db->OlderSheet());
    QApplication::processEvents();
    EXPECT_EQ(Top()->GetInvDateBar()->GetInvDateID(), db->OlderSheet());
    EXPECT_TRUE(panel->GetInventoryView()->GetFilter() == Side()->GetFilter());
    const int before = changes;
    Top()->SetSelection(SampleDatabase::kFish, db->NewerSheet(), {}, {}, -1);
    QApplication::processEvents();
    EXPECT_EQ(Side()->GetClassView()->GetSelectedID(), SampleDatabase::kFish);
    EXPECT_EQ(Side()->GetInvDateBar()->GetInvDateID(), db->NewerSheet());
    EXPECT_GT(changes, before);

    // Without a database nothing is handed over.
    panel->ShowInventory(false);
    const TFilterObject listed = Records()->GetFilter();
    panel->SetVktObject(nullptr);
    panel->ClassFilterChange(Side());
    EXPECT_TRUE(Records()->GetFilter() == listed);
}

TEST_F(PanelTest, ReopeningTheDatabaseListsWhatTheFreshNavigationShowsOnce)
{
    TVktApplication& registry = VktApplication();
    ASSERT_TRUE(registry.RegisterDatabase("厨房", db->Folder()));
    TVktPreview* designer = panel->GetPreview();
    designer->LoadLayout(platform::ProgramDataFolder() + "layouts/FoodList.xml");
    const std::vector<TVktTopContainer*> tops = designer->GetBinding()->GetTopContainers();
    ASSERT_EQ(tops.size(), 1u);
    const int onion = db->Record("玉ねぎ");
    enum class Screen { Data, StockTaking, Layout };
    // The listings of each screen, in the order of Screen.
    const auto queries = [&] {
        return std::vector<int>{Records()->GetQueryCount(), panel->GetInventoryView()->GetQueryCount(),
                                tops[0]->GetQueryCount()};
    };
    for (const Screen screen : {Screen::Data, Screen::StockTaking, Screen::Layout}) {
        SCOPED_TRACE(static_cast<int>(screen));
        module->SwitchDatabase("厨房", true);
        panel->ShowInventory(screen == Screen::StockTaking);
        panel->ShowPreview(screen == Screen::Layout);
        Side()->SetSelection(SampleDatabase::kTrash, db->OlderSheet(), {}, {}, SampleDatabase::kDomesticFilter);
        panel->ClassFilterChange(Side());
        if (screen == Screen::Data) {
            ASSERT_EQ(Records()->RowOfID(onion), -1) << "not in the trash";
        }

        module->ActCloseDataBaseExecute();
        std::vector<int> expected = queries();
        ++expected[static_cast<int>(screen)];
        module->SwitchDatabase("厨房", true);
        QApplication::processEvents();
        EXPECT_EQ(queries(), expected) << "the shown screen lists once, the hidden ones not at all";
        EXPECT_EQ(Side()->GetClassView()->GetSelectedID(), SampleDatabase::kRoot);
        EXPECT_EQ(Side()->GetFilterSelector()->GetUserFilterIndex(), -1);
        switch (screen) {
        case Screen::Data:
            EXPECT_TRUE(Records()->GetFilter() == Side()->BuildFilter());
            EXPECT_GE(Records()->RowOfID(onion), 0) << "the first root lists the records outside the trash";
            break;
        case Screen::StockTaking:
            EXPECT_EQ(Side()->GetInvDateBar()->GetInvDateID(), db->NewerSheet());
            EXPECT_TRUE(panel->GetInventoryView()->GetFilter() == Side()->GetFilter());
            break;
        case Screen::Layout:
            EXPECT_TRUE(tops[0]->GetFilter() == Side()->BuildFilter());
            EXPECT_GT(tops[0]->GetRowCount(), 0);
            break;
        }
    }
    // A screen hidden at the open lists once when it is shown, with the fresh selection.
    const int listed = Records()->GetQueryCount();
    panel->ShowPreview(false);
    EXPECT_EQ(Records()->GetQueryCount(), listed + 1);
    EXPECT_TRUE(Records()->GetFilter() == Side()->BuildFilter());
    EXPECT_GE(Records()->RowOfID(onion), 0);
    panel->ShowInventory(false);
    module->ActCloseDataBaseExecute();
    registry.UnregisterDatabase("厨房");
}

TEST_F(PanelTest, DragsFromTheRecordListAreTakenByLeavesOfTheSameBranchOrAnotherRoot)
{
    const auto drag = RecordDrag();
    QMimeData foreign;
    foreign.setText("1");
    struct Case {
        int selected, target;
        bool accepted;
        const char* what;
    };
    const Case cases[] = {
        {SampleDatabase::kBeef, SampleDatabase::kPork, true, "same branch"},
        {SampleDatabase::kBeef, SampleDatabase::kSauce, false, "ingredients onto a recipe class"},
        {SampleDatabase::kBeef, SampleDatabase::kMeat, false, "a class with children"},
        {SampleDatabase::kBeef, SampleDatabase::kTrash, true, "the trash root"},
        {SampleDatabase::kRoot, SampleDatabase::kSauce, true, "from the first root anywhere"},
        {SampleDatabase::kTrash, SampleDatabase::kBeef, false, "from the trash"},
    };
    for (const Case& c : cases) {
        Choose(c.selected);
        EXPECT_EQ(panel->ClassTreeDragOver(drag.get(), Node(c.target)), c.accepted) << c.what;
    }
    Choose(SampleDatabase::kBeef);
    EXPECT_FALSE(panel->ClassTreeDragOver(&foreign, Node(SampleDatabase::kPork))) << "not from the record list";
    EXPECT_FALSE(panel->ClassTreeDragOver(drag.get(), nullptr));
    EXPECT_TRUE(panel->ItemGridDragOver(drag.get()));
    EXPECT_FALSE(panel->ItemGridDragOver(&foreign));
}

TEST_F(PanelTest, DropsOnTheTreeChangeTheClassOrDeleteAndOnTheItemGridAppend)
{
    Choose(SampleDatabase::kPork);
    Mark({"豚バラ肉"});
    const int belly = db->Record("豚バラ肉");
    Scripted().answers = {MsgAnswer::No};
    panel->ClassTreeDragDrop(Node(SampleDatabase::kBeef));
    ASSERT_EQ(Scripted().messages.size(), 1u);
    EXPECT_EQ(Scripted().messages[0].text, "選択されているデータの分類を変更しますか？");
    EXPECT_EQ(Scripted().messages[0].caption, "確認");
    EXPECT_EQ(batchRuns, 0);
    Scripted().shift = true;
    panel->ClassTreeDragDrop(Node(SampleDatabase::kBeef));
    EXPECT_EQ(Scripted().messages.size(), 1u) << "Shift skips the question";
    EXPECT_EQ(batchAutoClose, true);
    QApplication::processEvents();
    EXPECT_EQ(Records()->RowOfID(belly), -1) << "moved out of the listed class";
    Choose(SampleDatabase::kBeef);
    EXPECT_GE(Records()->RowOfID(belly), 0);

    // Onto the trash root: the delete command of the current panel (Shift: no question).
    Mark({"豚バラ肉"});
    panel->ClassTreeDragDrop(Node(SampleDatabase::kTrash));
    EXPECT_EQ(batchRuns, 2);
    EXPECT_NE(db->Object().GetDataEraseState(belly), 0);

    // Onto the item grid of the recipe in the editor.
    const int steak = db->Record("和牛のステーキ");
    Scripted().shift = false;
    Scripted().answers = {MsgAnswer::Yes};
    panel->GetDataViewer()->EditData(steak);
    Choose(SampleDatabase::kVegetable);
    Mark({"じゃがいも"});
    panel->ItemGridDragDrop();
    ASSERT_EQ(Scripted().messages.size(), 2u);
    EXPECT_EQ(Scripted().messages[1].text, "選択されているデータを編集中のデータの材料に追加しますか？");
    EXPECT_EQ(batchRuns, 3);
    EXPECT_EQ(batchAutoClose, false);
    EXPECT_EQ(panel->GetDataViewer()->GetDataEditor()->GetDataID(), steak);
}

// Opened as a user who may not write its folder: said at the open, listed whole, and nothing that
// changes data can be started (the commands, the drops, the record editor's fields).
TEST_F(PanelTest, ADatabaseInAWriteProtectedFolderOpensReadOnlyWithEveryChangeOff)
{
    // A copy of the sample whose connections have all ended, in a folder of its own that only
    // its file may be written in (no -wal or -shm can be made there).
    const std::string folder = vkttest::NewTempFolder("protected");
    {
        platform::Connection source(platform::DatabaseFilePath(db->Folder()), platform::OpenMode::ReadOnly);
        platform::Connection copy(platform::DatabaseFilePath(folder), platform::OpenMode::Create);
        platform::BackupDatabase(source, copy);
    }
    namespace fs = std::filesystem;
    for (fs::path up = fs::path(folder).parent_path(); up != fs::temp_directory_path(); up = up.parent_path())
        fs::permissions(up, fs::perms::others_exec, fs::perm_options::add);
    SetWritable(folder, true);
    fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    TVktApplication& registry = VktApplication();
    registry.SetShellServices(std::make_unique<TShellServices>());
    {
        const Unprivileged nobody;
        if (Unprivileged::CanWrite(folder)) GTEST_SKIP() << "this user writes a folder whatever its mode";
        ASSERT_TRUE(registry.RegisterDatabase("読取専用", folder));
        module->SwitchDatabase("読取専用", true);
        TVktObject* object = panel->GetVktObject();
        ASSERT_TRUE(object && object->IsReadOnly());
        ASSERT_EQ(Scripted().messages.size(), 1u);
        EXPECT_EQ(Scripted().messages[0].text, object->GetReadOnlyNotice());
        EXPECT_EQ(Scripted().messages[0].icon, platform::MsgIcon::Information);

        Choose(SampleDatabase::kVegetable);
        Mark({"玉ねぎ"});
        panel->GetDataViewer()->EditData(db->Record("玉ねぎ"));
        panel->GetDataViewer()->ShowEditor(true);
        module->updateActions();
        for (QAction* action : {module->ActNewData, module->ActDeleteData, module->ActChangeDataClass,
                                module->ActAppendInventory, module->ActChangeDataAttribute,
                                module->ActChangeDataProperty, module->ActShowCsvImportDialog,
                                module->ActShowCreateInventoryListDialog, module->ActShowOtherDataDialog,
                                module->ActShowMHistToYHistDialog})
            EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
        for (QAction* action : {module->ActCloseDataBase, module->ActViewSelAll, module->ActViewSelClear,
                                module->ActShowViewFieldDialog})
            EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
        const auto drag = RecordDrag();
        EXPECT_FALSE(panel->ClassTreeDragOver(drag.get(), Node(SampleDatabase::kHerb)));
        EXPECT_FALSE(panel->ItemGridDragOver(drag.get()));
        const TKernelEditPanel* kernel = panel->GetDataViewer()->GetDataEditor()->GetKernelEditPanel();
        EXPECT_EQ(kernel->GetDataID(), db->Record("玉ねぎ"));
        EXPECT_FALSE(kernel->GetBuyPriceEdit()->isEnabled());
        EXPECT_EQ(Scripted().messages.size(), 1u) << "nothing was refused: nothing could be tried";

        module->ActCloseDataBaseExecute();
        registry.UnregisterDatabase("読取専用");
    }
    registry.SetShellServices(nullptr);
    SetWritable(folder, true);
}

// The panel's owner hears nothing from a panel being destroyed: it may already be gone itself.
TEST_F(PanelTest, ADestroyedPanelTellsItsOwnerNothing)
{
    // A record edited and not kept: the editor's end of editing is a change the panel would tell.
    Choose(SampleDatabase::kVegetable);
    panel->GetDataViewer()->EditData(db->Record("じゃがいも"));
    QApplication::processEvents();
    QWidget* name = panel->GetDataViewer()->GetDataEditor()->GetKernelEditPanel()->GetNameEdit();
    name->setFocus();
    QTest::keyClicks(name, "x");
    ASSERT_TRUE(panel->IsEditing());
    int told = 0;
    panel->OnChange = [&told](TVktPanel*) { ++told; };
    panel->OnRename = [&told](TVktPanel*, const std::string&) { ++told; };
    window.reset();
    EXPECT_EQ(told, 0);
}
