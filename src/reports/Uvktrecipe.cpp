#include "reports/Uvktrecipe.h"

#include "layout/Ugraphiccontainer.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvktimagecontainer.h"

TVktRecipe::TVktRecipe() : TVktCardTemplate(ctVktRecipe) {}

int TVktRecipe::BandHeight(int rows) const
{
    const int h = GetRowHeight();
    const int w = Item() ? Item()->GetLineWidth() : 0;
    return (h * 2 * rows + (2 * rows + 2) * w) * 10;
}

void TVktRecipe::SetRowHeight(int height)
{
    InItemsUpdate([&] {
        SetAlignSizeOf("PageHeader", height * 10 + 100);
        SetAlignSizeOf("PageFooter", height * 10 + 100);
        ForGrids(kCardGrids, [&](TVktGridContainer& grid) { grid.SetRowHeight(height); });
        if (Item()) FitBands();
    });
}

int TVktRecipe::GetImageFixRate() const { return ImageItem() ? ImageItem()->GetAlignRate() : 0; }

void TVktRecipe::SetImageFixRate(int rate)
{
    if (ImageItem()) ImageItem()->SetAlignRate(rate);
}

int TVktRecipe::GetChartFixRate() const { return ChartItem() ? ChartItem()->GetAlignRate() : 0; }

void TVktRecipe::SetChartFixRate(int rate)
{
    if (ChartItem()) ChartItem()->SetAlignRate(rate);
}

int TVktRecipe::GetChartField() const
{
    auto* chart = Child<TVktChartContainer>("Chart", 17);
    return chart ? chart->GetItemFieldType() : 0;
}

void TVktRecipe::SetChartField(int type)
{
    if (auto* chart = Child<TVktChartContainer>("Chart", 17)) chart->SetItemFieldType(type);
}

bool TVktRecipe::GetImageEnabled() const { return ImageItem() && ImageItem()->GetIsVisible(); }

void TVktRecipe::SetImageEnabled(bool value)
{
    if (ImageItem()) ImageItem()->SetExpanded(value);
}

bool TVktRecipe::GetImageTrim() const
{
    auto* image = Child<TVktImageContainer>("Image", 15);
    return image && image->GetTrimming();
}

void TVktRecipe::SetImageTrim(bool value)
{
    if (auto* image = Child<TVktImageContainer>("Image", 15)) image->SetTrimming(value);
}

bool TVktRecipe::GetChartEnabled() const { return ChartItem() && ChartItem()->GetIsVisible(); }

void TVktRecipe::SetChartEnabled(bool value)
{
    if (ChartItem()) ChartItem()->SetExpanded(value);
}

bool TVktRecipe::GetDetailPos() const
{
    TViewItem* detail = ChildItem("Detail");
    return detail && detail->GetAlign() == alBottom;
}

void TVktRecipe::SetDetailPos(bool value)
{
    InItemsUpdate([&] {
        if (TViewItem* detail = ChildItem("Detail")) detail->SetAlign(value ? alBottom : alRight);
        if (ImageItem()) ImageItem()->SetAlign(value ? alRight : alBottom);
        if (ChartItem()) ChartItem()->SetAlign(value ? alRight : alBottom);
    });
}

void TVktRecipe::SetGridColor(TColor color)
{
    InItemsUpdate([&] {
        ForGrids(kCardGrids, [&](TVktGridContainer& grid) { grid.SetLineColor(color); });
        if (auto* frame = Child<TGraphicContainer>("DetailFrame", 4)) frame->SetPenColor(color);
    });
}

