// The chart page on a real chart item: the series in the grid, new series and their defaults, the
// rows each series takes, limits kept in order, the pie's colour, the date axis, a cell that does
// not read, the series kept in the layout file, and the 3-D view drawn as it is set.
#include "dialogs/Fcsvedit.h"
#include "gui/Application.h"
#include "gui/BitmapCanvas.h"
#include "layout/Preview.h"
#include "layout/Uchartcontainer.h"
#include "platform/Bitmap.h"
#include "platform/DateTime.h"
#include "reports/Fchartproperty.h"
#include "support/Child.h"
#include "support/ScriptedServices.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

#include <string>

namespace {

using vkttest::Child;

class ChartPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        TViewItem* item = preview.AddContainer(7);
        item->SetMMBoundRect_({2000, 2000, 18000, 14000});
        chart = dynamic_cast<TChartContainer*>(item->GetObject());
        chart->SetGraphCount(1);
        TSeriesStruct sales;
        sales.Title = "売上";
        sales.Kind = 1;
        for (int month = 1; month <= 3; ++month) sales.Add(month, month * 100, "");
        chart->SetData(0, sales);
        preview.SetSelected(nullptr);
        page.SetViewItem(item);
    }
    TCsvEdit* Cells() { return page.GetCsvEdit(); }
    void Commit() { page.CsvEditExit(); }

    TPreview preview;
    TChartContainer* chart = nullptr;
    TChartProperty page;
};

TEST_F(ChartPageTest, SeriesInTheGridAndNewSeries)
{
    EXPECT_EQ(Cells()->GetCell(1, 0), "売上");
    EXPECT_EQ(Cells()->GetCell(0, 2), "2");
    EXPECT_EQ(Cells()->GetCell(1, 3), "300");
    EXPECT_EQ(Child<TUpDownEdit>(&page, "DataCountEdit")->GetValue(), 3);

    Child<TUpDownEdit>(&page, "GraphCountEdit")->SetValue(3);
    EXPECT_EQ(Cells()->GetCell(2, 0), "グラフ2");
    EXPECT_EQ(Cells()->GetCell(3, 0), "グラフ3");
    ASSERT_EQ(chart->GetGraphCount(), 3);
    EXPECT_EQ(chart->GetData(2).Kind, 1);
    EXPECT_FALSE(chart->GetData(2).MarksVisible);
    EXPECT_EQ(chart->GetData(2).Color, 0);
    EXPECT_EQ(chart->GetData(2).Title, "グラフ3");

    // Rows with an empty Y are left out; so are rows with an empty X except in a pie.
    Cells()->SetCell(2, 1, "50");
    Cells()->SetCell(2, 2, "60");
    Cells()->SetCell(0, 2, "");
    Commit();
    EXPECT_EQ(chart->GetData(1).GetCount(), 1);
    EXPECT_EQ(chart->GetData(0).GetCount(), 2);
    Cells()->SetCurrent(2, 1);
    auto* type = Child<QComboBox>(&page, "CBChartType");
    type->setCurrentIndex(0);
    emit type->activated(0);
    EXPECT_EQ(chart->GetData(1).GetCount(), 2) << "a pie reads no X";
    EXPECT_EQ(chart->GetData(1).GetX(1), 0);
    EXPECT_FALSE(Child<TColorDropDown>(&page, "SeriesColorList")->isEnabled());

    // Typed cells stay while they read as the container's series.
    page.SetViewItem(chart->GetViewItem());
    EXPECT_EQ(Cells()->GetCell(0, 2), "");
    EXPECT_EQ(Cells()->GetCell(2, 2), "60");

    Child<TUpDownEdit>(&page, "DataCountEdit")->SetValue(5);
    EXPECT_EQ(Cells()->GetRowCount(), 6);
    preview.SaveToFile(vkttest::NewTempFolder("chart") + "/chart.xml");
}

TEST_F(ChartPageTest, LimitsStayInOrder)
{
    Child<TUpDownEdit>(&page, "TopChartLimitEdit")->SetValue(8000);
    Child<TUpDownEdit>(&page, "BottomChartLimitEdit")->SetValue(5000);
    EXPECT_EQ(chart->GetChartLimit(), (TRect{0, 8000, 0, 5000}));
    Child<TUpDownEdit>(&page, "TopChartLimitEdit")->SetValue(2000);
    EXPECT_EQ(Child<TUpDownEdit>(&page, "BottomChartLimitEdit")->GetValue(), 2000);
    EXPECT_EQ(chart->GetChartLimit(), (TRect{0, 2000, 0, 2000}));
    Child<TUpDownEdit>(&page, "LeftChartLimitEdit")->SetValue(300);
    EXPECT_EQ(chart->GetChartLimit().Left, 0) << "right 0 pulls the left down";
}

TEST_F(ChartPageTest, DateAxisAndCellsThatDoNotRead)
{
    Child<QCheckBox>(&page, "CBXTypeDate")->click();
    EXPECT_TRUE(chart->GetXTypeDate());
    EXPECT_EQ(Cells()->GetCell(0, 1), "") << "the X column is emptied";
    EXPECT_EQ(chart->GetData(0).GetCount(), 0);
    const char* months[] = {"2024/01/01", "2024/02/01", "2024/03/01"};
    for (int row = 1; row <= 3; ++row) Cells()->SetCell(0, row, months[row - 1]);
    Commit();
    ASSERT_EQ(chart->GetData(0).GetCount(), 3);
    EXPECT_EQ(chart->GetData(0).GetX(1), platform::StrToDateTime("2024/02/01"));
    page.SetViewItem(nullptr);
    page.SetViewItem(chart->GetViewItem());
    EXPECT_EQ(Cells()->GetCell(0, 3), "2024/03/01");

    Cells()->SetCell(1, 2, "二百");
    EXPECT_FALSE(platform::Guard([&] { Commit(); }));
    ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
    EXPECT_EQ(vkttest::Scripted().messages[0].text, "2行2列目の「二百」は数値ではありません。");
    EXPECT_EQ(chart->GetData(0).GetY(1), 200) << "the series is left as it was";
    EXPECT_EQ(preview.GetItems()->GetUpdateCount(), 0);
}

// Ticking 立体効果 draws the series in depth at once, and the depth edit redraws it deeper.
TEST_F(ChartPageTest, View3DAndItsDepthRedrawTheChart)
{
    TSeriesStruct sales = chart->GetData(0);
    sales.Color = 0x00C000;
    sales.SetY(1, 250);   // not along the depth, which rises at 45°
    chart->SetData(0, sales);
    page.SetViewItem(chart->GetViewItem());
    // The pixels of the series' green and its shades.
    const auto green = [&] {
        platform::BitmapCanvas bitmap(400, 300);
        chart->Draw(0, 0, {0, 0, 400, 300}, 10000, bitmap, 1, 1, false);
        const platform::Picture drawn = bitmap.GetImage().ToPicture();
        int count = 0;
        for (int y = 0; y < drawn.GetHeight(); ++y)
            for (int x = 0; x < drawn.GetWidth(); ++x) {
                const int c = static_cast<int>(drawn.GetPixel(x, y));
                const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
                count += g > r + 60 && g > b + 60;
            }
        return count;
    };
    const int flat = green();
    auto* view3D = Child<QCheckBox>(&page, "CBView3D");
    auto* depth = Child<TUpDownEdit>(&page, "View3DWidthEdit");
    EXPECT_FALSE(depth->isEnabled());
    view3D->click();
    EXPECT_TRUE(chart->GetView3D());
    EXPECT_TRUE(depth->isEnabled());
    const int shallow = green();
    EXPECT_GT(shallow, flat * 3) << "a ribbon, not a line";

    depth->SetValue(60);
    EXPECT_EQ(chart->GetView3DWidth(), 60);
    EXPECT_GT(green(), shallow * 2);

    view3D->click();
    EXPECT_EQ(green(), flat);
}

} // namespace
