#pragma once
// TVktAccesser: a read query (table, field list, sort order per field, filter) bound to an open
// database, with its result rows cached as cells holding a value and a display text. Readers move
// a current-row index over the cache and read cells by field.
//
// Binding: while bound the accessor holds one reference on the database (AddRef/Release) and one
// subscription to its notices; the database's OnClose and OnRelease unbind it. Accessors owned by
// an accessor follow its binding. An unbound accessor reads the folder of its own path.
//
// Listing: every change of database, table, fields, orders or filter calls Refresh; Refresh lists
// at once when the update lock is 0, otherwise marks the accessor dirty and the outermost
// EndUpdate lists once. The accessor never re-reads on its own: its owner refreshes it when a
// change notice concerns its rows. Listing row r becomes cache row r, field i cache column i; the
// cache is a TVktRowCache (compact: a large listing costs about what its texts weigh).
//
// Window: with a positive window a listing counts the records (distinct values of the table's
// first field under the filter) and caches only the first `window` rows; the row count is the
// counted one. Only a query that lists one row per record may have a window. Moving the row index
// past the cached rows lists all rows; FindRow searches the cached rows only (rows listed later
// are read fresh).
//
// Reading: the current row is the row index when below the row count, else row 0. A field that is
// not listed, and any field of an accessor without rows, reads as the empty value and "" (the
// cache does not grow); writing one does nothing.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Priorityitem.h"
#include "data/Ufilterstruct.h"
#include "data/Uvktobjevent.h"
#include "data/Vkttabledefine.h"
#include "platform/Variant.h"

class TVktAccesser;
class TVktDataLister;
class TVktRowCache;

// Who a new accessor belongs to: nobody, an open database (the accessor binds to it at once) or
// another accessor (from that accessor's next binding on, the new one is bound and unbound with
// it; it is not freed by it).
class TVktAccesserOwner {
public:
    TVktAccesserOwner() = default;
    TVktAccesserOwner(std::nullptr_t) {}
    TVktAccesserOwner(TVktObjectLink* object) : object_(object) {}
    TVktAccesserOwner(TVktAccesser* accesser) : accesser_(accesser) {}
    TVktObjectLink* GetObject() const { return object_; }
    TVktAccesser* GetAccesser() const { return accesser_; }

private:
    TVktObjectLink* object_ = nullptr;
    TVktAccesser* accesser_ = nullptr;
};

class TVktAccesser {
public:
    using TRowEvent = std::function<void(TVktAccesser* Sender, int Row)>;
    using TCellEvent = std::function<void(TVktAccesser* Sender, int Row, TVktField Field)>;
    using TCellValueEvent = std::function<void(TVktAccesser* Sender, int Row, TVktField Field,
                                               const std::string& Text, const platform::Variant& Value)>;
    // Clearing Continue ends the listing after this row.
    using TRowDoneEvent = std::function<void(TVktAccesser* Sender, int Row, bool& Continue)>;

    // Empty path, fields, orders and filter; binds to an owning database without listing.
    explicit TVktAccesser(TVktAccesserOwner owner = {});
    // Unbinds (no notice fires and nothing is listed; a derived class's DoDetach is not called,
    // its part being gone) and leaves its owner; owned accessors are unbound too and stay,
    // without an owner.
    virtual ~TVktAccesser();
    TVktAccesser(const TVktAccesser&) = delete;
    TVktAccesser& operator=(const TVktAccesser&) = delete;

    // Binds to `object` (none: unbinds), then binds the owned accessors likewise and refreshes.
    // Nothing happens when the object is the one bound.
    void SetVktObject(TVktObjectLink* object);
    TVktObjectLink* GetVktObject() const { return object_; }
    // The bound database's folder, else the accessor's own path.
    std::string GetPath() const;
    // The folder read while no database is bound; setting it does not list.
    void SetPath(const std::string& path) { path_ = path; }
    // Accessors constructed with this one as owner, in construction order.
    int GetComponentCount() const { return static_cast<int>(components_.size()); }
    TVktAccesser* GetComponent(int index) const;

    void BeginUpdate() { ++updateCount_; }
    // Closes one BeginUpdate (never below 0), then Update.
    void EndUpdate();
    int GetUpdateCount() const { return updateCount_; }
    // Lists when the lock is 0 and a refresh is pending.
    void Update();
    // Marks a refresh pending, then Update.
    void Refresh();
    // The result of the last listing (true while a refresh is pending).
    bool GetListed() const { return listed_; }
    bool GetDirty() const { return dirty_; }

    TVktTable GetTable() const { return table_; }
    // All stored fields of the table in definition order, the first ascending, the filter empty;
    // lists at most once. A table that is not stored gets no fields.
    void SetTable(TVktTable table);
    TPriorityItem GetFields() const { return fields_; }
    void SetFields(const TPriorityItem& fields);
    // Parallel to the fields: 0 no order, 1 ascending, 2 descending.
    TPriorityItem GetOrder() const { return orders_; }
    void SetOrder(const TPriorityItem& orders);
    const TFilterObject& GetFilter() const { return filter_; }
    // Stores the filter and refreshes when it differs from the held one.
    virtual void SetFilter(const TFilterObject& filter);

    int GetRowCount() const;
    // Rows held in the cache: all rows, or the window's while only it is listed.
    int GetCachedRowCount() const;
    // Rows the next listing caches at first (0: all); takes effect with the next listing.
    void SetWindow(int rows) { window_ = rows > 0 ? rows : 0; }
    int GetWindow() const { return window_; }
    // Whether only the window is cached while the query holds more rows.
    bool GetPartial() const { return partial_; }
    int GetRowIndex() const { return rowIndex_; }
    // Unchecked; reads clamp an index outside the rows to row 0. An index past a partial
    // listing's cached rows lists all rows first.
    virtual void SetRowIndex(int row);

    platform::Variant GetValue(TVktField field) const;
    std::string GetText(TVktField field) const;
    // Overwrite the cached cell of the current row (no database write).
    void SetValue(TVktField field, const platform::Variant& value);
    void SetText(TVktField field, const std::string& text);
    // First row whose cached value of the field equals `value` (variant equality); -1 when none
    // or when the field is not listed.
    int FindRow(TVktField field, const platform::Variant& value) const;

    // Lists the rows into the cache: false without touching it while the update lock is held or
    // from a notice of the listing under way; otherwise the row index becomes 0, the cache is
    // emptied and filled again, and the result is the lister's (rows listed before a failure
    // stay). A filter parameter the statement lacks raises platform::DatabaseError.
    virtual bool Execute();

    TRowEvent OnRowAdded;
    TCellEvent OnCellAdded;
    TCellValueEvent OnCellValue;
    TRowDoneEvent OnRowDone;

protected:
    // After binding to a database / before letting go of one.
    virtual void DoAttach() {}
    virtual void DoDetach() {}
    // Fire OnRowAdded; OnCellAdded then OnCellValue; OnRowDone. Silent while destroying.
    virtual void DoRowAdded(int row);
    virtual void DoCellAdded(int row, TVktField field, const std::string& text, const platform::Variant& value);
    virtual void DoRowDone(int row, bool& more);

    // For presets: sets the table without touching fields, orders or filter, and clears a pending
    // refresh.
    void SetTableOnly(TVktTable table) { table_ = table; }
    void ClearDirty() { dirty_ = false; }

    bool IsDestroying() const { return destroying_; }

private:
    // Column of the field in the current row; false when the field is not listed or there are no rows.
    bool CellOf(TVktField field, int& col, int& row) const;
    void ListRow(int row);
    // Lists into the emptied cache; `limit` > 0 stops after that many rows.
    bool ListRows(int limit);
    // The query's row count by a count statement; -1 when the statement fails (a filter parameter
    // the statement lacks raises).
    int CountRows() const;
    void ListCell(int row, TVktField field, const std::string& text, const platform::Variant& value);

    TVktObjectLink* object_ = nullptr;
    TVktAccesser* owner_ = nullptr;
    std::vector<TVktAccesser*> components_;
    std::unique_ptr<TVktObjEvent> subscription_;
    std::unique_ptr<TVktRowCache> rows_;
    bool destroying_ = false;
    bool listing_ = false;
    std::string path_;
    int updateCount_ = 0;
    int rowIndex_ = 0;
    int window_ = 0;
    bool partial_ = false;
    int counted_ = 0;
    bool dirty_ = false;
    bool listed_ = true;
    TVktTable table_ = TVktTable::None;
    TPriorityItem fields_;
    TPriorityItem orders_;
    TFilterObject filter_;
    // Cache column of the next cell of the row being listed.
    int listColumn_ = 0;
    // Per cache column of the listing: the lister's value is the cell's text.
    std::vector<bool> textColumns_;
};
