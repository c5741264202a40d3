#include "data/Usqlwiz.h"

#include "data/Mvktdatalister.h"
#include "platform/Errors.h"
#include "platform/Text.h"
#include "platform/Xml.h"

namespace {

using F = TVktField;
using T = TVktTable;

const char* const kJoin = "left outer join ";
const char* const kInvTotalPrice = "( InvPrice * cast( Remained as money ))";

std::string FileName(T table) { return GetTableFileName(table); }
std::string TableName(T table) { return GetTableName(table); }
std::string FieldName(F field) { return GetFieldName(field); }

// Key column of the detail tables joined one-to-one on Data_ID.
F DetailKey(T table) {
    switch (table) {
    case T::TblErase: return F::Erase_Key;
    case T::TblMemo: return F::Memo_Key;
    case T::TblImage: return F::Image_Key;
    case T::TblAttribute: return F::Attribute_Key;
    case T::TblFood: return F::Food_Key;
    case T::TblMHistory: return F::MHistory_Key;
    case T::TblYHistory: return F::YHistory_Key;
    case T::TblCook: return F::Cook_Key;
    case T::TblInformation: return F::Information_Key;
    default: return F::None;
    }
}

// The text of ItemCatIndex as the lister forms it: the category's letter (Category clamped to
// 1..53, NULL counting as 0), "-" and CatIndex.
std::string ItemCatIndexExpression() {
    return "( substr( '" + std::string(VktCategoryAlphabet) +
           "', min( max( coalesce( Category, 0 ), 1 ), 53 ), 1 ) || '-' || coalesce( CatIndex, '' ))";
}

// WHERE item of the unit-list filter kinds 1..6.
std::string UnitListCondition(int kind) {
    const int type = (kind - 1) % 3 + 1;
    return "UnitsType=0 or (UnitsType=" + platform::IntToStr(type) + " and UnitsKind=" +
           (kind <= 3 ? "false" : "true") + ")";
}

// Appends the items of a part as lines "  item" + separator (none after the last).
void AppendItems(std::string& sql, const TSqlStringList& part, const char* separator) {
    const int count = part.GetCount();
    for (int i = 0; i < count; ++i) {
        sql += "  ";
        sql += part.GetString(i);
        if (i + 1 < count) sql += separator;
        sql += '\n';
    }
}

} // namespace

// ---- TSqlWiz -------------------------------------------------------------------------------------

std::string TSqlWiz::GetSQL(TVktTable table, const TPriorityItem& fields, const TPriorityItem& orders,
                            const TFilterObject& filter) {
    table_ = table;

    // Keep the fields the base table may select, each with its own order value.
    const TVktFieldSet allowed = GetTableFieldSet(table_);
    TPriorityItem keptFields;
    TPriorityItem keptOrders;
    for (int i = 0; i < fields.GetCount(); ++i) {
        const int field = fields.GetItem(i);
        if (!allowed.Contains(field)) continue;
        keptFields << field;
        keptOrders << (i < orders.GetCount() ? orders.GetItem(i) : 0);
    }

    AddFrom();

    if (StoredTables.Contains(table_)) {
        keptFields << ToInt(GetTableFirstField(table_));
        keptOrders << 1;
        if (table_ == T::TblItem) {
            keptFields << ToInt(F::ItemIndex);
            keptOrders << 1;
        }
    }

    AddSelect(keptFields, keptOrders);

    if (filter.GetKind() != 0 || filter.GetCount() > 0) AddFilter(filter);

    std::string sql = "select distinct\n";
    AppendItems(sql, selects_, ",");
    sql += "From\n";
    AppendItems(sql, froms_, ",");
    AppendItems(sql, joins_, "");
    if (wheres_.GetCount() > 0) {
        sql += "where\n";
        const int count = wheres_.GetCount();
        for (int i = 0; i < count; ++i) {
            const std::string& item = wheres_.GetString(i);
            sql += "  ";
            if (count >= 2 && (item.empty() || item.front() != '('))
                sql += "(" + item + ")";
            else
                sql += item;
            if (i + 1 < count) sql += "and";
            sql += '\n';
        }
    }
    if (orders_.GetCount() > 0) {
        sql += "order by\n";
        AppendItems(sql, orders_, ",");
    }
    return sql;
}

void TSqlWiz::AddFrom() {
    selects_.Clear();
    froms_.Clear();
    joins_.Clear();
    wheres_.Clear();
    orders_.Clear();
    joinedAliases_.Clear();
    if (table_ == T::None || ToInt(table_) >= VktTableCount) return;
    joinedAliases_.Add(TableName(table_));
    if (UnitViewTables.Contains(table_))
        froms_.Add(FileName(T::TblUnits) + " as " + TableName(table_));
    else
        froms_.Add(FileName(table_) + " /* " + TableName(table_) + " */");
}

std::string TSqlWiz::ColumnRef(TVktField field) const {
    const T table = GetFieldTable(field);
    if (UnitViewTables.Contains(table)) return TableName(table) + (FrenchFields.Contains(field) ? ".Units2" : ".Units");
    if (table == T::TblAttribute && table_ != T::TblAttribute)
        return FileName(T::TblAttribute) + "." + FieldName(field);
    return FieldName(field);
}

void TSqlWiz::AddSelect(const TPriorityItem& fields, const TPriorityItem& orders) {
    for (int i = 0; i < fields.GetCount(); ++i) {
        const F field = ToVktField(fields.GetItem(i));
        const int order = i < orders.GetCount() ? orders.GetItem(i) : 0;
        const T table = GetFieldTable(field);
        const std::string name = FieldName(field);
        const bool ordered = order != 0 && field != F::Memo && field != F::Image;
        const std::string suffix = order == 1 ? "" : " desc";

        AddJoin(field);

        if (table == T::TblClass) {
            if (ordered) selects_.Add(FieldName(F::TreeID));
            selects_.Add(name);
        } else if (field == F::CostRate) {
            selects_.Add("( cast( UsePrice as numeric ) / cast( SalePrice as numeric ) * 100 ) as " + name);
        } else if (field == F::ItemCatIndex) {
            selects_.Add(FieldName(F::Category));
            selects_.Add(FieldName(F::CatIndex));
        } else if (field == F::InvTotalPrice) {
            selects_.Add(FieldName(F::InvPrice));
            selects_.Add(FieldName(F::Remained));
            selects_.Add(kInvTotalPrice + (" as " + name));
        } else {
            const std::string ref = ColumnRef(field);
            selects_.Add(ref == name ? name : ref + " as " + name);
        }

        if (!ordered) continue;
        if (!StoredTables.Contains(table)) {
            orders_.Add(ColumnRef(field) + suffix);
        } else if (field == F::ItemCatIndex) {
            orders_.Add(FieldName(F::Category) + suffix);
            orders_.Add(FieldName(F::CatIndex) + suffix);
        } else if (table == T::TblClass) {
            orders_.Add(FieldName(F::TreeID) + " " + suffix);
        } else {
            orders_.Add(ColumnRef(field) + suffix);
        }
    }
}

void TSqlWiz::AddJoinItem(const std::string& alias, const std::string& text) {
    if (joinedAliases_.IndexOf(alias) >= 0) return;
    joinedAliases_.Add(alias);
    joins_.Add(text);
}

void TSqlWiz::AddTableJoin(TVktTable table, const std::string& on) {
    AddJoinItem(TableName(table), kJoin + FileName(table) + " /* " + TableName(table) + " */" + on);
}

void TSqlWiz::AddViewJoin(TVktTable view, TVktField key) {
    const std::string name = TableName(view);
    AddJoinItem(name, kJoin + FileName(T::TblUnits) + " as " + name + " on " + name + ".Units_ID = " +
                          FieldName(key));
}

void TSqlWiz::AddJoin(TVktField field) {
    const T table = GetFieldTable(field);
    if (table == table_) return;
    if (table_ == T::TblItem) AddTableJoin(T::TblData, " on Data_ID = Data_Key");
    if (table_ == T::TblInventory) AddTableJoin(T::TblData, " on Data_ID = Inventory_Key");

    switch (table) {
    case T::TblClass:
        AddTableJoin(T::TblClass, " on Class_ID = Class_Key");
        break;
    case T::TblDealer:
        AddTableJoin(T::TblFood, " on Food_Key = Data_ID");
        AddTableJoin(T::TblDealer, " on Dealer_ID = Dealer_Key");
        break;
    case T::TblAttrItem: {
        const std::string attribute = FileName(T::TblAttribute);
        AddTableJoin(T::TblAttribute, " on " + attribute + ".Attribute_Key = " +
                                          (table_ == T::TblItem ? "Item_Key" : "Data_ID"));
        AddTableJoin(T::TblAttrItem, " on AttrItem_ID = " + attribute + ".AttrItem_Key");
        break;
    }
    case T::TblInvDate:
        if (table_ != T::TblInventory) AddTableJoin(T::TblInventory, " on Inventory_Key = Data_ID");
        AddTableJoin(T::TblInvDate, " on InvDate_ID = InvDate_Key");
        break;
    case T::TblAttribute:
        AddTableJoin(T::TblAttribute, " on " + ColumnRef(F::Attribute_Key) + " = Data_ID");
        break;
    case T::TblErase:
    case T::TblMemo:
    case T::TblImage:
    case T::TblFood:
    case T::TblMHistory:
    case T::TblYHistory:
    case T::TblCook:
    case T::TblInformation:
        AddTableJoin(table, " on " + FieldName(DetailKey(table)) + " = Data_ID");
        break;
    case T::TblItem:
        AddTableJoin(T::TblItem, " on ( Item_Key = Data_ID ) and ( ItemIndex = 1 )");
        break;
    case T::TblInventory:
        AddTableJoin(T::TblInventory, " on ( Inventory_Key = Data_ID ) and ( InvDate_Key = 1 )");
        break;
    case T::TblForm:
        AddViewJoin(table, F::Form_Key);
        break;
    case T::TblUseUnit:
        AddViewJoin(table, F::UseUnit_Key);
        break;
    case T::TblBuyUnit:
        AddTableJoin(T::TblFood, " on Food_Key = Data_ID");
        AddViewJoin(table, F::BuyUnit_Key);
        break;
    case T::TblItemUnit:
        if (table_ != T::TblItem) AddTableJoin(T::TblItem, " on Item_Key = Data_ID");
        AddViewJoin(table, F::ItemUnit_Key);
        break;
    case T::TblInvUnit:
        if (table_ != T::TblInventory) AddTableJoin(T::TblInventory, " on Inventory_Key = Data_ID");
        AddViewJoin(table, F::InvUnit_Key);
        break;
    case T::TblMHistoryUnit:
        AddTableJoin(T::TblMHistory, " on MHistory_Key = Data_ID");
        AddViewJoin(table, F::MHistoryUnit_Key);
        break;
    case T::TblYHistoryUnit:
        AddTableJoin(T::TblYHistory, " on YHistory_Key = Data_ID");
        AddViewJoin(table, F::YHistoryUnit_Key);
        break;
    default:   // TblUnits, TblData, TblInitialize, None: nothing to join
        break;
    }
}

void TSqlWiz::AddFilter(const TFilterObject& filter) {
    const int kind = filter.GetKind();
    if (kind >= 1 && kind <= 6) {
        wheres_.Add(UnitListCondition(kind));
        return;
    }
    if (kind != 0) return;

    for (int i = 0; i < filter.GetCount(); ++i) {
        const TFilters& filters = filter.Filters(i);
        // An entry without conditions (all removed on the screens) selects nothing out.
        if (filters.GetCount() == 0) continue;
        const F field = filters.GetField();
        switch (GetFilterForm(table_, field)) {
        case TFilterForm::LeftOut:   // a saved query's filter on another table
            break;
        case TFilterForm::ClassTree:
            AddJoin(field);
            wheres_.Add("treeid like ( select treeid || '%' from vktdb1a where class_id = :" +
                        FilterBeginParam(field, 0) + " )");
            break;
        case TFilterForm::AttrChecks:
            AddAttrChecks(filters);
            break;
        case TFilterForm::TrashState:
            AddJoin(field);
            if (filters.GetOperator(0) == foIsEmpty)
                wheres_.Add("Conserve = false and Erase_Key is null");
            else
                wheres_.Add("Conserve = true or Erase_Key is not null");
            break;
        case TFilterForm::Plain:
            AddJoin(field);
            wheres_.Add(FilterToSql(filters));
            break;
        }
    }
}

void TSqlWiz::AddAttrChecks(const TFilters& filters) {
    const F field = filters.GetField();
    std::string item;
    if (table_ == T::TblAttribute) {
        // The attribute rows themselves: each condition tests the row's own item and check.
        for (int j = 0; j < filters.GetCount(); ++j) {
            if (j > 0) item += "and\n  ";
            item += "( AttrItem_Key = :" + FilterBeginParam(field, j) + " )and( AttrCheck = :" +
                    FilterEndParam(field, j) + " )";
        }
        wheres_.Add(item);
        return;
    }
    // The attribute joins test Data_ID: on an item or inventory base the record must be joined
    // before them (nothing is added on TblData itself).
    AddJoin(F::Data_ID);
    const std::string file = FileName(T::TblAttribute);
    for (int j = 0; j < filters.GetCount(); ++j) {
        const std::string alias = TableName(T::TblAttribute) + platform::IntToStr(j);
        const std::string begin = FilterBeginParam(field, j);
        AddJoinItem(alias, kJoin + file + " as " + alias + " on Data_ID = " + alias + ".Attribute_Key and " +
                               alias + ".AttrItem_Key = :" + begin);
        if (j > 0) item += "and\n  ";
        item += "( " + alias + ".AttrItem_Key = :" + begin + " )and( " + alias + ".AttrCheck = :" +
                FilterEndParam(field, j) + " )";
    }
    wheres_.Add(item);
}

std::string TSqlWiz::FilterToSql(const TFilters& filters) const {
    const F field = filters.GetField();
    const int count = filters.GetCount();
    // The computed columns stand as their expressions and each condition on them is wrapped.
    const bool computed = field == F::CostRate || field == F::InvTotalPrice || field == F::ItemCatIndex;
    const std::string f = field == F::CostRate        ? std::string("(( UsePrice / SalePrice ) * 100 )")
                          : field == F::InvTotalPrice ? std::string(kInvTotalPrice)
                          : field == F::ItemCatIndex  ? ItemCatIndexExpression()
                                                      : ColumnRef(field);
    std::string item;
    for (int i = 0; i < count; ++i) {
        const std::string b = FilterBeginParam(field, i);
        const std::string e = FilterEndParam(field, i);
        std::string text;
        switch (filters.GetOperator(i)) {
        case foNotEqual: text = f + "<>:" + b; break;
        case foAtLeast: text = f + ">=:" + b; break;
        case foAtMost: text = f + "<=:" + b; break;
        case foBetween: text = "(" + f + ">=:" + b + ")and(" + f + "<=:" + e + ")"; break;
        case foOutside: text = "((" + f + "<:" + b + ")or(" + f + ">:" + e + "))"; break;
        case foContains: text = "(" + f + " like :" + b + ")"; break;
        case foNotContains: text = "not(" + f + " like :" + b + ")"; break;
        case foIsEmpty: text = f + " is null"; break;
        case foIsNotEmpty: text = f + " is not null"; break;
        default: text = f + "=:" + b; break;   // 0, 8 and codes above 10
        }
        if ((count > 1 && text.front() != '(') || computed) text = "(" + text + ")";
        if (i > 0) item += "or";
        item += text;
    }
    if (count > 1) item = "(" + item + ")";
    return item;
}

std::string VktSQLString(TVktTable table, const TPriorityItem& fields, const TPriorityItem& orders,
                         const TFilterObject& filter) {
    TSqlWiz wiz;
    return wiz.GetSQL(table, fields, orders, filter);
}

// ---- Write statements ------------------------------------------------------------------------------

namespace {

// Column i of the field's table (counted from the table's first field).
std::string KeyColumn(F field, int index) {
    return FieldName(ToVktField(ToInt(GetTableFirstField(GetFieldTable(field))) + index));
}

// " where K0=v0 and K1=v1 ..."
std::string KeyCondition(F field, const TPriorityItem& keys) {
    std::string text = " where ";
    for (int i = 0; i < keys.GetCount(); ++i) {
        if (i > 0) text += " and ";
        text += KeyColumn(field, i) + "=" + platform::IntToStr(keys.GetItem(i));
    }
    return text;
}

void RequireKeys(const char* function, F field, const TPriorityItem& keys) {
    if (keys.GetCount() == 0)
        throw platform::Error(std::string(function) + ": no key values for " + FieldName(field));
}

} // namespace

std::string GetUpdateSql(TVktField field, const std::string& param, const TPriorityItem& keys) {
    RequireKeys("GetUpdateSql", field, keys);
    return "update " + FileName(GetFieldTable(field)) + " set " + FieldName(field) + "=:" + param +
           KeyCondition(field, keys);
}

std::string GetInsertSql(TVktField field, const std::string& param, const TPriorityItem& keys) {
    RequireKeys("GetInsertSql", field, keys);
    std::string columns;
    std::string values;
    for (int i = 0; i < keys.GetCount(); ++i) {
        columns += KeyColumn(field, i) + ",";
        values += platform::IntToStr(keys.GetItem(i)) + ",";
    }
    return "insert into " + FileName(GetFieldTable(field)) + " (" + columns + FieldName(field) + ") values (" +
           values + ":" + param + ")";
}

std::string GetDeleteSql(TVktField field, const TPriorityItem& keys) {
    RequireKeys("GetDeleteSql", field, keys);
    return "delete from " + FileName(GetFieldTable(field)) + KeyCondition(field, keys);
}

// ---- Saved queries ---------------------------------------------------------------------------------

void VktQueryToXML(platform::XmlNode parent, TVktTable table, const TPriorityItem& fields,
                   const TPriorityItem& orders, const TFilterObject& filter) {
    platform::XmlNode query = parent.AddChild("VktQuery");
    query.SetAttribute("Version", "1.0");
    query.SetAttribute("TableType", TableName(table));

    std::string names;
    for (int i = 0; i < fields.GetCount(); ++i) {
        if (i > 0) names += ",";
        names += FieldName(ToVktField(fields.GetItem(i)));
    }
    query.AddChild("Select").SetAttribute("Fields", names);

    std::string ordered;
    for (int i = 0; i < orders.GetCount() && i < fields.GetCount(); ++i) {
        const int order = orders.GetItem(i);
        if (order == 0) continue;
        if (!ordered.empty()) ordered += ",";
        ordered += FieldName(ToVktField(fields.GetItem(i))) + (order == 1 ? "=Asc" : "=Desc");
    }
    if (!ordered.empty()) query.AddChild("Order").SetAttribute("Fields", ordered);

    if (filter.GetCount() > 0) filter.SaveToXml(query.AddChild("Filter"));
}

std::string XMLToVktSQLString(const platform::XmlNode& query) {
    const std::string tableName = query.GetAttribute("TableType");
    const T table = FindTableByName(tableName);
    if (table == VktTableNotFound || table == T::None)
        throw platform::Error("Saved query: unknown TableType \"" + tableName + "\"");

    const platform::XmlNode select = query.FindChild("Select");
    if (select.IsNull()) throw platform::Error("Saved query: no \"Select\" element");

    TPriorityItem fields;
    TPriorityItem orders;
    for (const std::string& name : platform::SplitCommaText(select.GetAttribute("Fields"))) {
        fields << ToInt(FindFieldByName(name));
        orders << 0;
    }

    const platform::XmlNode order = query.FindChild("Order");
    if (!order.IsNull()) {
        for (const std::string& entry : platform::SplitCommaText(order.GetAttribute("Fields"))) {
            const std::size_t equals = entry.find('=');
            const std::string name = entry.substr(0, equals);
            const std::string value = equals == std::string::npos ? std::string() : entry.substr(equals + 1);
            // An entry naming a field outside the select list raises the list's index error.
            orders.SetItem(fields.IndexOf(ToInt(FindFieldByName(name))), value == "Asc" ? 1 : 2);
        }
    }

    // Columns the base cannot reach go with their orders (unknown names among them).
    TPriorityItem keptFields;
    TPriorityItem keptOrders;
    for (int i = 0; i < fields.GetCount(); ++i) {
        if (!CanListField(table, ToVktField(fields.GetItem(i)))) continue;
        keptFields << fields.GetItem(i);
        keptOrders << orders.GetItem(i);
    }
    // A stored base always selects its key; a unit view has nothing else.
    if (keptFields.GetCount() == 0 && !StoredTables.Contains(table))
        throw platform::Error("Saved query: no column of " + tableName + " to select");

    TFilterObject filter;
    const platform::XmlNode filterNode = query.FindChild("Filter");
    if (!filterNode.IsNull()) filter.LoadFromXml(filterNode);

    return VktSQLString(table, keptFields, keptOrders, filter);
}
