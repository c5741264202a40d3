#include "reports/Uvktdatalist.h"

#include "layout/Utextcontainer.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvkttopcontainer.h"

TVktDataList::TVktDataList() : TVktTemplate(8) {}

std::string TVktDataList::GetTitle() const
{
    auto* title = Child<TTextContainer>("Title", 2);
    return title ? title->GetText() : std::string();
}

void TVktDataList::SetTitle(const std::string& title)
{
    if (auto* text = Child<TTextContainer>("Title", 2)) text->SetText(title);
}

int TVktDataList::GetRowHeight() const { return Grid() ? Grid()->GetRowHeight() : 0; }

void TVktDataList::SetRowHeight(int height)
{
    TVktGridContainer* grid = Grid();
    if (!grid) return;
    InItemsUpdate([&] {
        grid->SetRowHeight(height);
        SetAlignSizeOf("Header", height * 10 + 100);
        SetAlignSizeOf("Footer", height * 10 + 100);
    });
}

int TVktDataList::GetParagraph() const { return Grid() ? Grid()->GetParagraph() : 0; }

void TVktDataList::SetParagraph(int count)
{
    if (Grid()) Grid()->SetParagraph(count);
}

int TVktDataList::GetColGap() const { return Grid() ? Grid()->GetColGap() : 0; }

void TVktDataList::SetColGap(int gap)
{
    if (Grid()) Grid()->SetColGap(gap);
}

int TVktDataList::GetParaGap() const { return Grid() ? Grid()->GetParaGap() : 0; }

void TVktDataList::SetParaGap(int gap)
{
    if (Grid()) Grid()->SetParaGap(gap);
}

TNSFloatType TVktDataList::GetFloatType() const { return Grid() ? Grid()->GetFloatType() : TNSFloatType::Formatted; }

void TVktDataList::SetFloatType(TNSFloatType type)
{
    if (Grid()) Grid()->SetFloatType(type);
}

int TVktDataList::GetNumSjis() const { return Grid() ? Grid()->GetNumSjis() : 0; }

void TVktDataList::SetNumSjis(int value)
{
    if (Grid()) Grid()->SetNumSjis(value);
}

int TVktDataList::GetSumField() const { return Grid() ? Grid()->GetSumField() : 0; }

void TVktDataList::SetSumField(int field)
{
    if (Grid()) Grid()->SetSumField(field);
}

int TVktDataList::GetSumClass() const { return Grid() ? Grid()->GetSumClass() : 0; }

void TVktDataList::SetSumClass(int field)
{
    if (Grid()) Grid()->SetSumClass(field);
}

bool TVktDataList::GetParaOrient() const { return Grid() && Grid()->GetParaOrient(); }

void TVktDataList::SetParaOrient(bool value)
{
    if (Grid()) Grid()->SetParaOrient(value);
}

bool TVktDataList::GetDrawFullGrid() const { return Grid() && Grid()->GetDrawFullGrid(); }

void TVktDataList::SetDrawFullGrid(bool value)
{
    if (Grid()) Grid()->SetDrawFullGrid(value);
}

bool TVktDataList::GetRowLine() const { return HasLines(Grid(), true); }

void TVktDataList::SetRowLine(bool value)
{
    if (Grid()) Grid()->SetGridLines(WithLines(Grid(), true, value));
}

bool TVktDataList::GetColLine() const { return HasLines(Grid(), false); }

void TVktDataList::SetColLine(bool value)
{
    if (Grid()) Grid()->SetGridLines(WithLines(Grid(), false, value));
}

TColor TVktDataList::GetRowColor() const { return Grid() ? Grid()->GetTitleColor() : 0xFFFFFF; }

void TVktDataList::SetRowColor(TColor color)
{
    TVktGridContainer* grid = Grid();
    if (!grid) return;
    grid->SetTitleColor(color);
    grid->SetRowColor2(color);
}

TColor TVktDataList::GetGridColor() const { return Grid() ? Grid()->GetLineColor() : 0; }

void TVktDataList::SetGridColor(TColor color)
{
    if (Grid()) Grid()->SetLineColor(color);
}

TPreviewFieldStruct TVktDataList::GetFields() const
{
    TPreviewFieldStruct fields = GetGridFields("DataGrid");
    TVktTopContainer* top = DataTop();
    if (!top) return fields;
    const TAccessFieldStruct sort = top->GetAccessFields();
    for (int i = 0; i < fields.GetName().GetCount(); ++i) {
        const int at = sort.GetFields().IndexOf(fields.GetName().GetItem(i));
        if (at >= 0 && i < fields.GetOrder().GetCount()) fields.GetOrder().SetItem(i, sort.GetOrders().GetItem(at));
    }
    return fields;
}

void TVktDataList::SetFields(TPreviewFieldStruct fields)
{
    SetGridFields("DataGrid", fields);
    TVktTopContainer* top = DataTop();
    if (!top) return;
    TAccessFieldStruct sort;
    sort.GetFields() = fields.GetName();
    sort.GetOrders() = fields.GetOrder();
    sort.GetOrders().SetCount(sort.GetFields().GetCount());
    top->SetAccessFields(sort);
}
