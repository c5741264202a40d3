#pragma once
// The database container (type 11, "VktBaseContainer"): binds an open database, owns the read
// query that lists the records a report prints and cuts it into pages of PageDataCount records.
// The data containers below it (types 12-17, reached through data containers only) read its rows,
// its paging and its second font. It draws nothing itself.
//
// The query: the sort fields (Fields/Orders), then the fields the field containers below read,
// then Data_ID; table TblInventory when the filter names InvDate_Key, else TblData.
//
// Attributes on the "Item" element after the font ones:
//   PageDataCount  records per page (always; missing: 0)
//   Fields         comma text of field names (always); unknown names and fields the table cannot
//                  list stay out of the query together with their order
//   Orders         comma text of 1 ascending / 2 descending (always), fitted to Fields
//   FontName2      second font name, when it differs from the own font name
//   FontSize2      second font size, when it differs from the own size
//
// Listing: the query's rows are counted and only the first page's records (kFirstRows without
// records per page) are listed; reading any row past them lists all rows.
//
// Change notices: while suspended (its layout is not shown) a notice only marks a re-query,
// run by the next change pass. While shown, a field change re-queries when it can change which
// records are listed or their order, patches the named records' cached rows when it changes only
// what is read, and a data-field change ends in BroadcastDBChange.
#include "data/Ufilterstruct.h"
#include "data/Uviewfieldstruct.h"
#include "data/Uvktobjevent.h"
#include "data/Vkttabledefine.h"
#include "layout/Ucontainer.h"

#include <memory>
#include <string>
#include <vector>

class TVktAccesser;
class TVktDataLink;
class TVktObjEvent;
class TVktObject;

class TVktTopContainer : public TContainer {
public:
    static constexpr int kPatchLimit = 500;
    // Rows listed at first without records per page: more than a grid's page holds.
    static constexpr int kFirstRows = 256;

    TVktTopContainer();
    ~TVktTopContainer() override;

    TVktObject* GetVktObject() const { return object_; }
    void SetVktObject(TVktObject* object);
    const TFilterObject& GetFilter() const { return filter_; }
    void SetFilter(const TFilterObject& filter);
    int GetPageDataCount() const { return pageDataCount_; }
    void SetPageDataCount(int value);
    // Only the pairs with an order other than 0, in their order.
    void SetAccessFields(const TAccessFieldStruct& fields);
    TAccessFieldStruct GetAccessFields() const;
    const std::string& GetFontName2() const { return fontName2_; }
    void SetFontName2(const std::string& name);
    int GetFontSize2() const { return fontSize2_; }
    void SetFontSize2(int size);

    bool GetActive() const { return active_; }
    TVktAccesser* GetAccesser() const { return accesser_.get(); }
    int GetRowCount() const;
    // Data_ID of the 0-based row; 0 past the rows.
    int GetDataID(int row);
    bool HasInvDate() const;
    // The fields the query lists (sort fields, fields read below, Data_ID) as last built.
    TPriorityItem GetQueryFields() const;

    // Marks the query for rebuilding and runs a change pass.
    void RequestQuery();
    bool GetQueryPending() const { return queryPending_; }
    // While suspended, notices only mark a re-query; lifting the suspension runs it once.
    void SetSuspended(bool suspended);
    bool GetSuspended() const { return suspended_; }
    // Full listings and row patches run (for tests and benchmarks).
    int GetQueryCount() const { return queryCount_; }
    int GetPatchCount() const { return patchCount_; }
    int GetPatchedRowCount() const { return patchedRows_; }
    // While the change pass after a row patch runs through the containers below: the rows the
    // patch re-read (none when it read nothing), everything else unchanged; null otherwise.
    const std::vector<int>* GetRowPatch() const { return rowPatching_ ? &rowPatch_ : nullptr; }

    int GetPageMax() override;
    void DoChange() override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;

    virtual void DBActive();
    virtual void DBInactive();
    void BroadcastDBActive(TViewItem* item);
    void BroadcastDBInactive(TViewItem* item);
    void BroadcastDBChange(TViewItem* item);

    // Every data container below the item, all depths (through containers of any type).
    static void PushPageDataCount(TViewItem* item, int value);
    // The direct data children of the item.
    static void PushSubData(TViewItem* item, bool value);
    static void PushPageDataIndex(TViewItem* item, int value);
    static void PushSubDataIndex(TViewItem* item, int value);
    // The value of the item's parent when that is a data container; else 0 / false.
    static bool GetParentSubData(TViewItem* item);
    static int GetParentPageDataIndex(TViewItem* item);
    static int GetParentSubDataIndex(TViewItem* item);

    // Data containers that found this one register here, so that it can let them go when it dies.
    void AddLink(TVktDataLink* link);
    void RemoveLink(TVktDataLink* link);

private:
    void BuildQuery();
    // Fields read by the containers below: field containers and grids showing records.
    TPriorityItem CollectFields() const;
    void FieldChanged(TVktField field, const TPriorityItem& ids);
    void PatchRows(const TPriorityItem& fields, const TPriorityItem& ids);
    void RecordsChanged(TVktObjKind kind, const TPriorityItem& ids, bool added);
    void Renamed();
    TViewItems* OwnerItems() const;
    // Re-query now, or only marked while suspended.
    void Requery();
    template <typename Call>
    void Broadcast(TViewItem* item, Call call);

    TVktObject* object_ = nullptr;
    std::unique_ptr<TVktObjEvent> objEvent_;
    std::unique_ptr<TVktAccesser> accesser_;
    int pageDataCount_ = 0;
    bool queryPending_ = false;
    bool active_ = false;
    bool suspended_ = false;
    TPriorityItem fields_;
    TPriorityItem orders_;
    TFilterObject filter_;
    int fontSize2_ = 0;
    std::string fontName2_;
    TPriorityItem queryFields_;
    std::vector<TVktDataLink*> links_;
    int queryCount_ = 0;
    int patchCount_ = 0;
    int patchedRows_ = 0;
    std::vector<int> rowPatch_;
    bool rowPatching_ = false;
};
