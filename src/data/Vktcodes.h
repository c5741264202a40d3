#pragma once
// Codes that the tables store and the operations pass as small integers. Their values are fixed by
// the database format; these enumerations only name them. A value read from a table can be any
// integer of the underlying type, so code that switches on one keeps a default.
#include <cstdint>

// `ClassType` of TblClass: the family of a class and of the records in it. TblUnits' `UnitsType`
// holds the three family codes (0 for the placeholder form).
enum TVktClassType : std::int8_t {
    ctTrash = -1,
    ctRoot = 0,   // also: no class (no row, nothing selected)
    ctFood = 1,   // ingredients
    ctCook = 2,   // recipes
    ctMenu = 3,   // menus
};

// One of the three families (the class types whose classes hold records).
constexpr bool IsFamilyClassType(int type) { return type >= ctFood && type <= ctMenu; }

// Which price of a used record AppendRecipeItem and RefreshItemPrices copy into a recipe item: its
// current `UsePrice`, or a price of its newest TblYHistory row (its `UsePrice` when it has none).
enum TVktPriceMode : std::uint8_t {
    pmNow = 0,    // UsePrice
    pmLast = 1,   // YHLastPrice
    pmMax = 2,    // YHMaxPrice
    pmAve = 3,    // YHAvePrice
    pmMin = 4,    // YHMinPrice
};

// A record's check of one attribute item, as EditData (`AttrCheck`) and SetDataAttributes take it
// and the attribute lists show it: no TblAttribute row, a row with `AttrCheck` false, or true.
enum TAttrCheckState : std::uint8_t {
    acNoEntry = 0,
    acUnchecked = 1,
    acChecked = 2,
};
