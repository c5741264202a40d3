#pragma once
// The columns of a grid that lists view fields: built from the fields, their widths read back,
// and a header click's sort cycle.
#include "data/Uviewfieldstruct.h"

class TGridEdit;

// One column per field: its caption, its stored width (100 where none) and sort state; numeric
// fields right-aligned, French fields in the Latin font.
void AddViewFieldColumns(TGridEdit& grid, const TViewFieldStruct& fields);
// The grid's column widths into the fields' widths (as many as both have).
void StoreColumnWidths(const TGridEdit& grid, TViewFieldStruct& fields);
// Cycles the sort of column `section` (none, ascending, descending) and its header image; false
// for a column the fields do not have.
bool CycleColumnSort(TGridEdit& grid, TViewFieldStruct& fields, int section);
