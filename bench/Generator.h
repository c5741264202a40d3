#pragma once
// The generator of large, realistic databases for the benchmarks.
//
// A database is built through the schema as the program builds one: the stored tables
// (TVktTblFunctor::CreateTables), the new-database content (TVktFunctor::CreateDefaultData: the
// settings, the class tree, forms and units, dealer 1), then the bulk rows, written with prepared
// statements in one transaction:
//   dealers         kDealerCount suppliers beside the default one
//   attribute items kAttrItemNames
//   ingredients     in the leaf classes of the ingredient family, each with a buy price, quantity,
//                   yield, buy unit and dealer (TblFood), its use price as the price chain computes
//                   it, and twelve monthly price-history rows (the last month at the current price)
//   recipes         in the recipe classes, 5..15 items each: ingredients and, now and then, an
//                   earlier preparation (a recipe of the first three recipe classes: base, sauce,
//                   dough), so the recipe graph has no cycle and ascending ids are a bottom-up
//                   order; items carry the used record's price and unit, ItemUsePrice =
//                   ItemUse * ItemPrice (a few items with use 0 keep an entered price), in one to
//                   three categories; TotalPrice and UsePrice as the price chain computes them
//   menus           in the menu classes, 4..10 recipes each, with an information row
//   attribute checks on about a third of the records, memos (RTF) on a tenth.
// Prices are computed in double precision in the order the chain's SQL computes them, so the
// chain or a recosting run over the generated data changes no price.
//
// Data_IDs are dense: ingredients 1..N, then recipes, then menus. Everything is drawn from one
// seeded generator: the same sizes and seed give the same database.
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct GeneratorSizes {
    int Ingredients = 100000;
    int Recipes = 20000;
    int Menus = 2000;
    std::uint32_t Seed = 20240415;
};

// What the benchmarks need to know about a generated database.
struct GeneratedDatabase {
    std::string Folder;
    std::vector<int> IngredientIds;                // ascending
    std::vector<int> RecipeIds;                    // ascending: every recipe uses only lower recipe ids
    std::vector<int> MenuIds;                      // ascending
    int IngredientRootClass = 0;                   // Class_ID of the ingredient family's root class
    std::vector<int> IngredientClasses;            // leaf classes of the ingredient family
    std::vector<std::string> IngredientClassTrees; // their TreeIDs, parallel
    std::vector<int> IngredientUnits;              // units of measure of ingredients (TblUnits ids)
    std::vector<int> IngredientForms;              // forms of ingredients
    int DealerCount = 0;                           // dealers 1..DealerCount
};

// Builds the database in `folder` (which must exist; an existing database there is replaced).
// Raises std::runtime_error when a step fails.
GeneratedDatabase GenerateDatabase(const std::string& folder, const GeneratorSizes& sizes);

// Lines of ingredient CSV for the batch insert (kind 7), one record per line, with the field list
// (TVktField identifiers) their columns belong to: Class_Key, Data, Data2, Form_Key, UseUnit_Key,
// BuyUnit_Key, BuyPrice, Quantity, Yield, Dealer_Key. The values are drawn as the generator draws
// ingredients, from their own seed.
struct CsvRows {
    std::vector<std::string> Lines;
    std::vector<int> Fields;
};
CsvRows MakeIngredientCsv(const GeneratedDatabase& database, int count, std::uint32_t seed);

} // namespace bench
