#pragma once
// Rows the data and database tests arrange in a database of their own making, and the values they
// read back. A row's statement is SQL text with its values as literals, so it also runs on
// connections the tests only pass text to (a module's Exec inside its batch).
//
//   DataRow   VktDB1F (TblData)   Data_ID Conserve InvItem Class_Key Form_Key Data Data2 UseUnit_Key
//                                 UsePrice CreateDate ChangeDate
//   CookRow   VktDB1N (TblCook)   Cook_Key Complete TotalPrice SalePrice
//   ItemRow   VktDB1O (TblItem)   Item_Key ItemIndex Category CatIndex Data_Key ItemUse ItemPrice
//                                 ItemUnit_Key ItemUsePrice
//
// A column left Empty ({}) is not named in the insert (it takes NULL); Variant::Null() names it with
// NULL.
#include "platform/Sqlite.h"
#include "platform/Variant.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace vkttest {

// A data record; by default live (Conserve false) and counted by stock-taking (InvItem true).
struct DataRow {
    int Data_ID = 0;
    platform::Variant Conserve = false;
    platform::Variant InvItem = true;
    platform::Variant Class_Key{};
    platform::Variant Form_Key{};
    platform::Variant Data{};
    platform::Variant Data2{};
    platform::Variant UseUnit_Key{};
    platform::Variant UsePrice{};
    platform::Variant CreateDate{};
    platform::Variant ChangeDate{};
};

// The cook row of a recipe or menu.
struct CookRow {
    int Cook_Key = 0;
    platform::Variant Complete{};
    platform::Variant TotalPrice{};
    platform::Variant SalePrice = 0;
};

// One item of a recipe or menu; CatIndex 0 takes the item's index.
struct ItemRow {
    int Item_Key = 0;
    int ItemIndex = 0;
    int Category = 1;
    int CatIndex = 0;
    int Data_Key = 0;
    platform::Variant ItemUse{};
    platform::Variant ItemPrice{};
    platform::Variant ItemUnit_Key = 5;
    platform::Variant ItemUsePrice{};
};

// SQL text of a value: numbers in their shortest exact form, texts quoted, booleans 1 and 0.
inline std::string SqlLiteral(const platform::Variant& value)
{
    using Kind = platform::Variant::Kind;
    switch (value.GetKind()) {
    case Kind::Null: return "NULL";
    case Kind::Boolean: return value.AsBool() ? "1" : "0";
    case Kind::Integer: return std::to_string(value.AsInt64());
    case Kind::Double: {
        char buffer[64];
        const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value.AsDouble());
        return std::string(buffer, end);
    }
    case Kind::Text: return platform::QuoteSql(value.AsString());
    default: throw std::invalid_argument("no SQL literal for this value");
    }
}

using ColumnValues = std::vector<std::pair<const char*, const platform::Variant*>>;

// "insert into <table> (named columns) values (their literals)", Empty columns left out.
inline std::string InsertSql(const std::string& table, const ColumnValues& columns)
{
    std::string names;
    std::string values;
    for (const auto& [name, value] : columns) {
        if (value->IsEmpty()) continue;
        if (!names.empty()) {
            names += ", ";
            values += ", ";
        }
        names += name;
        values += SqlLiteral(*value);
    }
    return "insert into " + table + " (" + names + ") values (" + values + ")";
}

inline std::string InsertSql(const DataRow& row)
{
    const platform::Variant id(row.Data_ID);
    return InsertSql("VktDB1F", {{"Data_ID", &id},
                                 {"Conserve", &row.Conserve},
                                 {"InvItem", &row.InvItem},
                                 {"Class_Key", &row.Class_Key},
                                 {"Form_Key", &row.Form_Key},
                                 {"Data", &row.Data},
                                 {"Data2", &row.Data2},
                                 {"UseUnit_Key", &row.UseUnit_Key},
                                 {"UsePrice", &row.UsePrice},
                                 {"CreateDate", &row.CreateDate},
                                 {"ChangeDate", &row.ChangeDate}});
}

inline std::string InsertSql(const CookRow& row)
{
    const platform::Variant id(row.Cook_Key);
    return InsertSql("VktDB1N", {{"Cook_Key", &id},
                                 {"Complete", &row.Complete},
                                 {"TotalPrice", &row.TotalPrice},
                                 {"SalePrice", &row.SalePrice}});
}

inline std::string InsertSql(const ItemRow& row)
{
    const platform::Variant key(row.Item_Key);
    const platform::Variant index(row.ItemIndex);
    const platform::Variant category(row.Category);
    const platform::Variant catIndex(row.CatIndex == 0 ? row.ItemIndex : row.CatIndex);
    const platform::Variant data(row.Data_Key);
    return InsertSql("VktDB1O", {{"Item_Key", &key},
                                 {"ItemIndex", &index},
                                 {"Category", &category},
                                 {"CatIndex", &catIndex},
                                 {"Data_Key", &data},
                                 {"ItemUse", &row.ItemUse},
                                 {"ItemPrice", &row.ItemPrice},
                                 {"ItemUnit_Key", &row.ItemUnit_Key},
                                 {"ItemUsePrice", &row.ItemUsePrice}});
}

template <typename Row> void Insert(platform::Connection& db, const Row& row) { db.Execute(InsertSql(row)); }

// The first column of the first row: `none` when there is no row; NULL reads 0.
inline std::int64_t QueryInt(platform::Connection& db, const std::string& sql, std::int64_t none = 0)
{
    platform::Statement statement(db, sql);
    return statement.Step() ? statement.GetInt64(0) : none;
}

// As a double: `none` when there is no row or the value is NULL.
inline double QueryReal(platform::Connection& db, const std::string& sql,
                        double none = std::numeric_limits<double>::quiet_NaN())
{
    platform::Statement statement(db, sql);
    return statement.Step() && !statement.IsNull(0) ? statement.GetDouble(0) : none;
}

} // namespace vkttest
