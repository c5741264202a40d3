// Trash, restore, purge and deletes: records move between the states live, erased (a row in
// TblErase), conserved (purged but still counted on an inventory sheet: only the TblData row
// stays, Conserve true, InvItem false) and gone; master rows are deleted; the dependency queries
// tell a caller whether a master row is still referenced.
//
// A record that a recipe or menu uses as an item is never erased nor purged. Every writing
// operation runs in one savepoint, so a failure leaves nothing half done: no purge with only some
// of the record's rows deleted, no class deleted with its later siblings not yet renumbered.
#include "database/Mvktfunctor.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// Depth of the family classes (ingredients, recipes, menus); user classes lie below them.
constexpr int kFamilyDepth = 2;

// Tables whose rows belong to one data record, with the column holding its Data_ID, in the order
// a purge deletes them (after the trash row).
struct OwnedRows {
    TVktTable Table;
    const char* KeyColumn;
};

constexpr OwnedRows kOwnedRows[] = {
    {TVktTable::TblMemo, "Memo_Key"},       {TVktTable::TblImage, "Image_Key"},
    {TVktTable::TblAttribute, "Attribute_Key"}, {TVktTable::TblFood, "Food_Key"},
    {TVktTable::TblMHistory, "MHistory_Key"}, {TVktTable::TblYHistory, "YHistory_Key"},
    {TVktTable::TblCook, "Cook_Key"},       {TVktTable::TblItem, "Item_Key"},
    {TVktTable::TblInformation, "Information_Key"},
};

// The condition that no recipe or menu uses the record :ID as an item (a lookup of the
// TblItem.Data_Key index).
std::string NotAnItem() {
    return "not exists ( select 1 from " + GetTableFileName(TVktTable::TblItem) + " where Data_Key = :ID )";
}

} // namespace

// ---- Records --------------------------------------------------------------------------------------

bool TVktFunctor::EraseData(int dataId) {
    return Write(false, [&] {
        const std::string erase = Tbl(TVktTable::TblErase);
        const bool erasable = QueryHasRow(
            "select Data_ID from " + Tbl(TVktTable::TblData) + " left join " + erase +
                " on Data_ID = Erase_Key where ( Data_ID = :ID ) and ( Erase_Key is null ) and " + NotAnItem(),
            {{"ID", dataId}});
        if (erasable)
            Exec("insert into " + erase + " ( Erase_Key, EraseDate ) values ( :ID, :Now )",
                 {{"ID", dataId}, {"Now", platform::ToIsoDateTime(platform::Now())}});
        return true;
    });
}

bool TVktFunctor::RestoreData(int dataId) {
    return Write(false, [&] {
        // A conserved record has no trash row and stays conserved.
        Exec("delete from " + Tbl(TVktTable::TblErase) + " where Erase_Key = :ID", {{"ID", dataId}});
        return true;
    });
}

bool TVktFunctor::PurgeData(int dataId) {
    return Write(false, [&] {
        const std::string data = Tbl(TVktTable::TblData);
        const SqlParams id{{"ID", dataId}};
        const bool purgeable = QueryHasRow(
            "select Data_ID from " + data + " join " + Tbl(TVktTable::TblErase) +
                " on Data_ID = Erase_Key where ( Data_ID = :ID ) and " + NotAnItem(),
            id);
        if (purgeable) {
            Exec("delete from " + Tbl(TVktTable::TblErase) + " where Erase_Key = :ID", id);
            for (const OwnedRows& owned : kOwnedRows)
                Exec("delete from " + Tbl(owned.Table) + " where " + owned.KeyColumn + " = :ID", id);
            Exec("update " + data + " set Conserve = 1, InvItem = 0, ChangeDate = :Now where Data_ID = :ID",
                 {{"ID", dataId}, {"Now", platform::ToIsoDateTime(platform::Now())}});
        }
        // The data row goes once no inventory sheet counts the record; until then it stays
        // conserved and the result is false.
        return Exec("delete from " + data + " where ( Data_ID = :ID ) and ( Conserve = 1 ) and not exists"
                    " ( select 1 from " + Tbl(TVktTable::TblInventory) + " where Inventory_Key = :ID )",
                    id) > 0;
    });
}

// ---- Master rows ----------------------------------------------------------------------------------

bool TVktFunctor::DeleteClass(int classId) {
    return Write(false, [&] {
        if (ClassHasContents(classId)) return false;
        const std::string table = Tbl(TVktTable::TblClass);
        const TTreeIndex key(QueryText("select TreeID from " + table + " where Class_ID = :ID", {{"ID", classId}}));
        // The root, the trash and the family classes are part of every database.
        const int depth = key.Depth();
        if (depth <= kFamilyDepth) return false;
        Exec("delete from " + table + " where Class_ID = :ID", {{"ID", classId}});

        // The later siblings and everything below them move up by one at the deleted class's level,
        // so the siblings keep the indexes 0, 1, 2, ... without gaps. (The deleted class had no
        // sub-classes, so every row under the parent sorting after it is a later sibling's.)
        const std::string parent = key.GetParent().GetAsString();
        std::vector<std::pair<int, std::string>> later;
        {
            platform::StatementLease rows = Lease(
                "select Class_ID, TreeID from " + table +
                    " where ( substr(TreeID, 1, :Length) = :Parent ) and ( TreeID > :Key )",
                {{"Length", static_cast<int>(parent.size())}, {"Parent", parent}, {"Key", key.GetAsString()}});
            while (rows->Step()) later.emplace_back(rows->GetInt("Class_ID"), rows->GetText("TreeID"));
        }
        platform::StatementLease update = Lease("update " + table + " set TreeID = :Tree where Class_ID = :ID");
        for (const auto& [id, text] : later) {
            TTreeIndex moved(text);
            moved.SetDigit(depth - 1, moved.GetDigit(depth - 1) - 1);
            update->BindText("Tree", moved.GetAsString());
            update->BindInt64("ID", id);
            update->Execute();
            update->Reset();
        }
        return true;
    });
}

bool TVktFunctor::DeleteForm(int unitsId) {
    return Write(false, [&] {
        Exec("delete from " + Tbl(TVktTable::TblUnits) + " where ( Units_ID = :ID ) and ( UnitsKind = 0 )",
             {{"ID", unitsId}});
        return true;
    });
}

bool TVktFunctor::DeleteUnit(int unitsId) {
    return Write(false, [&] {
        Exec("delete from " + Tbl(TVktTable::TblUnits) + " where ( Units_ID = :ID ) and ( UnitsKind = 1 )",
             {{"ID", unitsId}});
        return true;
    });
}

bool TVktFunctor::DeleteDealer(int dealerId) {
    return Write(false, [&] {
        Exec("delete from " + Tbl(TVktTable::TblDealer) + " where Dealer_ID = :ID", {{"ID", dealerId}});
        return true;
    });
}

bool TVktFunctor::DeleteAttrItem(int attrItemId) {
    return Write(false, [&] {
        Exec("delete from " + Tbl(TVktTable::TblAttrItem) + " where AttrItem_ID = :ID", {{"ID", attrItemId}});
        Exec("delete from " + Tbl(TVktTable::TblAttribute) + " where AttrItem_Key = :ID", {{"ID", attrItemId}});
        return true;
    });
}

bool TVktFunctor::ShiftIconKeys(int iconIndex) {
    return Write(false, [&] {
        Exec("update " + Tbl(TVktTable::TblClass) + " set Icon_Key = Icon_Key - 1 where Icon_Key >= :Icon",
             {{"Icon", iconIndex}});
        return true;
    });
}

// ---- Dependency queries ---------------------------------------------------------------------------

bool TVktFunctor::GetClassesByIcon(int iconIndex) {
    return Read(false, [&] {
        return QueryHasRow("select Class_ID from " + Tbl(TVktTable::TblClass) + " where Icon_Key = :Icon",
                           {{"Icon", iconIndex}});
    });
}

namespace {

// The select that finds a direct sub-class of `key` (a TreeID one group longer that starts with
// it), with its parameters.
std::pair<std::string, std::vector<std::pair<std::string, platform::Variant>>> SubClassQuery(const TTreeIndex& key) {
    const std::string text = key.GetAsString();
    return {"select Class_ID from " + GetTableFileName(TVktTable::TblClass) +
                " where ( length(TreeID) = :ChildLength ) and ( substr(TreeID, 1, :Length) = :Key )",
            {{"ChildLength", static_cast<int>(text.size()) + key.GetDigitSize()},
             {"Length", static_cast<int>(text.size())},
             {"Key", text}}};
}

} // namespace

bool TVktFunctor::ClassHasContents(int classId) {
    return Read(false, [&] {
        const TTreeIndex key(QueryText("select TreeID from " + Tbl(TVktTable::TblClass) + " where Class_ID = :ID",
                                       {{"ID", classId}}));
        const auto [subClasses, params] = SubClassQuery(key);
        if (QueryHasRow(subClasses, params)) return true;
        // Erased and conserved records count.
        return QueryHasRow("select Data_ID from " + Tbl(TVktTable::TblData) + " where Class_Key = :ID",
                           {{"ID", classId}});
    });
}

bool TVktFunctor::ClassIsBranchOrEmpty(int classId) {
    return Read(false, [&] {
        const TTreeIndex key(QueryText("select TreeID from " + Tbl(TVktTable::TblClass) + " where Class_ID = :ID",
                                       {{"ID", classId}}));
        const auto [subClasses, params] = SubClassQuery(key);
        if (QueryHasRow(subClasses, params)) return true;
        return !QueryHasRow("select Data_ID from " + Tbl(TVktTable::TblData) + " where Class_Key = :ID",
                            {{"ID", classId}});
    });
}

bool TVktFunctor::GetUsedUnitKeys(int unitsId) {
    return Read(false, [&] {
        const std::string data = Tbl(TVktTable::TblData);
        return QueryHasRow(
            "select Units_Key from ( select Form_Key as Units_Key from " + data +
                " union select UseUnit_Key from " + data +
                " union select BuyUnit_Key from " + Tbl(TVktTable::TblFood) +
                " union select MHistoryUnit_Key from " + Tbl(TVktTable::TblMHistory) +
                " union select YHistoryUnit_Key from " + Tbl(TVktTable::TblYHistory) +
                " union select InvUnit_Key from " + Tbl(TVktTable::TblInventory) +
                " union select ItemUnit_Key from " + Tbl(TVktTable::TblItem) + " ) where Units_Key = :ID",
            {{"ID", unitsId}});
    });
}

bool TVktFunctor::GetFoodsByDealer(int dealerId) {
    if (dealerId == 1) return true;   // the default dealer of every database is never removable
    return Read(false, [&] {
        return QueryHasRow("select Food_Key from " + Tbl(TVktTable::TblFood) + " where Dealer_Key = :ID",
                           {{"ID", dealerId}});
    });
}

std::vector<TVktItemUse> TVktFunctor::GetItemUses(const TPriorityItem& ids) {
    return Read(std::vector<TVktItemUse>(), [&] {
        // One statement over every id (handed over as a JSON array), in the order given: a query
        // per id cost a tenth of a millisecond each, as much as the erase of the record itself.
        std::string list = "[";
        for (int i = 0; i < ids.GetCount(); ++i) list += (i > 0 ? "," : "") + std::to_string(ids.GetItem(i));
        list += "]";
        const std::string data = Tbl(TVktTable::TblData);
        platform::StatementLease users = Lease(
            "select J.key, R.Data_ID, R.Data, U.Data from json_each(:IDs) J join " + data +
            " R on R.Data_ID = J.value join " + Tbl(TVktTable::TblItem) + " I on I.Data_Key = R.Data_ID join " +
            data + " U on U.Data_ID = I.Item_Key left join " + Tbl(TVktTable::TblErase) +
            " on Erase_Key = R.Data_ID where ( Erase_Key is null ) and ( coalesce( R.Conserve, 0 ) = 0 )"
            " group by J.key, U.Data_ID order by J.key, U.Data_ID");
        users->BindText("IDs", list);
        std::vector<TVktItemUse> uses;
        std::int64_t position = -1;
        while (users->Step()) {
            if (uses.empty() || users->GetInt64(0) != position) {
                position = users->GetInt64(0);
                TVktItemUse use;
                use.DataId = users->GetInt(1);
                use.Name = users->GetText(2);
                uses.push_back(std::move(use));
            }
            uses.back().Users.push_back(users->GetText(3));
        }
        return uses;
    });
}
