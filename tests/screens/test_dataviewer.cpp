// The data screen on the sample database: opening records from the list into the editor, edits
// shown in the list through the change notices, the compact and side-by-side editor, and the
// editor closing when its record is purged or the database closes.
#include <gtest/gtest.h>

#include "database/Uvktobject.h"
#include "richtext/Exview.h"
#include "screens/Fdataeditor.h"
#include "screens/Fdataview.h"
#include "screens/Fdataviewer.h"
#include "screens/Fdetaileditpanel.h"
#include "screens/Fkerneleditpanel.h"
#include "support/screens/SampleDatabase.h"
#include "support/Ids.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>

namespace {

using F = TVktField;
using vkttest::SampleDatabase;

using vkttest::Ids;

class DataScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&viewer, 1);
        layout->addWidget(&other);
        window.resize(900, 640);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        viewer.SetVktObject(&db.Object());
        viewer.GetDataView()->SetOnOpenData([this](TDataListView*, int id) { viewer.EditData(id); });
    }

    TDataEditor* Editor() const { return viewer.GetDataEditor(); }
    TKernelEditPanel* Kernel() const { return Editor()->GetKernelEditPanel(); }
    TDataListView* List() const { return viewer.GetDataView()->GetDataListView(); }
    void DoubleClick(const char* name)
    {
        const int row = viewer.GetDataView()->RowOfID(db.Record(name));
        ASSERT_GE(row, 0) << name;
        QTest::mouseDClick(List()->GetStringGrid()->viewport(), Qt::LeftButton, {}, QPoint(150, row * 16 + 8));
        QCoreApplication::processEvents();
    }
    std::string Shown(const char* name, int col) const
    {
        return List()->CellText(col, viewer.GetDataView()->RowOfID(db.Record(name)));
    }

    SampleDatabase db;
    QWidget window;
    TDataViewer viewer{&window};
    QLineEdit other{&window};
};

TEST_F(DataScreen, OpeningARecordShowsTheEditorAndEditsShowInTheList)
{
    EXPECT_FALSE(viewer.IsEditorShown());
    DoubleClick("玉ねぎ");
    ASSERT_TRUE(viewer.IsEditorShown());
    EXPECT_TRUE(Editor()->isVisible());
    EXPECT_EQ(viewer.GetSplitter()->sizes().at(1), 218);
    EXPECT_EQ(Editor()->GetDataID(), db.Record("玉ねぎ"));
    EXPECT_EQ(Editor()->GetDetailEditPanel()->GetDataID(), db.Record("玉ねぎ"));
    EXPECT_EQ(Editor()->GetDetailEditPanel()->GetPageControl()->currentWidget(),
              Editor()->GetDetailEditPanel()->GetTab("TabDetail"));

    // A name typed and left is patched into the list's row without a re-query.
    const int queries = viewer.GetDataView()->GetQueryCount();
    Kernel()->GetNameEdit()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Kernel()->GetNameEdit(), Qt::Key_End);
    QTest::keyClick(Kernel()->GetNameEdit(), 'S');
    other.setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown("玉ねぎS", 2), "玉ねぎS");
    EXPECT_EQ(viewer.GetDataView()->GetQueryCount(), queries);

    viewer.EditData(0);
    EXPECT_FALSE(viewer.IsEditorShown());
    EXPECT_EQ(Editor()->GetDataID(), 0);
}

TEST_F(DataScreen, CompactAndSideBySide)
{
    viewer.EditData(db.Record("和牛のステーキ"));
    TDetailEditPanel* detail = Editor()->GetDetailEditPanel();
    EXPECT_FALSE(detail->TabShown("TabKernel"));
    EXPECT_EQ(Kernel()->GetBtnShow()->text().toStdString(), "&>>");
    QList<int> sizes = Editor()->GetSplitter()->sizes();
    sizes[0] = 300;
    sizes[1] += Editor()->GetKernelWidth() - 300;
    Editor()->GetSplitter()->setSizes(sizes);
    emit Editor()->GetSplitter()->splitterMoved(300, 1);
    EXPECT_EQ(Editor()->GetKernelWidth(), 300);

    QTest::mouseClick(Kernel()->GetBtnShow(), Qt::LeftButton);
    EXPECT_TRUE(Editor()->GetCompact());
    EXPECT_TRUE(detail->TabShown("TabKernel"));
    EXPECT_EQ(detail->GetPageControl()->tabText(detail->GetPageControl()->indexOf(detail->GetTab("TabKernel"))), "詳細");
    EXPECT_EQ(detail->GetPageControl()->currentWidget(), detail->GetTab("TabKernel"));
    EXPECT_TRUE(detail->GetTab("TabKernel")->isAncestorOf(Kernel()));
    EXPECT_TRUE(Kernel()->GetSideBySide());
    EXPECT_EQ(Kernel()->GetBtnShow()->text().toStdString(), "&<<");
    // Binding still reaches the kernel panel in its tab.
    EXPECT_EQ(Kernel()->GetVktObject(), &db.Object());

    QTest::mouseClick(Kernel()->GetBtnShow(), Qt::LeftButton);
    EXPECT_FALSE(Editor()->GetCompact());
    EXPECT_FALSE(detail->TabShown("TabKernel"));
    EXPECT_EQ(Kernel()->parentWidget(), Editor()->GetSplitter());
    EXPECT_EQ(Kernel()->width(), 300);
    EXPECT_FALSE(Kernel()->GetSideBySide());
}

TEST_F(DataScreen, PurgesAndClosingCloseTheEditor)
{
    viewer.EditData(db.Record("牛ヒレ肉"));   // in the trash
    ASSERT_TRUE(viewer.IsEditorShown());
    EXPECT_FALSE(Kernel()->GetNameEdit()->isEnabled());
    const int other = db.AddIngredients(SampleDatabase::kVegetable, 1).GetItem(0);
    ASSERT_TRUE(db.Object().EraseData(0, Ids({other}), nullptr));
    ASSERT_TRUE(db.Object().PurgeData(0, Ids({other}), nullptr));
    EXPECT_TRUE(viewer.IsEditorShown());
    ASSERT_TRUE(db.Object().PurgeData(0, Ids({db.Record("牛ヒレ肉")}), nullptr));
    EXPECT_FALSE(viewer.IsEditorShown());

    viewer.EditData(db.Record("玉ねぎ"));
    ASSERT_TRUE(viewer.IsEditorShown());
    db.Object().Close();
    EXPECT_FALSE(viewer.IsEditorShown());
    EXPECT_EQ(viewer.GetVktObject(), nullptr);
}

TEST_F(DataScreen, EditorIsBuiltOnFirstUseAndBoundToTheViewersDatabase)
{
    int hookRuns = 0;
    viewer.WhenEditorBuilt([&hookRuns](TDataEditor*) { ++hookRuns; });
    // Closing, clearing and sizing a closed editor do not build it.
    viewer.ShowEditor(false);
    viewer.EditData(0);
    viewer.SetEditorHeight(180);
    EXPECT_EQ(viewer.FindDataEditor(), nullptr);
    EXPECT_FALSE(viewer.IsEditorShown());
    EXPECT_EQ(hookRuns, 0);

    DoubleClick("玉ねぎ");
    ASSERT_NE(viewer.FindDataEditor(), nullptr);
    EXPECT_EQ(hookRuns, 1);
    ASSERT_TRUE(viewer.IsEditorShown());
    EXPECT_EQ(viewer.GetSplitter()->sizes().at(1), 180);
    EXPECT_EQ(Editor()->GetVktObject(), &db.Object());
    EXPECT_EQ(Editor()->GetDetailEditPanel()->GetDataID(), db.Record("玉ねぎ"));
    EXPECT_EQ(Editor()->GetDetailEditPanel()->GetPageControl()->currentWidget(),
              Editor()->GetDetailEditPanel()->GetTab("TabDetail"));

    // A hook given once the editor exists runs at once; the first one does not run again.
    TDataEditor* given = nullptr;
    viewer.WhenEditorBuilt([&given](TDataEditor* editor) { given = editor; });
    EXPECT_EQ(given, Editor());
    EXPECT_EQ(hookRuns, 1);

    db.Object().Close();
    EXPECT_FALSE(viewer.IsEditorShown());
    EXPECT_EQ(Editor()->GetVktObject(), nullptr);
}

TEST_F(DataScreen, EditorAskedForBeforeBindingFollowsTheViewer)
{
    TDataViewer unbound{&window};
    TDataEditor* editor = unbound.GetDataEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(unbound.FindDataEditor(), editor);
    EXPECT_FALSE(unbound.IsEditorShown());
    EXPECT_EQ(editor->GetVktObject(), nullptr);
    unbound.SetVktObject(&db.Object());
    EXPECT_EQ(editor->GetVktObject(), &db.Object());
    unbound.EditData(db.Record("玉ねぎ"));
    EXPECT_EQ(editor->GetDataID(), db.Record("玉ねぎ"));
    unbound.SetVktObject(nullptr);
}

} // namespace
