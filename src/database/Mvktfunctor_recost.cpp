// Recosting: a recipe or menu takes into its items the current (or yearly-history) prices of the
// records it uses, after the stale recipes and menus among them were recosted the same way.
//
// A run is one top-level call; its run time marks what is stale (ChangeDate earlier than the run
// time). Every recosted recipe gets ChangeDate = now (>= the run time) from its price chain, so a
// run recosts each stale recipe reachable from the first one, deepest first, and stops at cycles
// through the visited path. Each recipe's own writes (its item prices and its chain) form one
// savepoint; the recursion into sub-recipes runs before it, so a recipe that fails leaves the
// sub-recipes already recosted as they are.
//
// One statement reads a recipe's items with the records they use (their prices and whether they
// are stale); the new item prices are computed from it in memory and the recipe's chain from them
// by the costing rule the price chain applies, and only the values that change are written (the
// change date always is).
#include "database/Mvktfunctor.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Errors.h"

namespace {

// One item of a recipe with what the record it uses offers.
struct RecostItem {
    int Index = 0;              // ItemIndex
    int DataKey = 0;            // Data_Key (0 when NULL)
    bool DataKeyNull = false;
    TStoredNumber Use;           // ItemUse
    TStoredNumber Price;         // ItemPrice
    platform::StorageClass UnitStorage = platform::StorageClass::Null;
    std::int64_t Unit = 0;      // ItemUnit_Key
    TStoredNumber UsePrice;      // ItemUsePrice
    bool Exists = false;        // the used record exists
    std::optional<std::int64_t> RecordUnit;   // its UseUnit_Key
    double RecordPrice = 0;     // its UsePrice, 0 when NULL
    bool Stale = false;         // a recipe or menu changed before the run time
};

// What the chain needs of the recipe itself.
struct RecostRecipe {
    bool Live = false;          // not conserved, not in the trash
    int ClassType = ctRoot;
    bool HasCook = false;
    TStoredNumber Total;         // TotalPrice
    double Complete = 0;        // 0 when NULL
};

} // namespace

bool TVktFunctor::RefreshItemPrices(int recipeId, TVktPriceMode priceMode, TPriorityItem visited,
                                    platform::TDateTime runTime) {
    if (priceMode > pmMin) return false;   // no price column: refused before anything is written
    if (runTime == 0) runTime = platform::Now();
    if (visited.IndexOf(recipeId) < 0) visited.Push(recipeId);

    const std::string itemTable = Tbl(TVktTable::TblItem);
    const std::string dataTable = Tbl(TVktTable::TblData);
    const std::string stamp = platform::ToIsoDateTime(runTime);
    std::vector<RecostItem> items;
    const auto readItems = [&] {
        items.clear();
        platform::StatementLease rows = Lease(
            "select I.ItemIndex, I.Data_Key, I.ItemUse, I.ItemPrice, I.ItemUnit_Key, I.ItemUsePrice, D.Data_ID,"
            " D.UseUnit_Key, D.UsePrice, ( D.ChangeDate < :W ) and ( C.ClassType > " + SqlInt(ctFood) +
                " ) from " + itemTable + " I left join " + dataTable + " D on D.Data_ID = I.Data_Key left join " +
                Tbl(TVktTable::TblClass) +
                " C on C.Class_ID = D.Class_Key where I.Item_Key = :R order by I.ItemIndex",
            {{"R", recipeId}, {"W", stamp}});
        while (rows->Step()) {
            RecostItem& item = items.emplace_back();
            item.Index = rows->GetInt(0);
            item.DataKeyNull = rows->IsNull(1);
            item.DataKey = rows->GetInt(1);
            item.Use = TStoredNumber::Read(*rows, 2);
            item.Price = TStoredNumber::Read(*rows, 3);
            item.UnitStorage = rows->GetStorageClass(4);
            item.Unit = rows->GetInt64(4);
            item.UsePrice = TStoredNumber::Read(*rows, 5);
            item.Exists = !rows->IsNull(6);
            if (!rows->IsNull(7)) item.RecordUnit = rows->GetInt64(7);
            item.RecordPrice = rows->GetDouble(8);
            item.Stale = !rows->IsNull(9) && rows->GetInt(9) != 0;
        }
    };
    // Stale recipes and menus used by this one and not on the path, by id.
    std::vector<int> stale;
    const auto findStale = [&] {
        for (const RecostItem& item : items)
            if (item.Stale && !item.DataKeyNull && visited.IndexOf(item.DataKey) < 0) stale.push_back(item.DataKey);
        std::sort(stale.begin(), stale.end());
        stale.erase(std::unique(stale.begin(), stale.end()), stale.end());
    };

    // The item prices; then the chain, which may fail on its own: it is then undone alone.
    // The items are read inside the recipe's savepoint; when stale sub-recipes turn up, it ends
    // with nothing written, they are recosted, and the recipe's savepoint begins again.
    bool chainFailed = false;
    bool recursed = false;
    bool readFailed = false;
    const auto recost = [&](bool withChain) {
        return Write(false, [&] {
            if (withChain) {
                try {
                    readItems();
                } catch (const std::exception&) {
                    readFailed = true;
                    throw;
                }
                if (!recursed) {
                    findStale();
                    if (!stale.empty()) return false;
                }
            }
            RecostRecipe recipe;
            if (withChain) {
                platform::StatementLease row = Lease(
                    "select D.Conserve, E.Erase_Key, C.ClassType, K.Cook_Key, K.TotalPrice, K.Complete from " +
                        dataTable + " D left join " + Tbl(TVktTable::TblClass) + " C on C.Class_ID = D.Class_Key"
                        " left join " + Tbl(TVktTable::TblErase) + " E on E.Erase_Key = D.Data_ID left join " +
                        Tbl(TVktTable::TblCook) + " K on K.Cook_Key = D.Data_ID where D.Data_ID = :R",
                    {{"R", recipeId}});
                if (row->Step()) {
                    recipe.Live = !row->GetBool(0) && row->IsNull(1);
                    recipe.ClassType = row->GetInt(2);
                    recipe.HasCook = !row->IsNull(3);
                    recipe.Total = TStoredNumber::Read(*row, 4);
                    recipe.Complete = row->GetDouble(5);
                }
            }
            const bool cook = recipe.Live && (recipe.ClassType == ctCook || recipe.ClassType == ctMenu);

            platform::StatementLease setPrice;
            std::vector<TCostItem> costed;
            costed.reserve(items.size());
            for (const RecostItem& item : items) {
                platform::Variant price;
                platform::Variant unit;
                if (priceMode == pmNow) {
                    if (!item.Exists)
                        throw platform::DatabaseError("The record of item " + SqlInt(item.Index) + " does not exist");
                    price = platform::Variant(item.RecordPrice);
                    unit = item.RecordUnit ? platform::Variant(*item.RecordUnit) : platform::Variant::Null();
                } else if (!ReadItemPrice(item.DataKey, priceMode, price, unit)) {
                    throw platform::DatabaseError("The record of item " + SqlInt(item.Index) + " does not exist");
                }
                const double newPrice = price.AsDouble();
                const bool sameUnit = unit.IsNull() ? item.UnitStorage == platform::StorageClass::Null
                                                    : item.UnitStorage == platform::StorageClass::Integer &&
                                                          item.Unit == unit.AsInt64();
                if (!sameUnit || !item.Price.Holds(newPrice)) {
                    if (!setPrice.IsLeased())
                        setPrice = Lease("update " + itemTable +
                                         " set ItemUnit_Key = :Unit, ItemPrice = :Price where Item_Key = :R and"
                                         " ItemIndex = :I");
                    setPrice->Bind("Unit", unit);
                    setPrice->BindDouble("Price", newPrice);
                    setPrice->BindInt64("R", recipeId);
                    setPrice->BindInt64("I", item.Index);
                    setPrice->Execute();
                    setPrice->Reset();
                }
                costed.push_back({item.Index, item.Use, newPrice, item.UsePrice});
            }
            setPrice.Return();

            if (!withChain) return true;
            try {
                if (!cook) {
                    UpdatePriceChain(recipeId);   // its result does not change the run's
                    return true;
                }
                WriteCookCost(recipeId, costed, recipe.HasCook, recipe.Total, recipe.Complete);
            } catch (const std::exception&) {
                chainFailed = true;
                throw;
            }
            return true;
        });
    };
    bool done = recost(true);
    if (!stale.empty() && !readFailed && !chainFailed) {
        recursed = true;
        for (int id : stale) RefreshItemPrices(id, priceMode, visited, runTime);
        done = recost(true);
    }
    if (chainFailed) return recost(false);   // the item prices stay, as under a chain of its own
    return done;
}
