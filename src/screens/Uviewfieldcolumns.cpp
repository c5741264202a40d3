#include "screens/Uviewfieldcolumns.h"

#include "screens/Fgridedit.h"

void AddViewFieldColumns(TGridEdit& grid, const TViewFieldStruct& fields)
{
    const TPriorityItem& names = fields.GetName();
    for (int i = 0; i < names.GetCount(); ++i) {
        const int field = names.GetItem(i);
        const int width = i < fields.GetWidth().GetCount() ? fields.GetWidth().GetItem(i) : 100;
        const int order = i < fields.GetOrder().GetCount() ? fields.GetOrder().GetItem(i) : 0;
        grid.AddColumn(GetFieldCaption(ToVktField(field)), width, !NumericFields.Contains(field),
                       !FrenchFields.Contains(field), order);
    }
}

void StoreColumnWidths(const TGridEdit& grid, TViewFieldStruct& fields)
{
    const std::vector<int> widths = grid.GetColWidths();
    TPriorityItem& stored = fields.GetWidth();
    for (int i = 0; i < static_cast<int>(widths.size()) && i < stored.GetCount(); ++i) stored.SetItem(i, widths[i]);
}

bool CycleColumnSort(TGridEdit& grid, TViewFieldStruct& fields, int section)
{
    TPriorityItem& order = fields.GetOrder();
    if (section < 0 || section >= order.GetCount()) return false;
    const int state = (order.GetItem(section) + 1) % 3;
    order.SetItem(section, state);
    grid.SetHeaderImage(section, state - 1);
    return true;
}
