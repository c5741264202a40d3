#include "data/Uvktdbstruct.h"

namespace {

using F = TVktField;

TPriorityItem FieldList(std::initializer_list<TVktField> fields) {
    TPriorityItem list;
    for (TVktField field : fields) list << ToInt(field);
    return list;
}

// Orders of `count` fields: the first `ascending` (0 or 1), the rest none.
TPriorityItem OrderList(int count, int first) {
    TPriorityItem list;
    list.SetCount(count);
    if (count > 0) list.SetItem(0, first);
    return list;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TVktDB

void TVktDB::Locate(int key) {
    const TVktField keyField = GetKeyField();
    if (keyField == TVktField::None) return;
    const int remembered = GetRowIndex();
    const int count = GetRowCount();
    for (int row = 0; row < count; ++row) {
        SetRowIndex(row);
        const platform::Variant value = GetValue(keyField);
        if (!value.IsEmptyOrNull() && value.AsInt64() == key) return;
    }
    SetRowIndex(remembered);
}

int TVktDB::IntOf(TVktField field) const {
    const platform::Variant value = GetValue(field);
    return value.IsEmptyOrNull() ? 0 : value.AsInt();
}

bool TVktDB::BoolOf(TVktField field) const {
    const platform::Variant value = GetValue(field);
    return value.IsEmptyOrNull() ? false : value.AsBool();
}

double TVktDB::DoubleOf(TVktField field) const {
    const platform::Variant value = GetValue(field);
    return value.IsEmptyOrNull() ? 0.0 : value.AsDouble();
}

platform::Currency TVktDB::CurrencyOf(TVktField field) const {
    const platform::Variant value = GetValue(field);
    return value.IsEmptyOrNull() ? platform::Currency() : value.AsCurrency();
}

platform::TDateTime TVktDB::DateTimeOf(TVktField field) const {
    const platform::Variant value = GetValue(field);
    return value.IsEmptyOrNull() ? 0.0 : value.AsDateTime();
}

std::string TVktDB::TextOf(TVktField field) const {
    return GetValue(field).AsString();
}

void TVktDB::AppendFields(std::initializer_list<TVktField> fields) {
    TPriorityItem list = GetFields();
    TPriorityItem orders = GetOrder();
    // Orders parallel to the fields even when the held list is shorter.
    orders.SetCount(list.GetCount());
    for (TVktField field : fields) {
        list << ToInt(field);
        orders << 0;
    }
    SetFields(list);
    SetOrder(orders);
}

// ---------------------------------------------------------------------------------------------
// Presets over SetTable

TVDBClass::TVDBClass(TVktAccesserOwner owner) : TVktDB(owner) {
    Preset([this] {
        SetTable(TVktTable::TblClass);
        TPriorityItem orders = OrderList(GetFields().GetCount(), 0);
        orders.SetItem(GetFields().IndexOf(ToInt(F::TreeID)), 1);
        SetOrder(orders);
    });
}

TTreeIndex TVDBClass::GetTreeID() const {
    const std::string text = TextOf(F::TreeID);
    return text.empty() ? TTreeIndex() : TTreeIndex(text);
}

TVDBUnits::TVDBUnits(TVktAccesserOwner owner) : TVktDB(owner) {
    Preset([this] { SetTable(TVktTable::TblUnits); });
}

TVDBAttrItem::TVDBAttrItem(TVktAccesserOwner owner) : TVktDB(owner) {
    Preset([this] { SetTable(TVktTable::TblAttrItem); });
}

TVDBAttribute::TVDBAttribute(TVktAccesserOwner owner) : TVktDB(owner) {
    Preset([this] { SetTable(TVktTable::TblAttribute); });
}

TVDBDealer::TVDBDealer(TVktAccesserOwner owner) : TVktDB(owner) {
    Preset([this] { SetTable(TVktTable::TblDealer); });
}

TVDBItem::TVDBItem(TVktAccesserOwner owner) : TVktDB(owner) {
    Preset([this] {
        SetTable(TVktTable::TblItem);
        AppendFields({F::Class, F::Data, F::ItemUnit, F::Icon_Key, F::ItemCatIndex});
        SetOrder(OrderList(GetFields().GetCount(), 0));
    });
}

TVDBMonthHistory::TVDBMonthHistory(TVktAccesserOwner owner) : TVktDB(owner) {
    Preset([this] { SetTable(TVktTable::TblMHistory); });
}

TVDBYearHistory::TVDBYearHistory(TVktAccesserOwner owner) : TVktDB(owner) {
    Preset([this] { SetTable(TVktTable::TblYHistory); });
}

TVDBInvDate::TVDBInvDate(TVktAccesserOwner owner) : TVktDB(owner) {
    // Newest first: InvDate descending; the builder's key order breaks ties.
    Preset([this] {
        SetTable(TVktTable::TblInvDate);
        TPriorityItem orders = OrderList(GetFields().GetCount(), 0);
        orders.SetItem(GetFields().IndexOf(ToInt(F::InvDate)), 2);
        SetOrder(orders);
    });
}

// ---------------------------------------------------------------------------------------------
// Record families over TblData

TVDBKernel::TVDBKernel(TVktAccesserOwner owner) : TVktDB(owner) {
    Preset([this] {
        SetTableOnly(TVktTable::TblData);
        const TPriorityItem fields = FieldList({F::Data_ID, F::Conserve, F::InvItem, F::Class_Key, F::Form_Key,
                                                F::Data, F::Data2, F::UseUnit_Key, F::UsePrice, F::CreateDate,
                                                F::ChangeDate, F::EraseDate});
        SetFields(fields);
        SetOrder(OrderList(fields.GetCount(), 1));
    });
}

TVDBDetail::TVDBDetail(TVktAccesserOwner owner) : TVktDB(owner) {
    Preset([this] {
        SetTableOnly(TVktTable::TblData);
        const TPriorityItem fields = FieldList({F::Data_ID, F::Memo, F::Image});
        SetFields(fields);
        SetOrder(OrderList(fields.GetCount(), 0));
    });
}

TVDBFood::TVDBFood(TVktAccesserOwner owner) : TVDBKernel(owner) {
    Preset([this] { AppendFields({F::BuyUnit_Key, F::BuyPrice, F::Quantity, F::Yield, F::Dealer_Key}); });
}

TVDBCook::TVDBCook(TVktAccesserOwner owner) : TVDBKernel(owner) {
    Preset([this] { AppendFields({F::Complete, F::TotalPrice, F::SalePrice, F::CostRate}); });
}

TVDBMenu::TVDBMenu(TVktAccesserOwner owner) : TVDBCook(owner) {
    Preset([this] { AppendFields({F::Information, F::Information2}); });
}
