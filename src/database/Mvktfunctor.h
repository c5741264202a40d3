#pragma once
// TVktFunctor: the operations module of one database folder. Every change to a database is a
// statement this module runs on its own connection; every small lookup a change needs is a query on
// the same connection. Callers point it at the folder (SetPath) before every operation.
//
// Contracts shared by all operations:
//  - Each operation catches every failure of its own statements and returns its failure value
//    (false, 0, -2, an empty text or an empty list, as stated per operation). Nothing is shown.
//  - Every operation that writes runs inside a savepoint (Write below): a failure raised inside it
//    rolls back everything the operation wrote; a `false` that the operation defines as an outcome
//    keeps what it wrote.
//  - Values reach SQL as bound parameters; where a text must be part of the statement it is quoted
//    with its single quotes doubled (SqlText). Dates are ISO text ("yyyy-mm-dd"), date-times
//    "yyyy-mm-dd hh:mm:ss". New keys are coalesce(max(K), 0) + 1.
//  - "Now" and "today" are read from platform::Now() / platform::Today() (the injectable clock).
//  - The connection is opened on first use without creating the database file, for reading only
//    when it cannot be written; SetPath to another folder, CreateDefaultData and ConvertOldDatabase
//    close it. SetPath and SetPathForWrite also close a read-only one: the next use opens it
//    afresh, writable when the folder and file have become writable since (a connection opened
//    read-only never writes, and one reading the file as unchanging sees no later change).
//
// Where a Write runs, by the module's state (pending_, batchDepth_, rowSavepoint_):
//   state                                        a Write (InSavepoint)            a batch row (InBatchRow)
//   idle                                         its own savepoint (BEGIN)        as Write
//   after SetPathForWrite, no Write yet          takes the pending BEGIN          as Write
//                                                IMMEDIATE: commits or rolls back
//   caller's transaction open (a batch)          a savepoint nested in it         as Write
//   BeginBatch, BeginBatchRow not yet used       as above; forgets the batch's    in the caller's row savepoint;
//                                                memo (InsertData keeps it)       a failure marks EndBatchRow
// A failure of the storage or of memory ends the whole transaction (platform::Connection): the
// batch keeps nothing, and every later statement of it raises that first failure.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Priorityitem.h"
#include "core/Treeindex.h"
#include "data/Ufilterstruct.h"
#include "data/Uvktobjevent.h"   // TVktObjKind
#include "data/Vktcodes.h"
#include "data/Vkttabledefine.h"
#include "database/Mvktcosting.h"
#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/Sqlite.h"
#include "platform/Variant.h"

// A record that recipes or menus use as an item: its name and the names of those that use it.
struct TVktItemUse {
    int DataId = 0;
    std::string Name;
    std::vector<std::string> Users;   // each recipe or menu once, by Data_ID
};

class TVktFunctor {
public:
    // Creates the module closed, with an empty setting map.
    TVktFunctor();
    ~TVktFunctor();
    TVktFunctor(const TVktFunctor&) = delete;
    TVktFunctor& operator=(const TVktFunctor&) = delete;

    // --- The module: folder, lookups, change stamp, settings store (Mvktfunctor.cpp) -------------
    // Binds the module to a folder (one trailing '/' is cut). A different folder closes the
    // connection first. A non-empty folder then re-reads the setting map (LoadInitialIDs); a
    // failure to write or parse row 0 raises to the caller.
    void SetPath(const std::string& path);
    // SetPath before one writing operation: when the connection opens and no transaction is open,
    // row 0 is read inside a write transaction (BEGIN IMMEDIATE) that the operation's first Write
    // then takes as its own savepoint, one transaction instead of a read and a write. A row 0
    // written anew is committed at once; EndPendingTransaction ends the transaction no Write took
    // (nothing was written in it).
    void SetPathForWrite(const std::string& path);
    void EndPendingTransaction() noexcept;
    std::string GetPath() const;
    // Whether the module's connection cannot write (a write-protected file, folder or medium);
    // false when the folder holds no database.
    bool IsReadOnly();
    // The first database error a Write failed with since the last call: the database refused the
    // write (none when every Write since succeeded or failed by its own rules, which includes a
    // statement that cannot run, FailureKind::Statement); the call clears it.
    std::optional<platform::DatabaseError> TakeWriteError();
    // Keeps the error for TakeWriteError unless one is kept already.
    void NoteWriteError(const platform::DatabaseError& error);
    // Stamps the record's ChangeDate with now; false on failure.
    bool TouchChangeDate(int dataId);
    // ClassType of a class (TVktClassType); ctRoot when there is no such class; -2 when the query
    // fails.
    int GetClassType(int classId);
    // TreeID of a class; an empty tree index when there is none or the query fails.
    TTreeIndex GetClassTreeID(int classId);
    // ClassType of the record's class (TVktClassType); ctRoot when there is no row or the query fails.
    int GetDataClassType(int dataId);
    // 0 live (or no row, or failure), -1 in the trash, -2 conserved (Conserve true wins).
    int GetDataEraseState(int dataId);
    // Data_ID of every record that the filter selects, in result order; empty on failure.
    TPriorityItem SelectDataIDs(TFilterObject filter);
    // Reads row 0 of Initialize into the setting map, writing the default map when row 0 is
    // missing. A failure of the read counts as an empty row; a failure of the write raises.
    // True when it wrote row 0.
    bool LoadInitialIDs();
    // The setting's row id, registering the name (and rewriting row 0) when new. A name whose
    // map value is not a positive integer counts as new. A new name gets the id above every id
    // in the map.
    int RegisterInitialID(const std::string& name);
    // The setting's text; empty when there is no row or on failure.
    std::string GetInitial(const std::string& name);
    // Replaces the setting's row (and writes row 0 when registering the name could not); an
    // empty text changes nothing. Raises platform::DatabaseError when the write fails; nothing
    // is changed then.
    void StoreInitial(const std::string& name, const std::string& text);
    // StoreInitial, returning false instead of raising.
    bool SetInitial(const std::string& name, const std::string& text);
    // GetInitial("DatabaseID").
    std::string GetDatabaseID();

    // --- New-database content (Mvktfunctor_newdb.cpp) ----------------------------------------------
    // Empties every stored table and writes the default settings, classes, forms and units and
    // dealer; true when every statement ran. Closes the connection when it ends.
    bool CreateDefaultData();

    // --- Old-format conversion (Mvktfunctor_convert.cpp) -------------------------------------------
    // Copies the sixteen old-format tables of the folder into the current tables, replacing what
    // they held, in one transaction: true when every table converted, false (nothing converted)
    // otherwise. The old files are only read. Closes the connection.
    bool ConvertOldDatabase();

    // --- Inventory sheets and month queries (Mvktfunctor_inventory.cpp) -----------------------------
    // Months as date serials of their first day, newest first; empty on failure.
    TPriorityItem GetMHistoryMonths();
    TPriorityItem GetInvDateMonths();
    // Sheet ids, newest sheet first.
    TPriorityItem GetInvDates();
    // Id of the sheet of the date's month; 0 when none or on failure.
    int FindInvDate(platform::TDateTime date);
    // Records marked for stock-taking that are not in the trash.
    TPriorityItem GetInventoryItems();
    bool DeleteInventoryEntry(int invDateId, int dataId);
    // Writes the record's entry on the sheet: its use unit, its price by the sheet's price type,
    // and the counted quantity kept (0 when the entry is new or its count is empty) or reset to 0.
    // True also when the record does not exist (nothing is written); false when the sheet does not
    // exist, its price type has no price column, the record has no use unit or no price to count
    // it at, or on failure (the entry stays as it was).
    bool SetInventoryEntry(int invDateId, int dataId, bool resetRemained);

    // --- Adding records and master rows (Mvktfunctor_add.cpp) ---------------------------------------
    // The first default name of the kind not yet in use.
    std::string MakeNewName(TVktObjKind kind);
    // Each returns the new key, 0 on failure or refusal.
    int AddNewData(int classId, const std::string& name);
    int AddClass(int parentId, const std::string& name);
    int AddForm(std::int8_t classType, const std::string& name);
    int AddUnit(std::int8_t classType, const std::string& name);
    int AddDealer(const std::string& name);
    int AddAttrItem(const std::string& name);
    // InvDate_ID of the month's sheet (created or its price type updated); 0 on failure.
    int AddInvDate(std::uint8_t priceType, platform::TDateTime date);
    // True also when nothing changed; false on failure.
    bool ChangeDataClass(int dataId, int classId);

    // --- Monthly and yearly price history (Mvktfunctor_history.cpp) ---------------------------------
    bool SetMHistoryPrice(int dataId, platform::TDateTime date, platform::Currency price);
    bool MakeYHistory(int dataId, bool removeMHistory, platform::TDateTime date);
    bool ConvertHistoryUnit(int dataId, int newUnitId, double rate);

    // --- Trash, restore, purge, deletes and dependency queries (Mvktfunctor_erase.cpp) --------------
    bool EraseData(int dataId);
    bool RestoreData(int dataId);
    bool PurgeData(int dataId);
    bool DeleteClass(int classId);
    bool DeleteForm(int unitsId);
    bool DeleteUnit(int unitsId);
    bool DeleteDealer(int dealerId);
    bool DeleteAttrItem(int attrItemId);
    bool ShiftIconKeys(int iconIndex);
    bool GetClassesByIcon(int iconIndex);
    bool ClassHasContents(int classId);
    bool ClassIsBranchOrEmpty(int classId);
    bool GetUsedUnitKeys(int unitsId);
    bool GetFoodsByDealer(int dealerId);
    // The live records among `ids` (not in the trash, not conserved) that recipes or menus use as
    // items, which EraseData leaves where they are, in the order of `ids`; empty on failure.
    std::vector<TVktItemUse> GetItemUses(const TPriorityItem& ids);

    // --- Reordering (Mvktfunctor_order.cpp) ---------------------------------------------------------
    bool MoveUnit(int from, int to);
    bool MoveDealer(int from, int to);
    bool MoveAttrItem(int from, int to);
    bool MoveClassUp(int classId);
    bool MoveClassDown(int classId);

    // --- Field edits and the price chain (Mvktfunctor_edit.cpp) -------------------------------------
    // `keys`: the leading key values of the field's table, the record's Data_ID first.
    bool EditData(TVktField field, const platform::Variant& value, const TPriorityItem& keys);
    bool UpdatePriceChain(int dataId);
    // `values`: comma text, the i-th value for the i-th field of `fields`.
    bool UpdateDataKeys(int dataId, const std::string& values, const TPriorityItem& fields);
    // `checks`: a TAttrCheckState for each of `attrItems` (at least as many).
    bool SetDataAttributes(int dataId, const TPriorityItem& attrItems, const TPriorityItem& checks);

    // --- Recipe items (Mvktfunctor_items.cpp) -------------------------------------------------------
    // Each keeps ItemIndex 1..n, Category 1..m and CatIndex 1..k without gaps, changes no price and
    // stamps the recipe's ChangeDate; false when refused (an index naming no item, a price mode
    // above pmMin, the cases of each operation; nothing written) or when a statement fails.
    bool AppendRecipeItem(int recipeId, int dataId, TVktPriceMode priceMode);
    bool DeleteRecipeItem(int recipeId, int itemIndex);
    bool MoveRecipeItemUp(int recipeId, int itemIndex);
    bool MoveRecipeItemDown(int recipeId, int itemIndex);
    bool SplitItemCategory(int recipeId, int itemIndex);
    bool ClearItemCategories(int recipeId);

protected:
    // What an item copies from the record it uses (shared with recosting): `price` is UsePrice for
    // pmNow or a record without yearly history, else the mode's column of its newest yearly row;
    // `unit` its UseUnit_Key. Either may be Null. False when the record does not exist; a mode
    // above pmMin raises ConvertError.
    bool ReadItemPrice(int dataId, TVktPriceMode priceMode, platform::Variant& price, platform::Variant& unit);

public:
    // --- Recosting (Mvktfunctor_recost.cpp) ---------------------------------------------------------
    // `runTime` 0 means now; `visited` is the recursion path, each call working on its own copy.
    bool RefreshItemPrices(int recipeId, TVktPriceMode priceMode, TPriorityItem visited,
                           platform::TDateTime runTime);

    // --- Batch insert of records (Mvktfunctor_insert.cpp) ------------------------------------------
    // Kind 7, 8 or 9; `row` comma text whose n-th value belongs to the n-th field of `fields`.
    // The new Data_ID, 0 on refusal or failure.
    int InsertData(TVktObjKind kind, std::string_view row, const TPriorityItem& fields);
    // A batch: between BeginBatch and EndBatch (calls nest; each end forgets) InsertData remembers
    // what it learned of the classes (their type and place in the tree), the next Data_ID and the
    // highest key of the monthly history instead of asking again for every row. Open one only
    // inside a transaction that holds the connection for the whole batch; every other writing
    // operation (Write) and closing the connection forget it all.
    void BeginBatch();
    void EndBatch();
    // One row of a batch inside a savepoint of the caller's: the first InsertData or
    // SetInventoryEntry after BeginBatchRow writes in that savepoint instead of one of its own, and
    // EndBatchRow tells whether it failed, when the caller must roll its savepoint back.
    void BeginBatchRow();
    bool EndBatchRow();

protected:
    // ===== Shared helpers for every operation group (implemented in Mvktfunctor.cpp) =============
    // Protected so that tests can reach them through a derived probe class.

    // The connection to <folder>/vektara.db, opened on first use without creating the file; read
    // only when it cannot be opened for writing. Raises platform::DatabaseError when no folder is
    // bound or the file cannot be opened.
    platform::Connection& Db();
    // Closes the connection (the "session is deactivated"); the next statement reopens it.
    void Deactivate();

    // Named parameters of a statement: {{"ID", 5}, {"Name", std::string("x")}}. Each is bound by
    // the variant's own kind (platform::Statement::Bind): texts as text ("" binds NULL), integers,
    // doubles, booleans 0/1, currency as REAL, bytes as BLOB, a date-time as ISO text ("yyyy-mm-dd"
    // when it has no time of day, so bind a stamp as text: SqlParam("Now", ToIsoDateTime(...))).
    using SqlParams = std::vector<std::pair<std::string, platform::Variant>>;

    // Runs one statement with its parameters; returns the number of rows changed.
    int Exec(const std::string& sql, const SqlParams& params = {});
    // Prepares one statement on the module's connection with its parameters bound; step it.
    platform::Statement Prepare(const std::string& sql, const SqlParams& params = {});
    // The same from the connection's statement cache: a lease of the statement (`->Step()`), given
    // back reset when the lease ends. Use it for texts that recur (no values spelled into them);
    // Exec and the Query helpers use it. A lease must end inside the Write body that made it.
    platform::StatementLease Lease(const std::string& sql, const SqlParams& params = {});
    // First column of the first row: the integer, or `whenNone` when there is no row or it is NULL.
    std::int64_t QueryInt(const std::string& sql, const SqlParams& params = {}, std::int64_t whenNone = 0);
    // First column of the first row as text; "" when there is no row or it is NULL.
    std::string QueryText(const std::string& sql, const SqlParams& params = {});
    // True when the query returns at least one row.
    bool QueryHasRow(const std::string& sql, const SqlParams& params = {});
    // First column of every row as integers, in result order (NULL values are skipped).
    TPriorityItem QueryIntList(const std::string& sql, const SqlParams& params = {});
    // New key of the field's table: coalesce(max(field), 0) + 1.
    int NextKey(TVktField keyField);

    // Table name in SQL (the schema's file name, "VktDB1F") and column name of a field.
    static std::string Tbl(TVktTable table);
    static std::string Col(TVktField field);
    // SQL literals: a text between single quotes with inner quotes doubled, an ISO date or date-time
    // between single quotes, an integer in decimal, a double in the shortest round-trip form.
    static std::string SqlText(std::string_view text);
    static std::string SqlDate(platform::TDateTime value);
    static std::string SqlDateTime(platform::TDateTime value);
    static std::string SqlInt(std::int64_t value);
    static std::string SqlFloat(double value);

    // The statements of UpdatePriceChain and TouchChangeDate without a savepoint of their own:
    // they raise on failure. RunPriceChain is false for a record it leaves alone (conserved, in
    // the trash).
    bool RunPriceChain(int dataId);
    // A recipe's or menu's chain from its items (read by the caller, prices as they now are) and
    // its cook row: writes the item use prices and the total that change, then the use price and
    // the change date.
    void WriteCookCost(int dataId, const std::vector<TCostItem>& items, bool hasCook, const TStoredNumber& total,
                       double complete);
    void StampChangeDate(int dataId);

    // Runs `body` (returning Result) inside a savepoint; returns its result, keeping what it wrote.
    // Any exception (platform::Error, std::exception, SilentAbort) rolls the savepoint back and
    // gives `failure`. Savepoints nest: an operation may call another writing operation, whose
    // failure then rolls back only its own part. Statements opened inside `body` must be locals
    // of `body` (they end before the rollback).
    template <typename Result, typename Body>
    Result Write(Result failure, Body&& body) {
        ForgetBatchMemo();
        return InSavepoint(failure, std::forward<Body>(body));
    }
    // Write without forgetting what a batch learned: for InsertData only, which keeps it true.
    template <typename Result, typename Body>
    Result InSavepoint(Result failure, Body&& body) {
        rowSavepoint_ = false;   // a batch row's savepoint is for an InsertData of its own only
        if (std::unique_ptr<platform::Transaction> transaction = std::move(pending_)) {
            // The transaction SetPathForWrite began is this savepoint; ended, it rolls back.
            try {
                Result result = body();
                transaction->Commit();
                return result;
            } catch (const platform::DatabaseError& error) {
                NoteWriteError(error);
                return failure;
            } catch (const std::exception&) {
                return failure;
            }
        }
        try {
            platform::Savepoint savepoint(Db());
            Result result = body();
            savepoint.Release();
            return result;
        } catch (const platform::DatabaseError& error) {
            NoteWriteError(error);
            return failure;
        } catch (const std::exception&) {
            return failure;
        }
    }
    // One record of a batch: after BeginBatchRow, `body` writes in the batch's savepoint instead of
    // one of its own, and a failure marks the row for EndBatchRow (the caller rolls its savepoint
    // back); otherwise InSavepoint. Any exception gives `failure`.
    template <typename Result, typename Body>
    Result InBatchRow(Result failure, Body&& body) {
        if (!(std::exchange(rowSavepoint_, false) && batchDepth_ > 0))
            return InSavepoint(failure, std::forward<Body>(body));
        try {
            return body();
        } catch (const platform::DatabaseError& error) {
            rowFailed_ = true;
            NoteWriteError(error);
            return failure;
        } catch (const std::exception&) {
            rowFailed_ = true;
            return failure;
        }
    }
    // Runs a read-only `body`; any exception gives `failure`.
    template <typename Result, typename Body>
    Result Read(Result failure, Body&& body) {
        try {
            return body();
        } catch (const std::exception&) {
            return failure;
        }
    }

    // The settings map as stored in row 0: "<InitialID Name="id" ... />".
    std::string InitialMapText() const;

private:
    // Closes the connection when it is open read-only and idle (see the file comment).
    void ForgetReadOnlyConnection() noexcept;

    // RegisterInitialID, telling whether row 0 holds the map (false when its rewrite failed).
    int RegisterInitialID(const std::string& name, bool& mapStored);

    // What InsertData learned of a class inside a batch.
    struct ClassShape {
        int Type = ctRoot;        // ClassType
        std::int64_t Below = 0;   // classes whose TreeID starts with its own, itself included
    };
    // The class's shape (Type 0 when there is no such class) and the default class of a kind's new
    // records (0 when its family has no leaf), remembered inside a batch (Mvktfunctor_insert.cpp).
    ClassShape ShapeOfClass(int classId);
    int FamilyDefaultClass(TVktObjKind kind);
    // The highest integer MHistory_Key (0 when there is none), remembered inside a batch; the
    // largest int64 when keys of other kinds make it unknown.
    std::int64_t HistoryCeiling();
    // The statement of `text` (one of InsertData's fixed texts): inside a batch the one the batch
    // holds, leased once for all its rows; else leased into `local` for this call.
    platform::Statement& BatchStatement(const std::string& text, platform::StatementLease& local);
    void ForgetBatchMemo() {
        if (!batchStatements_.empty()) batchStatements_.clear();
        if (!classShapes_.empty()) classShapes_.clear();
        if (!defaultClasses_.empty()) defaultClasses_.clear();
        nextDataId_ = 0;
        historyCeiling_ = -1;
    }

    std::string path_;                                          // bound folder, no trailing '/'
    platform::Connection db_;                                   // open on first use
    std::vector<std::pair<std::string, std::string>> initialIds_;  // setting name -> row id, in order
    std::string parsedInitialText_;                             // row 0 as LoadInitialIDs parsed it last
    std::unique_ptr<platform::Transaction> pending_;            // begun by SetPathForWrite, no Write took it yet
    std::optional<platform::DatabaseError> writeError_;         // for TakeWriteError
    int batchDepth_ = 0;                                        // open BeginBatch calls
    bool rowSavepoint_ = false;                                 // BeginBatchRow, not yet used
    bool rowFailed_ = false;                                    // for EndBatchRow
    // Inside a batch: Class_ID -> its shape; class type -> the default class of its records.
    std::unordered_map<int, ClassShape> classShapes_;
    std::unordered_map<int, int> defaultClasses_;
    int nextDataId_ = 0;                                        // inside a batch: NextKey(Data_ID), 0 unknown
    // Inside a batch: InsertData's statements by their text, each reset after every use.
    std::unordered_map<const std::string*, platform::StatementLease> batchStatements_;
    // Inside a batch: no monthly history row has an MHistory_Key above it; -1 unknown.
    std::int64_t historyCeiling_ = -1;
};

// The prices a batch-inserted record stores, from the values its row gives (nullopt: the row has
// no such field). An ingredient: buy price the given one or else the use price, below 0 taken as 0;
// quantity 1 unless above 0; yield 100 unless in (0, 100]. A recipe or menu: completion 1 unless
// above 0; total price below 0 taken as 0. The use price follows by FoodUsePrice / CookUsePrice.
// A price beyond the currency's range raises platform::ConvertError.
struct TInsertFoodPrices {
    platform::Currency BuyPrice;
    double Quantity = 1.0;
    double Yield = 100.0;
    platform::Currency UsePrice;
};
TInsertFoodPrices InsertFoodPrices(std::optional<double> usePrice, std::optional<double> buyPrice,
                                   std::optional<double> quantity, std::optional<double> yield);
struct TInsertCookPrices {
    double Complete = 1.0;
    platform::Currency TotalPrice;
    platform::Currency UsePrice;
};
TInsertCookPrices InsertCookPrices(std::optional<double> complete, std::optional<double> totalPrice);
