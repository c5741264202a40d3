#pragma once
// Row patches: the cached rows of a listing brought up to date for some of its records by a query
// of those records alone, so that an edit costs what the records weigh, not a new listing. The
// listing and the patch query both list Data_ID; the caller tells where a record's row is.
#include "core/Priorityitem.h"
#include "data/Ufilterstruct.h"
#include "data/Vkttabledefine.h"

#include <functional>
#include <optional>

class TVktAccesser;

// The listing's row of a record; -1 when the record is not listed.
using TRowOfId = std::function<int(int id)>;

// The filter of a patch of the listed records among `ids`: `base` without its Data_ID conditions
// (alternatives of one field are or-ed, so they would widen the patch to the whole listing),
// and one Data_ID condition per listed record. None when no record of `ids` is listed.
std::optional<TFilterObject> ListedRecordsFilter(const TFilterObject& base, const TPriorityItem& ids,
                                                 const TRowOfId& rowOf);

// Reads `fields` (Data_ID added when absent) of the `table` rows that `filter` lists, through the
// listing's database, and overwrites the `copied` fields (Data_ID excepted) of the listing's rows
// of the same records; rows of records not listed are skipped. Returns the rows overwritten.
int PatchListedRows(TVktAccesser& listing, const TRowOfId& rowOf, TVktTable table, TPriorityItem fields,
                    const TPriorityItem& copied, const TFilterObject& filter);
