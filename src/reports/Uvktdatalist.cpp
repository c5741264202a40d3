#include "reports/Uvktdatalist.h"

#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvkttopcontainer.h"

TVktDataList::TVktDataList() : TVktTemplate(ctVktDataList) {}

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
