// The grid page on a real grid item: counts with the per-column lists, titles (an emptied one kept
// as a blank), widths, alignments and line-break flags of the current column, cells written from
// the editor and shown in the page's PDF; and a derived grid type whose cells the page leaves alone.
#include "dialogs/Fcsvedit.h"
#include "layout/Preview.h"
#include "layout/Ugridcontainer.h"
#include "platform/Text.h"
#include "reports/Fgridproperty.h"
#include "reports/Fpreviewitempropertyex.h"
#include "support/Child.h"
#include "support/ScriptedServices.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace {

using vkttest::Child;

class GridPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        folder = vkttest::NewTempFolder("gridpage");
        grid = Add(6);
        grid->SetColCount(2);
        grid->SetRowCount(2);
        grid->SetTitles("料理,価格");
        grid->SetTitleWidths(TPriorityItem() << 500 << 250);
        grid->SetCSV("天ぷら,1200\r\n刺身,1500\r\n");
    }
    TGridContainer* Add(int type)
    {
        preview.SetSelected(nullptr);
        TViewItem* item = preview.AddContainer(type);
        item->SetMMBoundRect_({2000, 2000, 18000, 12000});
        preview.SetSelected(nullptr);
        return dynamic_cast<TGridContainer*>(item->GetObject());
    }
    void Select(int col) { page.GetCsvEdit()->SetCurrent(col, 1); }

    std::string folder;
    TPreview preview;
    TGridContainer* grid = nullptr;
    TGridProperty page;
};

TEST_F(GridPageTest, CountsTitlesAndColumnValues)
{
    page.SetViewItem(grid->GetViewItem());
    TCsvEdit* cells = page.GetCsvEdit();
    EXPECT_EQ(cells->GetRowCount(), 3);
    EXPECT_EQ(cells->GetCell(0, 0), "料理");
    EXPECT_EQ(cells->GetCell(1, 2), "1500");
    Select(1);
    EXPECT_EQ(Child<QLineEdit>(&page, "TitleEdit")->text().toStdString(), "価格");
    EXPECT_EQ(Child<TUpDownEdit>(&page, "ColWidthEdit")->GetValue(), 250);

    Child<TUpDownEdit>(&page, "ColCountEdit")->SetValue(4);
    EXPECT_EQ(grid->GetColCount(), 4);
    EXPECT_EQ(page.GetWidths(), (std::vector<int>{500, 250, 300, 300}));
    EXPECT_EQ(grid->GetTitleWidths(), TPriorityItem() << 500 << 250 << 300 << 300);
    EXPECT_EQ(grid->GetHeaders().GetAttribute(0).Title, "料理") << "titles survive the new columns";
    Child<TUpDownEdit>(&page, "ColCountEdit")->SetValue(1);
    EXPECT_EQ(page.GetTitles(), (std::vector<std::string>{"料理"}));
    EXPECT_EQ(grid->GetTitleWidths(), TPriorityItem() << 500);

    Child<TUpDownEdit>(&page, "ColCountEdit")->SetValue(2);
    Select(0);
    auto* title = Child<QLineEdit>(&page, "TitleEdit");
    title->setText("");
    emit title->editingFinished();
    EXPECT_EQ(platform::SplitCommaText(grid->GetTitles()).at(0), " ") << "an empty title is kept as a blank";
    page.SetViewItem(grid->GetViewItem());
    Select(0);
    EXPECT_TRUE(title->text().isEmpty());

    // Line breaks only with set break places.
    auto* wrap = Child<QCheckBox>(&page, "CBColWrap");
    EXPECT_FALSE(wrap->isEnabled());
    auto* style = Child<QComboBox>(&page, "ColsWrapStyleList");
    style->setCurrentIndex(1);
    emit style->activated(1);
    EXPECT_TRUE(wrap->isEnabled());
    wrap->click();
    EXPECT_EQ(grid->GetColWraps(), TPriorityItem() << 1 << 0);
    Select(1);
    EXPECT_FALSE(wrap->isChecked());
    Select(0);
    EXPECT_TRUE(wrap->isChecked());
    auto* align = Child<QComboBox>(&page, "TextHorzAlignList");
    align->setCurrentIndex(2);
    emit align->activated(2);
    EXPECT_EQ(grid->GetTitleAligns().GetItem(0), 2);
}

TEST_F(GridPageTest, CellsAndRowsWrittenAndShown)
{
    page.SetViewItem(grid->GetViewItem());
    TCsvEdit* cells = page.GetCsvEdit();
    Child<TUpDownEdit>(&page, "RowCountEdit")->SetValue(3);
    EXPECT_EQ(grid->GetRowCount(), 3);
    cells->SetCell(0, 3, "茶碗蒸し");
    cells->SetCell(1, 3, "680");
    page.CsvEditExit();
    EXPECT_NE(grid->GetCSV().find("茶碗蒸し,680"), std::string::npos) << grid->GetCSV();
    preview.SaveToEMF(folder + "/grid.pdf");
    QProcess text;
    text.start("pdftotext", {QString::fromStdString(folder + "/grid.pdf"), "-"});
    text.waitForFinished(30000);
    EXPECT_TRUE(text.readAllStandardOutput().contains("茶碗蒸し"));

    preview.SaveToFile(folder + "/grid.xml");
    TPreview reloaded;
    reloaded.LoadFromFile(folder + "/grid.xml");
    auto* saved = dynamic_cast<TGridContainer*>(reloaded.GetItems()->GetItem(1)->GetObject());
    EXPECT_EQ(saved->GetRowCount(), 3);
    EXPECT_EQ(saved->GetCSV(), grid->GetCSV());
}

// The page as the designer hosts it, shown again by the notices of each write: a width typed for
// the chosen column of a grid whose cells are still empty lands on that column, though the grid's
// focus-out writes the page (and shows it again) as the field takes the focus.
TEST_F(GridPageTest, WidthTypedForTheChosenColumnOfEmptyCells)
{
    grid->SetCSV("");
    TPreviewItemPropertyEx host;
    host.SetPreview(&preview);
    host.show();
    QApplication::setActiveWindow(&host);
    preview.SetSelected(grid->GetViewItem());
    auto* shown = dynamic_cast<TGridProperty*>(host.GetCurrentPage());
    ASSERT_NE(shown, nullptr);
    shown->GetPageControl()->setCurrentIndex(shown->GetPageControl()->count() - 1);
    TCsvEdit* cells = shown->GetCsvEdit();
    auto* width = Child<TUpDownEdit>(shown, "ColWidthEdit");
    for (int col : {1, 0}) {
        cells->setFocus();
        cells->SetCurrent(col, 1);
        QApplication::processEvents();
        width->GetEdit()->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(cells->GetCol(), col) << "the chosen column stays chosen";
        width->GetEdit()->selectAll();
        QTest::keyClicks(width->GetEdit(), col == 1 ? "20mm" : "35mm");
        QTest::keyClick(width->GetEdit(), Qt::Key_Return);
    }
    EXPECT_EQ(grid->GetTitleWidths(), TPriorityItem() << 350 << 200);
}

TEST_F(GridPageTest, DerivedGridKeepsItsCells)
{
    preview.OnNewContainer = [](TPreview*, int type, TContainer*& c) {
        if (type == 16) c = new TGridContainer(16);
    };
    TGridContainer* data = Add(16);
    data->SetColCount(1);
    data->SetRowCount(1);
    data->SetCSV("牛肉\r\n");
    page.SetViewItem(data->GetViewItem());
    EXPECT_NE(page.GetCsvEdit()->GetCell(0, 1), "牛肉");
    Child<TUpDownEdit>(&page, "RowHeightEdit")->SetValue(80);
    EXPECT_EQ(data->GetRowHeight(), 80);
    EXPECT_EQ(data->GetCSV(), "牛肉\r\n");
    EXPECT_EQ(data->GetColCount(), 1);
}

} // namespace
