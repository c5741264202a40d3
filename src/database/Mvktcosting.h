// The costing rule, in one place: the price chain of a field edit, recosting and the batch insert
// all compute prices here.
//
//   ingredient      UsePrice     = FoodUsePrice(BuyPrice, Quantity, Yield)
//   recipe item     ItemUsePrice = ItemUse * ItemPrice            (items with ItemUse <> 0 only)
//   recipe, menu    TotalPrice   = sum(ItemUsePrice)              (0 for a recipe without items)
//                   UsePrice     = CookUsePrice(TotalPrice, Complete)
#pragma once

#include <optional>
#include <vector>

#include "platform/Currency.h"
#include "platform/Sqlite.h"

// A stored number as SQL sees it: NULL, a number, or a text or blob (compared above every number;
// its value is what SQLite reads of it as a number).
struct TStoredNumber {
    platform::StorageClass Storage = platform::StorageClass::Null;
    double Value = 0;

    static TStoredNumber Read(const platform::Statement& row, int column) {
        return {row.GetStorageClass(column), row.GetDouble(column)};
    }
    bool IsNull() const { return Storage == platform::StorageClass::Null; }
    bool IsNumber() const {
        return Storage == platform::StorageClass::Integer || Storage == platform::StorageClass::Real;
    }
    // Whether storing `value` would leave the column as it is.
    bool Holds(double value) const { return IsNumber() && Value == value; }
};

// The use price a record stores, whichever way it is entered: an ingredient's
// BuyPrice * (100 / Yield) / Quantity, a recipe's or menu's TotalPrice / Complete, computed in
// double and rounded once to the currency's four decimals (halves to even,
// platform::Currency::FromDouble). 0 where a divisor is 0: a stored price is never without a value.
platform::Currency FoodUsePrice(double buyPrice, double quantity, double yield);
platform::Currency CookUsePrice(double totalPrice, double complete);

// One item of a recipe or menu as costing reads it.
struct TCostItem {
    int Index = 0;            // ItemIndex
    TStoredNumber Use;        // ItemUse
    double Price = 0;         // ItemPrice, 0 when NULL
    TStoredNumber UsePrice;   // ItemUsePrice as stored
};

// An item's use price after costing: Use * Price where a use is given and is not 0 (a text is not
// 0 to SQL); nullopt where the stored one stays, NULL included.
std::optional<double> CostItemUsePrice(const TCostItem& item);

// A recipe's or menu's total: the sum, in item order, of its items' use prices after costing,
// NULLs left out.
double CostTotal(const std::vector<TCostItem>& items);
