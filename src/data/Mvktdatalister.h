#pragma once
// TVktDataLister: runs one select statement over a database folder and hands every row and cell
// back through closures, each cell with its value and its display text.
//
// A lister lives for one listing: it takes a connection to the folder's database file (its own
// session; the file is never created) when List starts and ends it when List ends. While the file
// is retained (platform::ConnectionPool: an open database object retains its file) that is an idle
// pooled read connection, given back with its statement reset; otherwise a connection of its own,
// closed at the end. Listings alive at once (a handler listing again) use distinct connections.
//
// Values and display texts by the field's type (a NULL cell: value Null, text ""):
//   string, memo           the text                      the text
//   small integer, integer the integer                   decimal text
//   boolean                the boolean                   "チェック有り" / "チェック無し"
//   float                  the double                    NumericString(Formatted, 0).GetAsString
//   currency               platform::Currency            the same
//   date, date-time        the date-time                 "yyyy/mm/dd", "yyyy/mm/dd h:nn:ss"
//   formatted memo, image  the bytes as text             that text
// CostRate appends "%" to its text. ItemCatIndex is not a column: its value and text are the
// category letter (VktCategoryAlphabet[Category - 1], Category clamped to 1..53) followed by "-"
// and the CatIndex text.
#include <functional>
#include <string>
#include <string_view>

#include "core/Priorityitem.h"
#include "data/Ufilterstruct.h"
#include "data/Vkttabledefine.h"
#include "platform/ConnectionPool.h"
#include "platform/Variant.h"

// Letters of the recipe item categories 1..52; the 53rd, "@", stands for every larger category.
inline constexpr std::string_view VktCategoryAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz@";

// Display texts of a boolean cell.
inline constexpr std::string_view VktCheckedText = "チェック有り";
inline constexpr std::string_view VktUncheckedText = "チェック無し";

// True when the lister's value of the field is its display text (string, memo, formatted memo,
// image and ItemCatIndex cells; a NULL cell is Null with an empty text).
bool VktValueIsText(TVktField field);

class TVktDataLister {
public:
    // `user` is the pointer given to List, passed through untouched.
    using TListRowEvent = std::function<void(TVktDataLister* Sender, int Row, void* User)>;
    // Text and Value belong to the lister and are valid only during the call.
    using TListCellEvent = std::function<void(TVktDataLister* Sender, int Row, TVktField Field,
                                              const std::string& Text, const platform::Variant& Value,
                                              void* User)>;
    // Clearing Continue ends the listing after this row.
    using TListRowDoneEvent = std::function<void(TVktDataLister* Sender, int Row, bool& Continue, void* User)>;

    TVktDataLister();
    ~TVktDataLister();
    TVktDataLister(const TVktDataLister&) = delete;
    TVktDataLister& operator=(const TVktDataLister&) = delete;

    // The database folder; one trailing path separator ('/' or '\') is cut.
    void SetPath(const std::string& folder);
    const std::string& GetPath() const { return path_; }
    TVktTable GetTable() const { return table_; }
    void SetTable(TVktTable table) { table_ = table; }
    // The last statement built by List or Count.
    const std::string& GetSQL() const { return sql_; }
    // Name of this lister's session, unique in the process.
    const std::string& GetSessionName() const { return sessionName_; }

    TListRowEvent OnListRow;
    TListCellEvent OnListCell;
    TListRowDoneEvent OnListRowDone;

    // Lists the rows of VktSQLString(table, fields, orders, filter): for each row OnListRow, then
    // OnListCell per field in list order, then OnListRowDone. True when nothing went wrong; an
    // empty field list or an empty path lists nothing and succeeds. Any exception while the
    // statement is prepared, run or read (a missing database, a refused statement, a listed field
    // the statement lacks, a failing handler) ends the listing and gives false; the rows handed
    // out before stay handed out. Each row is read whole before it is handed out, so a failing
    // cell hands out nothing of its row; a missing column fails when the first row arrives. The filter's parameters are bound outside that guard: a parameter the
    // statement lacks raises platform::DatabaseError to the caller (a builder fault).
    bool List(void* user, TPriorityItem fields, TPriorityItem orders, TFilterObject filter);
    // The number of rows List would hand out for the fields and the filter; 0 for an empty path,
    // -1 when the statement cannot be prepared or run. A filter parameter the statement lacks
    // raises platform::DatabaseError, as in List.
    int Count(TPriorityItem fields, TFilterObject filter);

private:
    // Leases the statement of sql_ on a connection to the folder's database and binds the filter;
    // false when the database or the statement cannot be had (the binding raises).
    bool Prepare(const TFilterObject& filter, platform::ConnectionPool::Lease& connection,
                 platform::StatementLease& lease) const;

    std::string path_;
    std::string sql_;
    std::string sessionName_;
    TVktTable table_ = TVktTable::None;
};
