#pragma once
// Every cell of a CSV grid as one text, for comparing grids in the CSV tests.
#include "dialogs/Ucsvgrid.h"

#include <string>

namespace vkttest {

// "<columns>x<rows>", then every cell, fixed ones included, row by row: "/" before a row's first
// cell, "|" before the others.
inline std::string GridCells(const TCsvGrid& grid)
{
    std::string out = std::to_string(grid.GetColCount()) + "x" + std::to_string(grid.GetRowCount());
    for (int row = 0; row < grid.GetRowCount(); ++row)
        for (int col = 0; col < grid.GetColCount(); ++col) out += (col ? "|" : "/") + grid.GetCell(col, row);
    return out;
}

} // namespace vkttest
