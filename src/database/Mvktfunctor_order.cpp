// Reordering. Forms, units, dealers and attribute items are listed in key order, so a move gives
// a row a new key and shifts the keys between its old and new place by one, in the master table
// and in every column that refers to it: each record keeps pointing at the same row. Classes are
// listed in TreeID order; a class move swaps a class and its whole sub-tree with a neighbouring
// sibling's by rewriting the TreeID prefixes (Class_ID values, and so Class_Key, never change).
//
// Every move runs in one savepoint and writes through statements that keep each key unique at
// every row SQLite checks: a shift first maps the affected keys onto their negated new values, then
// flips them back. Keys are positive; a 0 (no reference) is never touched, and no column holds a
// negative key.
#include "database/Mvktfunctor.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace {

// Depth of the family classes; only user classes below them move.
constexpr int kFamilyDepth = 2;

// One column that holds a key of the moving family.
struct KeyColumn {
    TVktTable Table;
    const char* Column;
};

// The master key first, then every referring column.
constexpr KeyColumn kUnitColumns[] = {
    {TVktTable::TblUnits, "Units_ID"},
    {TVktTable::TblData, "Form_Key"},
    {TVktTable::TblData, "UseUnit_Key"},
    {TVktTable::TblFood, "BuyUnit_Key"},
    {TVktTable::TblMHistory, "MHistoryUnit_Key"},
    {TVktTable::TblYHistory, "YHistoryUnit_Key"},
    {TVktTable::TblInventory, "InvUnit_Key"},
    {TVktTable::TblItem, "ItemUnit_Key"},
};

constexpr KeyColumn kDealerColumns[] = {
    {TVktTable::TblDealer, "Dealer_ID"},
    {TVktTable::TblFood, "Dealer_Key"},
};

constexpr KeyColumn kAttrItemColumns[] = {
    {TVktTable::TblAttrItem, "AttrItem_ID"},
    {TVktTable::TblAttribute, "AttrItem_Key"},
};

// A statement with its parameters (the type of TVktFunctor's SqlParams).
using Statement = std::pair<std::string, std::vector<std::pair<std::string, platform::Variant>>>;

// True when `from` may move to `to`: two different keys, both positive.
bool IsKeyMove(int from, int to) { return from != to && from >= 1 && to >= 1; }

// The statements that move key `from` to `to` in each column, the keys between them shifting by
// one toward from's old place. Per column, the range [low, high] goes onto its negated new
// values, then back to positive.
std::vector<Statement> KeyShiftStatements(int from, int to, std::span<const KeyColumn> columns) {
    const int low = std::min(from, to);
    const int high = std::max(from, to);
    std::vector<Statement> statements;
    for (const KeyColumn& column : columns) {
        const std::string t = GetTableFileName(column.Table);
        const std::string c = column.Column;
        statements.push_back({"update " + t + " set " + c + " = -( case when " + c + " = :From then :To" +
                                  " when :To > :From then " + c + " - 1 else " + c + " + 1 end ) where " + c +
                                  " between :Low and :High",
                              {{"From", from}, {"To", to}, {"Low", low}, {"High", high}}});
        statements.push_back({"update " + t + " set " + c + " = -" + c + " where " + c + " between -:High and -:Low",
                              {{"Low", low}, {"High", high}}});
    }
    return statements;
}

} // namespace

bool TVktFunctor::MoveUnit(int from, int to) {
    if (!IsKeyMove(from, to)) return false;
    return Write(false, [&] {
        for (const auto& [sql, params] : KeyShiftStatements(from, to, kUnitColumns)) Exec(sql, params);
        return true;
    });
}

bool TVktFunctor::MoveDealer(int from, int to) {
    if (!IsKeyMove(from, to)) return false;
    return Write(false, [&] {
        for (const auto& [sql, params] : KeyShiftStatements(from, to, kDealerColumns)) Exec(sql, params);
        return true;
    });
}

bool TVktFunctor::MoveAttrItem(int from, int to) {
    if (!IsKeyMove(from, to)) return false;
    return Write(false, [&] {
        for (const auto& [sql, params] : KeyShiftStatements(from, to, kAttrItemColumns)) Exec(sql, params);
        return true;
    });
}

// ---- Classes --------------------------------------------------------------------------------------

namespace {

// Swaps the sub-trees of the siblings K and N (TreeIDs of one length): every TreeID starting with
// one takes the other as its prefix, in one statement.
std::string SwapSubTreesSql(const std::string& table) {
    return "update " + table + " set TreeID = case when substr(TreeID, 1, :Length) = :K"
           " then :N || substr(TreeID, :Length + 1) else :K || substr(TreeID, :Length + 1) end"
           " where substr(TreeID, 1, :Length) in ( :K, :N )";
}

} // namespace

bool TVktFunctor::MoveClassUp(int classId) {
    return Write(false, [&] {
        const TTreeIndex key = GetClassTreeID(classId);
        if (key.Depth() <= kFamilyDepth || key.GetIndex() == 0) return false;
        TTreeIndex previous = key;
        previous.SetIndex(key.GetIndex() - 1);
        const std::string k = key.GetAsString();
        Exec(SwapSubTreesSql(Tbl(TVktTable::TblClass)),
             {{"Length", static_cast<int>(k.size())}, {"K", k}, {"N", previous.GetAsString()}});
        return true;
    });
}

bool TVktFunctor::MoveClassDown(int classId) {
    return Write(false, [&] {
        const TTreeIndex key = GetClassTreeID(classId);
        if (key.Depth() <= kFamilyDepth) return false;
        const std::string k = key.GetAsString();
        const std::string parent = key.GetParent().GetAsString();
        const std::string last =
            QueryText("select TreeID from " + Tbl(TVktTable::TblClass) +
                          " where ( length(TreeID) = :Length ) and ( substr(TreeID, 1, :ParentLength) = :Parent )"
                          " order by TreeID desc",
                      {{"Length", static_cast<int>(k.size())},
                       {"ParentLength", static_cast<int>(parent.size())},
                       {"Parent", parent}});
        if (last.empty() || key.GetIndex() >= TTreeIndex(last).GetIndex()) return false;
        TTreeIndex next = key;
        next.SetIndex(key.GetIndex() + 1);
        Exec(SwapSubTreesSql(Tbl(TVktTable::TblClass)),
             {{"Length", static_cast<int>(k.size())}, {"K", k}, {"N", next.GetAsString()}});
        return true;
    });
}
