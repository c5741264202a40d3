#include "data/Uvktrowpatch.h"

#include "data/Uvktaccesser.h"

namespace {

using F = TVktField;

int IdOf(const platform::Variant& value)
{
    return value.IsEmptyOrNull() ? 0 : value.AsInt();
}

} // namespace

std::optional<TFilterObject> ListedRecordsFilter(const TFilterObject& base, const TPriorityItem& ids,
                                                 const TRowOfId& rowOf)
{
    TFilterObject filter = base;
    filter.Remove(F::Data_ID);
    bool any = false;
    for (int i = 0; i < ids.GetCount(); ++i) {
        if (rowOf(ids.GetItem(i)) < 0) continue;
        filter.Add(F::Data_ID, foEqual, platform::Variant(ids.GetItem(i)), {});
        any = true;
    }
    if (!any) return std::nullopt;
    return filter;
}

int PatchListedRows(TVktAccesser& listing, const TRowOfId& rowOf, TVktTable table, TPriorityItem fields,
                    const TPriorityItem& copied, const TFilterObject& filter)
{
    if (fields.IndexOf(ToInt(F::Data_ID)) < 0) fields << ToInt(F::Data_ID);
    TVktAccesser patch(listing.GetVktObject());
    patch.BeginUpdate();
    patch.SetTable(table);
    patch.SetFields(fields);
    TPriorityItem orders;
    orders.SetCount(fields.GetCount());
    patch.SetOrder(orders);
    patch.SetFilter(filter);
    patch.EndUpdate();
    int patched = 0;
    for (int row = 0; row < patch.GetRowCount(); ++row) {
        patch.SetRowIndex(row);
        const int target = rowOf(IdOf(patch.GetValue(F::Data_ID)));
        if (target < 0) continue;
        listing.SetRowIndex(target);
        for (int i = 0; i < copied.GetCount(); ++i) {
            const TVktField field = ToVktField(copied.GetItem(i));
            if (field == F::Data_ID) continue;
            listing.SetText(field, patch.GetText(field));
            listing.SetValue(field, patch.GetValue(field));
        }
        ++patched;
    }
    return patched;
}
