#include "screens/Unoticesupport.h"

bool HasCompositeIds(TVktField field)
{
    using F = TVktField;
    switch (field) {
    case F::AttrCheck:
    case F::ItemIndex:
    case F::ItemUse:
    case F::ItemUsePrice:
    case F::InvDate_Key:
    case F::InvUnit_Key:
    case F::InvPrice:
    case F::Remained:
    case F::InvTotalPrice: return true;
    default: return false;
    }
}

TPriorityItem FirstIdOnly(const TPriorityItem& ids)
{
    TPriorityItem first;
    if (ids.GetCount() > 0) first << ids.GetItem(0);
    return first;
}

TPriorityItem NoticeRecordIds(TVktField field, const TPriorityItem& ids)
{
    return HasCompositeIds(field) ? FirstIdOnly(ids) : ids;
}
