#pragma once
// The SQL builder: select statements for a base table, a field list, parallel sort orders and a
// filter (VktSQLString); single-field write statements addressed by key values (GetUpdateSql,
// GetInsertSql, GetDeleteSql); the saved-query XML (VktQueryToXML, XMLToVktSQLString).
//
// Select text, every line ended by "\n", items indented by two blanks:
//   select distinct
//     item,            one per select item, "," after all but the last
//   From
//     VktDB1F /* TblData */     (a unit view: VktDB1B as TblForm)
//     left outer join ...       one per join
//   where                       when there are conditions
//     (item)and                 items wrapped in "(" ")" when two or more; "and" after all but the last
//   order by                    when there are orders
//     item,
// Values never enter the text: filter values are named parameters (see Ufilterstruct.h for the
// names and SetFilterParams for the binding).
//
// Rules beyond the plain text table:
//  - a listed field outside the base table's GetTableFieldSet is dropped together with its order;
//  - a stored base table is always ordered last by its key column (TblItem also by ItemIndex);
//  - each table (or alias) is joined at most once: the first join requested wins;
//  - a unit-view column sorts by its selected expression (TblUseUnit.Units, TblForm.Units2);
//  - a joined TblAttribute is referred to as VktDB1J.<column>, apart from the TblAttribute<j>
//    aliases of the attribute-check filter;
//  - the attribute-check filter joins the record (TblData) first on a TblItem or TblInventory base:
//    its joins test Data_ID;
//  - a condition on a computed column (CostRate, InvTotalPrice, ItemCatIndex) tests its expression,
//    wrapped in parentheses; one on a unit-view column tests its view's Units or Units2;
//  - a filter field the base cannot reach is left out (GetFilterForm; the binder skips it alike);
//  - a filter entry without conditions adds neither a join nor a condition.
#include <string>

#include "core/Priorityitem.h"
#include "data/Ufilterstruct.h"
#include "data/Vkttabledefine.h"
#include "platform/StringList.h"

namespace platform {
class XmlNode;
}

// One part of a statement, one item per line. Add refuses an item the list already holds (compared
// regardless of letter case) and returns the index of the existing or new item.
class TSqlStringList : public platform::StringList {
public:
    TSqlStringList() { SetIgnoreDuplicates(true); }
};

// Builds one select statement (lives inside one VktSQLString call).
class TSqlWiz {
public:
    TSqlWiz() = default;
    virtual ~TSqlWiz() = default;
    TSqlWiz(const TSqlWiz&) = delete;
    TSqlWiz& operator=(const TSqlWiz&) = delete;

    std::string GetSQL(TVktTable table, const TPriorityItem& fields, const TPriorityItem& orders,
                       const TFilterObject& filter);

    // Clears the five parts and adds the FROM item of the base table (none for table None).
    void AddFrom();
    // The joins that make field's column reachable from the base table.
    virtual void AddJoin(TVktField field);
    // Select and order items of the fields; orders[i] belongs to fields[i] (missing: 0). 0 no order,
    // 1 ascending, any other value descending; Memo and Image are never ordered.
    virtual void AddSelect(const TPriorityItem& fields, const TPriorityItem& orders);
    // Joins and WHERE items of a filter (kind 0: its field entries; 1..6: a unit-list condition).
    virtual void AddFilter(const TFilterObject& filter);
    // The WHERE item of one field's conditions: alternatives joined by "or".
    std::string FilterToSql(const TFilters& filters) const;

    TVktTable GetTable() const { return table_; }
    void SetTable(TVktTable table) { table_ = table; }

protected:
    // The column as the statement refers to it (qualified for a joined TblAttribute; a unit-view
    // column as its view's Units or Units2).
    std::string ColumnRef(TVktField field) const;
    // The attribute-check conditions: one aliased join per condition, all of which must hold (on
    // TblAttribute itself: the row's own item and check).
    void AddAttrChecks(const TFilters& filters);
    // Adds a join item unless `alias` is joined already (or is the base table).
    void AddJoinItem(const std::string& alias, const std::string& text);
    // "left outer join F /* N */" + on.
    void AddTableJoin(TVktTable table, const std::string& on);
    // "left outer join VktDB1B as V on V.Units_ID = key".
    void AddViewJoin(TVktTable view, TVktField key);

    TVktTable table_ = TVktTable::None;
    TSqlStringList selects_;
    TSqlStringList froms_;
    TSqlStringList joins_;
    TSqlStringList wheres_;
    TSqlStringList orders_;
    TSqlStringList joinedAliases_;
};

// The select statement of a base table, fields, orders and filter.
std::string VktSQLString(TVktTable table, const TPriorityItem& fields, const TPriorityItem& orders,
                         const TFilterObject& filter);

// Write statements for one column of field's table, rows addressed by keys[i] matched to the
// table's i-th column: "update F set C=:param where K0=v0 and K1=v1", "insert into F (K0,K1,C)
// values (v0,v1,:param)", "delete from F where K0=v0". An empty key list raises platform::Error
// (for update and delete: a statement without WHERE would touch every row).
std::string GetUpdateSql(TVktField field, const std::string& param, const TPriorityItem& keys);
std::string GetInsertSql(TVktField field, const std::string& param, const TPriorityItem& keys);
std::string GetDeleteSql(TVktField field, const TPriorityItem& keys);

// Saved query element:
//   "VktQuery"  Version="1.0" TableType=<table name>
//     "Select"  Fields="Data,UsePrice"               (column names joined by ",")
//     "Order"   Fields="Data=Asc,UsePrice=Desc"      (only when some field is ordered)
//     "Filter"  the filter's own XML                  (only when it has entries)
void VktQueryToXML(platform::XmlNode parent, TVktTable table, const TPriorityItem& fields,
                   const TPriorityItem& orders, const TFilterObject& filter);
// The select text of a saved query. A TableType naming no table, a missing "Select" child, an
// "Order" entry naming a field that the "Select" list lacks or a unit view left with no column to
// select raises platform::Error; names in "Select" that are unknown or that the base cannot reach
// (CanListField) are left out together with their orders.
std::string XMLToVktSQLString(const platform::XmlNode& query);
