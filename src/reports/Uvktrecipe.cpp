#include "reports/Uvktrecipe.h"

#include "layout/Ugraphiccontainer.h"
#include "layout/Utextcontainer.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvktimagecontainer.h"

namespace {

constexpr std::initializer_list<const char*> kBands = {"Item", "Header", "Footer"};

} // namespace

TVktRecipe::TVktRecipe() : TVktTemplate(9) {}

std::string TVktRecipe::GetTitle() const
{
    auto* title = Child<TTextContainer>("Title", 2);
    return title ? title->GetText() : std::string();
}

void TVktRecipe::SetTitle(const std::string& title)
{
    if (auto* text = Child<TTextContainer>("Title", 2)) text->SetText(title);
}

int TVktRecipe::BandHeight(int rows) const
{
    const int h = GetRowHeight();
    const int w = Item() ? Item()->GetLineWidth() : 0;
    return (h * 2 * rows + (2 * rows + 2) * w) * 10;
}

int TVktRecipe::GetRowHeight() const { return Item() ? Item()->GetRowHeight() : 0; }

void TVktRecipe::SetRowHeight(int height)
{
    InItemsUpdate([&] {
        SetAlignSizeOf("PageHeader", height * 10 + 100);
        SetAlignSizeOf("PageFooter", height * 10 + 100);
        ForGrids(kBands, [&](TVktGridContainer& grid) { grid.SetRowHeight(height); });
        if (!Item()) return;
        if (DataGrid("Header")) SetAlignSizeOf("Header", BandHeight(BandRows(GetHeaderFields())));
        if (DataGrid("Footer")) SetAlignSizeOf("Footer", BandHeight(BandRows(GetFooterFields())));
    });
}

int TVktRecipe::GetParagraph() const { return Item() ? Item()->GetParagraph() : 0; }

void TVktRecipe::SetParagraph(int count)
{
    if (Item()) Item()->SetParagraph(count);
}

int TVktRecipe::GetColGap() const { return Item() ? Item()->GetColGap() : 0; }

void TVktRecipe::SetColGap(int gap)
{
    InItemsUpdate([&] { ForGrids(kBands, [&](TVktGridContainer& grid) { grid.SetColGap(gap); }); });
}

int TVktRecipe::GetParaGap() const { return Item() ? Item()->GetParaGap() : 0; }

void TVktRecipe::SetParaGap(int gap)
{
    if (Item()) Item()->SetParaGap(gap);
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

bool TVktRecipe::GetParaOrient() const { return Item() && Item()->GetParaOrient(); }

void TVktRecipe::SetParaOrient(bool value)
{
    if (Item()) Item()->SetParaOrient(value);
}

bool TVktRecipe::GetDrawFullGrid() const { return Item() && Item()->GetDrawFullGrid(); }

void TVktRecipe::SetDrawFullGrid(bool value)
{
    if (Item()) Item()->SetDrawFullGrid(value);
}

void TVktRecipe::SetLines(bool rows, bool value)
{
    if (!Item()) return;
    const TEdgeBorders lines = WithLines(Item(), rows, value);
    InItemsUpdate([&] { ForGrids(kBands, [&](TVktGridContainer& grid) { grid.SetGridLines(lines); }); });
}

bool TVktRecipe::GetRowLine() const { return HasLines(Item(), true); }

void TVktRecipe::SetRowLine(bool value) { SetLines(true, value); }

bool TVktRecipe::GetColLine() const { return HasLines(Item(), false); }

void TVktRecipe::SetColLine(bool value) { SetLines(false, value); }

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

TColor TVktRecipe::GetRowColor() const { return Item() ? Item()->GetTitleColor() : 0xFFFFFF; }

void TVktRecipe::SetRowColor(TColor color)
{
    InItemsUpdate([&] {
        ForGrids(kBands, [&](TVktGridContainer& grid) {
            grid.SetTitleColor(color);
            grid.SetRowColor2(color);
        });
    });
}

TColor TVktRecipe::GetGridColor() const { return Item() ? Item()->GetLineColor() : 0; }

void TVktRecipe::SetGridColor(TColor color)
{
    InItemsUpdate([&] {
        ForGrids(kBands, [&](TVktGridContainer& grid) { grid.SetLineColor(color); });
        if (auto* frame = Child<TGraphicContainer>("DetailFrame", 4)) frame->SetPenColor(color);
    });
}

void TVktRecipe::SetHeaderFields(const TPreviewFieldStruct& fields)
{
    SetBandFields(true, fields, BandHeight(BandRows(fields)));
}

void TVktRecipe::SetFooterFields(const TPreviewFieldStruct& fields)
{
    SetBandFields(false, fields, BandHeight(BandRows(fields)));
}
