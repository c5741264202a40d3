// The layout designer on the main data panel over the sample database: the container buttons
// against the selection, clear and delete, drags in the item tree, saving as ".xml" with its one
// question, the property area, and when the database containers list their records.
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Ucontainer.h"
#include "platform/Files.h"
#include "platform/ProgramFiles.h"
#include "reports/Fpreviewitemoperator.h"
#include "reports/Fvktitempropertyex.h"
#include "reports/Fvktpreview.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvkttopcontainer.h"
#include "test_vktpanel_fixture.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

#include <fstream>

namespace {

using platform::MsgAnswer;
using vkttest::SampleDatabase;
using vkttest::Scripted;

// The identity the item tree puts on its own drags.
struct TreeIdentity : TPreviewItemOperator {
    static QByteArray Of(const TPreviewItemOperator* tree) { return (tree->*(&TreeIdentity::DragIdentity))(); }
};

int TypeOf(const TViewItem* item)
{
    const auto* container = dynamic_cast<const TContainer*>(item->GetObject());
    return container ? container->GetType() : 0;
}

std::vector<TVktTopContainer*> Tops(TVktPreview* designer) { return designer->GetBinding()->GetTopContainers(); }

std::vector<int> QueryCounts(TVktPreview* designer)
{
    std::vector<int> counts;
    for (TVktTopContainer* top : Tops(designer)) counts.push_back(top->GetQueryCount());
    return counts;
}

std::string FileText(const std::string& path) { return platform::ReadFileBytes(path); }

} // namespace

class DesignerTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        designer = panel->GetPreview();
        document = designer->GetPreview();
        document->Clear();
    }
    TViewItem* Add(int type, TViewItem* parent)
    {
        document->SetSelected(parent);
        return document->AddContainer(type);
    }
    void Click(const char* button)
    {
        QToolButton* b = designer->GetButton(button);
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }
    // Drops the item's tree node onto the target's node, as child with Shift.
    bool TreeDrop(TViewItem* moved, TViewItem* target, bool asChild)
    {
        TPreviewItemOperator* tree = designer->GetItemOperator();
        document->SetSelected(moved);
        QMimeData data;
        data.setData(TPreviewItemOperator::kMimeType, TreeIdentity::Of(tree));
        const QPoint at = tree->GetTreeView()->visualItemRect(tree->NodeOf(target)).center();
        QDropEvent event(at, Qt::MoveAction, &data, Qt::LeftButton, asChild ? Qt::ShiftModifier : Qt::NoModifier);
        event.setAccepted(false);
        tree->TreeViewDragDrop(&event);
        return event.isAccepted();
    }

    TVktPreview* designer = nullptr;
    TPreview* document = nullptr;
};

TEST_F(DesignerTest, ContainerButtonsFollowTheSelection)
{
    panel->ShowPreview(true);
    TViewItem* text = Add(2, nullptr);
    TViewItem* top = Add(11, nullptr);
    TViewItem* data = Add(12, top);
    struct Case {
        const char* button;
        TViewItem* selected;
        bool added;
    };
    const Case cases[] = {
        {"BtnVktField", nullptr, false}, {"BtnVktField", text, false}, {"BtnVktGrid", text, false},
        {"BtnVktField", top, true},      {"BtnVktChart", data, true},  {"ToolButton5", nullptr, true},
        {"ToolButton7", text, true},     {"BtnVktTop", nullptr, true}, {"BtnText", nullptr, true},
    };
    for (const Case& c : cases) {
        document->SetSelected(c.selected);
        const int before = document->GetItems()->GetCount();
        Click(c.button);
        EXPECT_EQ(document->GetItems()->GetCount(), before + (c.added ? 1 : 0)) << c.button;
        if (!c.added) continue;
        TViewItem* made = document->GetSelected();
        ASSERT_NE(made, nullptr) << c.button;
        EXPECT_EQ(TypeOf(made), designer->GetButton(c.button)->property("Tag").toInt()) << c.button;
        EXPECT_EQ(made->GetParent() == document->GetItems()->GetPageRoot() ? nullptr : made->GetParent(),
                  c.selected)
            << c.button;
    }
    // A new database container is bound at once.
    document->SetSelected(nullptr);
    Click("BtnVktTop");
    auto* made = dynamic_cast<TVktTopContainer*>(document->GetSelContainer());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetVktObject(), &db->Object());

    // Delete takes the selected item with its subtree; Clear empties the layout.
    document->SetSelected(top);
    const int before = document->GetItems()->GetCount();
    Click("BtnDelete");
    EXPECT_LT(document->GetItems()->GetCount(), before - 1) << "the data containers go with it";
    EXPECT_EQ(designer->GetItemOperator()->NodeOf(data), nullptr);
    document->SetSelected(nullptr);
    const int count = document->GetItems()->GetCount();
    Click("BtnDelete");
    EXPECT_EQ(document->GetItems()->GetCount(), count) << "nothing selected, nothing deleted";
    Click("BtnClear");
    EXPECT_EQ(designer->GetItemOperator()->Dump(), TPreviewItemOperator::kRootCaption);
    EXPECT_FALSE(designer->GetToolBar()->isVisible());
}

TEST_F(DesignerTest, ItemTreeDragsObeyTheMoveRule)
{
    panel->ShowPreview(true);
    TViewItem* plain = Add(1, nullptr);
    TViewItem* topA = Add(11, nullptr);
    TViewItem* fieldA = Add(13, topA);
    TViewItem* gridA = Add(16, topA);
    TViewItem* topB = Add(11, nullptr);
    struct Case {
        TViewItem* moved;
        TViewItem* target;
        bool asChild;
        bool allowed;
        const char* what;
    };
    const Case cases[] = {
        {topB, topA, true, false, "database container into another"},
        {topB, gridA, false, false, "database container beside a data grid"},
        {fieldA, plain, true, false, "data field into a plain container"},
        {topB, plain, true, true, "database container into a plain container"},
        {fieldA, gridA, false, true, "data field beside a data grid"},
    };
    for (const Case& c : cases) {
        TViewItem* parentBefore = c.moved->GetParent();
        EXPECT_EQ(TreeDrop(c.moved, c.target, c.asChild), c.allowed) << c.what;
        if (c.allowed)
            EXPECT_EQ(c.moved->GetParent(), c.asChild ? c.target : c.target->GetParent()) << c.what;
        else
            EXPECT_EQ(c.moved->GetParent(), parentBefore) << c.what;
    }
}

// The shipped food list's data list holds prepared parts that may not be deleted: in the item tree
// a pasted copy of it is refused with the reason, and Delete and Ctrl+X on it say why and keep it
// selected; a copy of the cook's own text pasted into the list goes again with Delete.
TEST_F(DesignerTest, ItemTreePastesOnlyWhatCanBeDeletedAgain)
{
    panel->ShowPreview(true);
    designer->LoadLayout(platform::ProgramDataFolder() + "layouts/FoodList.xml");
    QApplication::processEvents();
    TPreviewItemOperator* tree = designer->GetItemOperator();
    QTreeWidget* view = tree->GetTreeView();
    TViewItem* list = document->GetItems()->ItemOfName("DataList");
    ASSERT_NE(tree->NodeOf(list), nullptr);
    const std::string shown = tree->Dump();
    const int parts = list->GetCountOfChildren();
    view->setFocus();
    view->setCurrentItem(tree->NodeOf(list));
    ASSERT_EQ(document->GetSelected(), list);
    Scripted().Reset();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(tree->Dump(), shown) << "no second list over the first";
    EXPECT_EQ(list->GetCountOfChildren(), parts);
    QTest::keyClick(view, Qt::Key_Delete);
    QTest::keyClick(view, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(document->GetItems()->ItemOfName("DataList"), list);
    EXPECT_EQ(document->GetSelected(), list);
    EXPECT_EQ(view->currentItem(), tree->NodeOf(list));
    std::vector<std::string> said;
    for (const auto& message : Scripted().messages) said.push_back(message.text);
    EXPECT_EQ(said, (std::vector<std::string>{TPageView::kPasteNotDeletableText, TPageView::kHoldsNotDeletableText,
                                              TPageView::kHoldsNotDeletableText}));

    TViewItem* text = Add(2, nullptr);
    view->setCurrentItem(tree->NodeOf(text));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    view->setCurrentItem(tree->NodeOf(list));
    QTest::keyClick(view, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(list->GetCountOfChildren(), parts + 1);
    TViewItem* copy = list->GetItem(parts);
    ASSERT_NE(tree->NodeOf(copy), nullptr);
    view->setCurrentItem(tree->NodeOf(copy));
    QTest::keyClick(view, Qt::Key_Delete);
    EXPECT_EQ(list->GetCountOfChildren(), parts);
    EXPECT_EQ(tree->NodeOf(list)->childCount(), 0);
    EXPECT_EQ(Scripted().messages.size(), 3u);
}

TEST_F(DesignerTest, SaveForcesXmlAndAsksOnlyAboutAnotherExistingFile)
{
    struct Name {
        const char* chosen;
        const char* saved;
    };
    for (const Name& n : {Name{"/a/b/食材.txt", "/a/b/食材.xml"}, Name{"/a/b/list", "/a/b/list.xml"},
                          Name{"/a/b.d/list", "/a/b.d/list.xml"}, Name{"/a/list.tar.gz", "/a/list.tar.xml"},
                          Name{"/a/list.xml", "/a/list.xml"}})
        EXPECT_EQ(LayoutFileName(n.chosen), n.saved) << n.chosen;

    const std::string folder = vkttest::NewTempFolder("designer");
    const std::string opened = folder + "/opened.xml";
    const std::string other = folder + "/other.xml";
    Add(2, nullptr);
    document->SaveToFile(opened);
    std::ofstream(other) << "keep me";

    Scripted().files = {opened};
    Click("BtnOpen");
    EXPECT_EQ(designer->GetOpenFileName(), opened);
    EXPECT_EQ(Scripted().calls.back(), "OpenFile|||" + QDir::homePath().toStdString() + "|")
        << "no filter; nothing opened yet: at home";

    // Saving under the name opened, even through another suffix, never asks.
    Add(3, nullptr);
    Scripted().files = {folder + "/opened.lay"};
    Click("BtnSave");
    EXPECT_TRUE(Scripted().messages.empty());
    EXPECT_EQ(Scripted().calls.back(), "SaveFile|||" + folder + "|" + opened + "|allow")
        << "in the folder of the file opened; the picker must not ask as well";
    EXPECT_NE(FileText(opened).find("Memo"), std::string::npos) << FileText(opened);

    // Another existing file: one question; Cancel leaves it as it was, OK writes it.
    Scripted().files = {folder + "/other"};
    Scripted().answers = {MsgAnswer::Cancel};
    Click("BtnSave");
    ASSERT_EQ(Scripted().messages.size(), 1u);
    EXPECT_EQ(Scripted().messages[0].text, TVktPreview::kOverwriteText);
    EXPECT_EQ(Scripted().messages[0].caption, TVktPreview::kOverwriteCaption);
    EXPECT_EQ(Scripted().messages[0].buttons, platform::MsgButtons::OkCancel);
    EXPECT_EQ(FileText(other), "keep me");
    Scripted().files = {other};
    Scripted().answers = {MsgAnswer::Ok};
    Click("BtnSave");
    EXPECT_EQ(Scripted().messages.size(), 2u);
    EXPECT_EQ(FileText(other), FileText(opened));

    // It is now the name saved: saving there again asks nothing; a new file never asks.
    Scripted().files = {other, folder + "/new.xml"};
    Click("BtnSave");
    Click("BtnSave");
    EXPECT_EQ(Scripted().messages.size(), 2u);
    EXPECT_TRUE(platform::FileExists(folder + "/new.xml"));
    Scripted().files = {std::nullopt};
    Click("BtnSave");
    EXPECT_EQ(designer->GetSaveFileName(), folder + "/new.xml");
}

TEST_F(DesignerTest, PropertyAreaShowsAndHidesWithItsSplitter)
{
    panel->ShowPreview(true);
    QApplication::processEvents();
    QSplitter* splitter = designer->GetSplitterV();
    EXPECT_FALSE(designer->GetPropertyVisible());
    EXPECT_FALSE(splitter->handle(1)->isVisible());
    EXPECT_EQ(splitter->handleWidth(), TVktPreview::kSplitterHandle);

    // The command shows the area and is checked while it shows.
    module->updateActions();
    ASSERT_TRUE(module->ActShowPreviewProperty->isEnabled());
    module->ActShowPreviewProperty->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(designer->GetPropertyVisible());
    EXPECT_TRUE(module->ActShowPreviewProperty->isChecked());
    EXPECT_TRUE(splitter->handle(1)->isVisible());
    EXPECT_EQ(designer->GetPropertyPanel()->height(), TVktPreview::kPropertyHeight);
    EXPECT_EQ(designer->GetItemOperator()->width(), TVktPreview::kItemTreeWidth);
    EXPECT_GT(document->height(), TVktPreview::kMinPane);

    // The host shows the selected item's page, the page settings for none.
    TViewItem* text = Add(2, nullptr);
    EXPECT_EQ(designer->GetItemProperty()->GetCurrentItem(), text);
    EXPECT_NE(designer->GetItemProperty()->GetCurrentPage(), nullptr);
    document->SetSelected(nullptr);
    EXPECT_EQ(designer->GetItemProperty()->GetCurrentPage(), nullptr);

    // Dragged to the edges, neither pane goes below its minimum.
    splitter->setSizes({0, 5000});
    EXPECT_GE(splitter->sizes()[0], TVktPreview::kMinPane);
    splitter->setSizes({5000, 0});
    EXPECT_GE(splitter->sizes()[1], TVktPreview::kMinPane);

    module->ActShowPreviewProperty->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(designer->GetPropertyVisible());
    EXPECT_FALSE(module->ActShowPreviewProperty->isChecked());
    EXPECT_FALSE(splitter->handle(1)->isVisible());
}

TEST_F(DesignerTest, DatabaseContainersListOnlyWhileShownAndOnceEach)
{
    Choose(SampleDatabase::kVegetable);
    const std::string shipped = platform::ProgramDataFolder() + "layouts/FoodList.xml";
    // Two database containers, added while hidden.
    Add(11, nullptr);
    Add(11, nullptr);
    document->SetSelected(nullptr);
    QApplication::processEvents();
    const std::vector<int> start = QueryCounts(designer);
    ASSERT_EQ(start.size(), 2u);

    // Hidden: rebinding, notices and a filter list nothing.
    panel->SetVktObject(nullptr);
    panel->SetVktObject(&db->Object());
    designer->SetFilter(Side()->BuildFilter());
    designer->Changed();
    QApplication::processEvents();
    EXPECT_EQ(QueryCounts(designer), start);

    // Shown: one listing each, with the handed filter.
    panel->ShowPreview(true);
    QApplication::processEvents();
    const std::vector<int> shown = QueryCounts(designer);
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], start[i] + 1) << i;
    for (TVktTopContainer* top : Tops(designer)) EXPECT_TRUE(top->GetFilter() == Side()->BuildFilter());

    // A layout opened while shown lists each of its database containers once.
    Scripted().files = {shipped};
    Click("BtnOpen");
    QApplication::processEvents();
    ASSERT_FALSE(Tops(designer).empty());
    for (TVktTopContainer* top : Tops(designer)) {
        EXPECT_EQ(top->GetQueryCount(), 1);
        EXPECT_TRUE(top->GetFilter() == Side()->BuildFilter());
    }

    // Detaching lists nothing.
    const std::vector<int> loaded = QueryCounts(designer);
    panel->SetVktObject(nullptr);
    QApplication::processEvents();
    EXPECT_EQ(QueryCounts(designer), loaded);
    EXPECT_TRUE(Scripted().messages.empty());
}
