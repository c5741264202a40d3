// Recipe items: append, delete and move the items of a recipe or menu, split and clear their
// categories. For the n items of one recipe every operation keeps ItemIndex 1..n, Category 1..m
// (not decreasing with ItemIndex) and CatIndex 1..k inside each category, all without gaps; none
// of them touches a price. Inside one operation a swap parks one item at ItemIndex 0 and a shift
// of ItemIndex (unique with Item_Key, checked row by row) passes through negative values; at rest
// no item has an ItemIndex of 0 or below.
#include "database/Mvktfunctor.h"

#include "platform/Errors.h"

#include <iterator>

namespace {

// The price column of each mode of the yearly history.
constexpr const char* kYearlyPriceColumns[] = {"UsePrice", "YHLastPrice", "YHMaxPrice", "YHAvePrice",
                                               "YHMinPrice"};
static_assert(std::size(kYearlyPriceColumns) == pmMin + 1);

// Category and CatIndex of one item.
struct ItemPlace {
    int Category = 0;
    int CatIndex = 0;
};

} // namespace

bool TVktFunctor::ReadItemPrice(int dataId, TVktPriceMode priceMode, platform::Variant& price,
                                platform::Variant& unit) {
    if (priceMode > pmMin) throw platform::ConvertError("No price column for this price mode");
    // pmNow takes the use price whatever the yearly history holds: that needs no join.
    platform::StatementLease record =
        priceMode == pmNow
            ? Lease("select UseUnit_Key, UsePrice from " + Tbl(TVktTable::TblData) + " where Data_ID = :ID",
                    {{"ID", dataId}})
            : Lease("select UseUnit_Key, UsePrice, YHistory_Key, YHistoryDate, YHLastPrice, YHMaxPrice,"
                    " YHAvePrice, YHMinPrice from " + Tbl(TVktTable::TblData) + " left join " +
                        Tbl(TVktTable::TblYHistory) + " on Data_ID = YHistory_Key where Data_ID = :ID"
                        " order by YHistoryDate desc",
                    {{"ID", dataId}});
    if (!record->Step()) return false;
    const char* column =
        priceMode == pmNow || record->IsNull("YHistory_Key") ? "UsePrice" : kYearlyPriceColumns[priceMode];
    // A price the record has no value for is taken as 0: an item's price is never NULL.
    price = platform::Variant(record->IsNull(column) ? 0.0 : record->GetDouble(column));
    unit = record->IsNull("UseUnit_Key") ? platform::Variant::Null()
                                         : platform::Variant(record->GetInt64("UseUnit_Key"));
    return true;
}

namespace {

// Statement texts on TblItem; :R is the recipe, :I an item index.
struct ItemSql {
    explicit ItemSql(const std::string& table) : T(table) {}
    std::string T;
    std::string Where(const std::string& condition) const {
        return " where ( Item_Key = :R ) and ( " + condition + " )";
    }
};

} // namespace

bool TVktFunctor::AppendRecipeItem(int recipeId, int dataId, TVktPriceMode priceMode) {
    if (priceMode > pmMin) return false;
    return Write(false, [&] {
        if (dataId == recipeId) return false;
        // A record in the trash or kept for the inventory skips the class-type test.
        if (GetDataEraseState(dataId) == 0 && GetDataClassType(recipeId) < ctCook) return false;

        const ItemSql sql(Tbl(TVktTable::TblItem));
        int last = 0;
        ItemPlace place;
        {
            platform::StatementLease lastItem =
                Lease("select ItemIndex, Category, CatIndex from " + sql.T +
                          " where Item_Key = :R order by ItemIndex desc",
                      {{"R", recipeId}});
            if (lastItem->Step()) {
                last = lastItem->GetInt("ItemIndex");
                place = {lastItem->GetInt("Category"), lastItem->GetInt("CatIndex")};
            }
        }
        if (place.Category == 0) place.Category = 1;

        platform::Variant price;
        platform::Variant unit;
        if (ReadItemPrice(dataId, priceMode, price, unit)) {
            Exec("insert into " + sql.T +
                     " ( Item_Key, ItemIndex, Category, CatIndex, Data_Key, ItemUse, ItemPrice, ItemUnit_Key,"
                     " ItemUsePrice ) values ( :R, :I, :C, :K, :D, 0, :Price, :Unit, 0 )",
                 {{"R", recipeId}, {"I", last + 1}, {"C", place.Category}, {"K", place.CatIndex + 1},
                  {"D", dataId}, {"Price", price}, {"Unit", unit}});
        }
        TouchChangeDate(recipeId);
        return true;
    });
}

bool TVktFunctor::DeleteRecipeItem(int recipeId, int itemIndex) {
    return Write(false, [&] {
        const ItemSql sql(Tbl(TVktTable::TblItem));
        const SqlParams ri{{"R", recipeId}, {"I", itemIndex}};
        ItemPlace place;
        {
            platform::StatementLease item =
                Lease("select Category, CatIndex from " + sql.T + sql.Where("ItemIndex = :I"), ri);
            if (!item->Step()) return false;   // no such item: nothing to delete, nothing shifted
            place = {item->GetInt("Category"), item->GetInt("CatIndex")};
        }
        const SqlParams ric{{"R", recipeId}, {"I", itemIndex}, {"C", place.Category}};
        const auto size = QueryInt("select count(Category) from " + sql.T + sql.Where("Category = :C"),
                                   {{"R", recipeId}, {"C", place.Category}});

        Exec("delete from " + sql.T + sql.Where("ItemIndex = :I"), ri);
        if (place.CatIndex < size)
            Exec("update " + sql.T + " set CatIndex = CatIndex - 1" +
                     sql.Where("Category = :C ) and ( ItemIndex > :I"),
                 ric);
        if (size == 1)
            Exec("update " + sql.T + " set Category = Category - 1" + sql.Where("ItemIndex > :I"), ri);
        // (Item_Key, ItemIndex) is unique and checked row by row: shift through negative values.
        Exec("update " + sql.T + " set ItemIndex = -( ItemIndex - 1 )" + sql.Where("ItemIndex > :I"), ri);
        Exec("update " + sql.T + " set ItemIndex = -ItemIndex" + sql.Where("ItemIndex < 0"),
             {{"R", recipeId}});
        TouchChangeDate(recipeId);
        return true;
    });
}

bool TVktFunctor::MoveRecipeItemUp(int recipeId, int itemIndex) {
    if (itemIndex <= 1) return false;
    return Write(false, [&] {
        const ItemSql sql(Tbl(TVktTable::TblItem));
        ItemPlace previous;
        ItemPlace item;
        bool hasNext = false;
        int nextCategory = 0;
        {
            platform::StatementLease rows = Lease(
                "select Category, CatIndex, ItemIndex from " + sql.T +
                    sql.Where("ItemIndex = :I - 1 or ItemIndex = :I or ItemIndex = :I + 1") + " order by ItemIndex",
                {{"R", recipeId}, {"I", itemIndex}});
            if (!rows->Step() || rows->GetInt("ItemIndex") != itemIndex - 1) return false;
            previous = {rows->GetInt("Category"), rows->GetInt("CatIndex")};
            if (!rows->Step()) return false;   // past the end
            item = {rows->GetInt("Category"), rows->GetInt("CatIndex")};
            if (rows->Step()) {
                hasNext = true;
                nextCategory = rows->GetInt("Category");
            }
        }
        const SqlParams ri{{"R", recipeId}, {"I", itemIndex}};
        if (item.CatIndex == 1) {
            // The head of a category joins the end of the previous one and keeps its ItemIndex.
            Exec("update " + sql.T + " set CatIndex = :K, Category = :C" + sql.Where("ItemIndex = :I"),
                 {{"R", recipeId}, {"I", itemIndex}, {"K", previous.CatIndex + 1}, {"C", previous.Category}});
            if (hasNext && nextCategory == item.Category)
                Exec("update " + sql.T + " set CatIndex = CatIndex - 1" + sql.Where("Category = :C"),
                     {{"R", recipeId}, {"C", item.Category}});
            else if (hasNext)
                Exec("update " + sql.T + " set Category = Category - 1" + sql.Where("ItemIndex > :I"), ri);
        } else {
            // Changes place with the previous item of the same category.
            Exec("update " + sql.T + " set ItemIndex = 0" + sql.Where("ItemIndex = :I"), ri);
            Exec("update " + sql.T + " set CatIndex = :K, ItemIndex = ItemIndex + 1" +
                     sql.Where("ItemIndex = :I - 1"),
                 {{"R", recipeId}, {"I", itemIndex}, {"K", item.CatIndex}});
            Exec("update " + sql.T + " set ItemIndex = :I - 1, CatIndex = :K" + sql.Where("ItemIndex = 0"),
                 {{"R", recipeId}, {"I", itemIndex}, {"K", previous.CatIndex}});
        }
        TouchChangeDate(recipeId);
        return true;
    });
}

bool TVktFunctor::MoveRecipeItemDown(int recipeId, int itemIndex) {
    if (itemIndex < 1) return false;
    return Write(false, [&] {
        const ItemSql sql(Tbl(TVktTable::TblItem));
        ItemPlace item;
        int nextCategory = 0;
        {
            platform::StatementLease rows =
                Lease("select Category, CatIndex, ItemIndex from " + sql.T +
                          sql.Where("ItemIndex = :I or ItemIndex = :I + 1") + " order by ItemIndex",
                      {{"R", recipeId}, {"I", itemIndex}});
            if (!rows->Step() || rows->GetInt("ItemIndex") != itemIndex) return false;
            item = {rows->GetInt("Category"), rows->GetInt("CatIndex")};
            if (!rows->Step()) return false;   // the last item
            nextCategory = rows->GetInt("Category");
        }
        const SqlParams ri{{"R", recipeId}, {"I", itemIndex}};
        if (nextCategory != item.Category) {
            // The end of a category becomes the head of the next one and keeps its ItemIndex.
            Exec("update " + sql.T + " set Category = Category + 1, CatIndex = 0" + sql.Where("ItemIndex = :I"),
                 ri);
            Exec("update " + sql.T + " set CatIndex = CatIndex + 1" +
                     sql.Where("ItemIndex >= :I ) and ( Category = :C"),
                 {{"R", recipeId}, {"I", itemIndex}, {"C", nextCategory}});
            if (item.CatIndex == 1)
                Exec("update " + sql.T + " set Category = Category - 1" + sql.Where("ItemIndex >= :I"), ri);
        } else {
            // Changes place with the next item of the same category.
            Exec("update " + sql.T + " set ItemIndex = 0" + sql.Where("ItemIndex = :I"), ri);
            Exec("update " + sql.T + " set ItemIndex = ItemIndex - 1, CatIndex = CatIndex - 1" +
                     sql.Where("ItemIndex = :I + 1"),
                 ri);
            Exec("update " + sql.T + " set ItemIndex = :I + 1, CatIndex = CatIndex + 1" +
                     sql.Where("ItemIndex = 0"),
                 ri);
        }
        TouchChangeDate(recipeId);
        return true;
    });
}

bool TVktFunctor::SplitItemCategory(int recipeId, int itemIndex) {
    return Write(false, [&] {
        const ItemSql sql(Tbl(TVktTable::TblItem));
        const SqlParams ri{{"R", recipeId}, {"I", itemIndex}};
        ItemPlace item;
        {
            platform::StatementLease row =
                Lease("select Category, CatIndex from " + sql.T + sql.Where("ItemIndex = :I"), ri);
            if (!row->Step()) return false;
            item = {row->GetInt("Category"), row->GetInt("CatIndex")};
        }
        if (item.CatIndex == 1) return false;   // already heads its category
        Exec("update " + sql.T + " set CatIndex = ItemIndex - ( :I - 1 )" +
                 sql.Where("ItemIndex >= :I ) and ( Category = :C"),
             {{"R", recipeId}, {"I", itemIndex}, {"C", item.Category}});
        Exec("update " + sql.T + " set Category = Category + 1" + sql.Where("ItemIndex >= :I"), ri);
        TouchChangeDate(recipeId);
        return true;
    });
}

bool TVktFunctor::ClearItemCategories(int recipeId) {
    return Write(false, [&] {
        Exec("update " + Tbl(TVktTable::TblItem) + " set Category = 1, CatIndex = ItemIndex where Item_Key = :R",
             {{"R", recipeId}});
        TouchChangeDate(recipeId);
        return true;
    });
}
