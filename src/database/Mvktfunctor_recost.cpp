// Recosting: a recipe or menu takes into its items the current (or yearly-history) prices of the
// records it uses, after the stale recipes and menus among them were recosted the same way.
//
// A run is one top-level call; its run time marks what is stale (ChangeDate earlier than the run
// time). Every recosted recipe gets ChangeDate = now (>= the run time) from its price chain, so a
// run recosts each stale recipe reachable from the first one, deepest first, and stops at cycles
// through the visited path. Each recipe's own writes (its item prices and its chain) form one
// savepoint; the recursion into sub-recipes runs before it, so a recipe that fails leaves the
// sub-recipes already recosted as they are.
#include "database/Mvktfunctor.h"

#include <optional>
#include <utility>
#include <vector>

#include "platform/Errors.h"

bool TVktFunctor::RefreshItemPrices(int recipeId, std::uint8_t priceMode, TPriorityItem visited,
                                    platform::TDateTime runTime) {
    if (priceMode > 4) return false;   // no price column: refused before anything is written
    if (runTime == 0) runTime = platform::Now();
    if (visited.IndexOf(recipeId) < 0) visited.Push(recipeId);

    const std::string items = Tbl(TVktTable::TblItem);
    const SqlParams recipe{{"R", recipeId}};

    // Stale recipes and menus used by this one and not on the path.
    const auto stale = Read(std::optional<TPriorityItem>(), [&] {
        TPriorityItem ids;
        platform::StatementLease used = Lease(
            "select distinct Data_Key from " + items + " left join " + Tbl(TVktTable::TblData) +
                " on Data_ID = Data_Key left join " + Tbl(TVktTable::TblClass) +
                " on Class_ID = Class_Key where ( Item_Key = :R ) and ( ChangeDate < :W ) and ( ClassType > 1 )"
                " order by Data_Key",
            {{"R", recipeId}, {"W", platform::ToIsoDateTime(runTime)}});
        while (used->Step())
            if (!used->IsNull(0) && visited.IndexOf(used->GetInt(0)) < 0) ids.Push(used->GetInt(0));
        return std::optional<TPriorityItem>(std::move(ids));
    });
    if (!stale) return false;
    for (int i = 0; i < stale->GetCount(); ++i) RefreshItemPrices(stale->GetItem(i), priceMode, visited, runTime);

    return Write(false, [&] {
        std::vector<std::pair<int, int>> used;   // ItemIndex, Data_Key
        {
            platform::StatementLease rows = Lease(
                "select ItemIndex, Data_Key from " + items + " where Item_Key = :R order by ItemIndex", recipe);
            while (rows->Step()) used.emplace_back(rows->GetInt("ItemIndex"), rows->GetInt("Data_Key"));
        }
        platform::StatementLease update =
            Lease("update " + items +
                      " set ItemUnit_Key = :Unit, ItemPrice = :Price where ( Item_Key = :R ) and ( ItemIndex = :I )",
                  recipe);
        for (const auto& [itemIndex, dataId] : used) {
            platform::Variant price;
            platform::Variant unit;
            if (!ReadItemPrice(dataId, priceMode, price, unit))
                throw platform::DatabaseError("The record of item " + SqlInt(itemIndex) + " does not exist");
            update->Bind("Unit", unit);
            update->Bind("Price", price);
            update->Bind("I", itemIndex);
            update->Execute();
            update->Reset();
        }
        update.Return();   // before the chain and the savepoint's end
        UpdatePriceChain(recipeId);   // its result does not change the run's
        return true;
    });
}
