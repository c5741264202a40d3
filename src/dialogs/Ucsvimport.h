#pragma once
// The rules of the CSV import, without widgets: the table check, the numbers, the unknown and
// registered names of classes, forms, units and dealers with their mapping, the data-check table
// and the import text.
//
// Table layout: F the chosen fields, n = |F|, p records per line; column k*n + i of a data row is
// field F[i] of record k. Row 0 of the CSV grid is the header; data rows start at row 1.
// Names (unknown, registered, mapped) compare as exact bytes, sorted in code-point order.
#include "core/Priorityitem.h"
#include "dialogs/Ucsvgrid.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TVktObject;

// The kinds of names the import maps to registered rows.
enum class TCsvNameKind { Class, Form, Unit, Dealer, None };
inline constexpr std::array<TCsvNameKind, 4> kCsvNameKinds = {TCsvNameKind::Class, TCsvNameKind::Form,
                                                             TCsvNameKind::Unit, TCsvNameKind::Dealer};

// 43 class, 44 form, 47 and 61 unit, 65 dealer; None for the other fields.
TCsvNameKind NameKindOf(int field);
// Fields whose cells are numbers: 48, 62, 79, 80 (prices) and 63, 64, 78.
bool IsNumericField(int field);
bool IsPriceField(int field);

// The number of a cell: digits and "." are kept, a minus sign ("-", "－", "−") before the first
// digit makes it negative, a comma between digits must start a group of exactly three digits,
// anything else is dropped. None when no decimal number remains (empty, ".", "1.2.3", "12,50").
std::optional<double> ToNumber(std::string_view text);

struct TCsvCheck {
    std::string Message;   // empty when the table passed
    int Col = -1;          // the first offending cell, -1 when none
    int Row = -1;
    bool Passed() const { return Message.empty(); }
};
// The largest amount the currency type holds in whole units.
inline constexpr double kCsvPriceLimit = 922337203685477.0;

// The table check: the counted columns (CountedColumns) must be n*p, no data cell may be blank,
// every numeric cell must hold a finite number not below 0, every price one not above
// kCsvPriceLimit, and the use price the insert derives for a record of the family (7 ingredient,
// 8 recipe, 9 menu) must not pass that limit either (its buy, else use, price cell, or its total
// price cell, is the offending one). The first offending cell, record by record in each row,
// decides.
TCsvCheck CheckGrid(const TCsvGrid& grid, const TPriorityItem& fields, int perLine, int family);
// The columns that count: the grid's columns less the trailing ones beyond `wanted` that are blank
// in every data row (the header is not looked at).
int CountedColumns(const TCsvGrid& grid, int wanted);
// The status text while the counted columns differ from `wanted`; empty when they are equal.
std::string ColumnCountMessage(const TCsvGrid& grid, int wanted);
// Widens the grid to `wanted` columns, or narrows it over trailing columns that are blank in
// every data row (the header is not looked at); never drops a non-blank cell.
void FitColumns(TCsvGrid& grid, int wanted);

// The distinct texts of the data cells of a kind's columns (all records of a line), as they stand.
std::vector<std::string> CollectNames(const TCsvGrid& grid, const TPriorityItem& fields, int perLine,
                                      TCsvNameKind kind);

// One kind's names: the unknown names in a list, the registered items with the names mapped to
// each, and the name map (every unknown name and alias with its item id, 0 while unmapped).
class TCsvNameMap {
public:
    struct Item {
        int Id = 0;
        std::string Name;
        std::vector<std::string> Mapped;
    };

    const std::vector<std::string>& GetUnknownItems() const { return unknown_; }
    const std::vector<Item>& GetItems() const { return items_; }

    void ClearUnknownItems();
    void AddUnknownItem(const std::string& name);
    // Removes the unknown row and its map entry.
    void DeleteUnknownItem(int index);
    void ClearItems();
    // A registered item; a non-empty alias enters the map with the id.
    void AddItem(int id, const std::string& name, const std::string& alias = {});
    // The mapped id of a listed name (0 while unmapped), else the id of the registered item of
    // exactly that name, else 0.
    int GetItemID(const std::string& name) const;
    const std::string& GetItemName(int id) const;
    // Maps unknown row `unknown` to registered row `item` and removes it from the unknown list.
    bool SetItem(int unknown, int item);
    // Brings the names mapped to registered row `item` back to the unknown list, unmapped.
    void ResetItem(int item);
    bool IsComplete() const;

private:
    std::vector<std::string> unknown_;
    std::vector<Item> items_;
    std::unordered_map<std::string, int> map_;
    std::unordered_map<std::string, int> byName_;
    std::unordered_map<int, std::size_t> byId_;
};

// Registered items of a kind for a family (7, 8, 9): leaf classes by path name, the family's
// forms and units, all dealers (by company).
std::vector<TCsvNameMap::Item> RegisteredItems(TVktObject& object, TCsvNameKind kind, int family);
// The path name of a class: the names from its depth-2 ancestor down, joined by "/".
std::string ClassPathName(TVktObject& object, int classId);
// Fills a kind's map from the registered items and the collected names; true when unknown
// names remain.
bool PrepareNameMap(TCsvNameMap& map, const std::vector<TCsvNameMap::Item>& registered,
                    const std::vector<std::string>& names);
// Creates the registered row for an unknown name (class under the family's first depth-2 class,
// form, unit or dealer), adds it to the map with the name mapped to it and removes the unknown
// row. The new id, 0 when the database refused.
int CreateItem(TVktObject& object, TCsvNameMap& map, TCsvNameKind kind, int family, int unknown);

// The data-check table: header row 0 with the captions, one row per record, and the kept id of
// every name cell.
struct TCsvCompleteGrid {
    TCsvGrid Grid;
    std::vector<int> Ids;   // row by row, Grid's shape, row 0 the header
    int GetDataCount() const { return Grid.GetRowCount() - 1; }
    int GetId(int col, int row) const
    {
        return Ids[static_cast<std::size_t>(row) * static_cast<std::size_t>(Grid.GetColCount()) + static_cast<std::size_t>(col)];
    }
};
TCsvCompleteGrid BuildCompleteGrid(const TCsvGrid& grid, const TPriorityItem& fields, int perLine,
                                   const std::vector<std::string>& captions,
                                   const std::array<const TCsvNameMap*, 4>& maps);
// The same, written over `complete`.
void BuildCompleteGrid(TCsvCompleteGrid& complete, const TCsvGrid& grid, const TPriorityItem& fields, int perLine,
                       const std::vector<std::string>& captions, const std::array<const TCsvNameMap*, 4>& maps);
// One comma-text line per record, each ended by CR LF: ids for names, the cell text otherwise.
std::string ImportText(const TCsvCompleteGrid& complete, const TPriorityItem& fields);
