#pragma once
// The machinery shared by the data containers (types 12-17): the nearest database container
// above the item, the four inherited values with their invariants, the page being drawn and the
// record row of the slot, and the layout attributes of the inherited values.
//
// Invariants kept by the setters: PageDataIndex <= PageDataCount; when either is 0, SubData is
// false and SubDataIndex 0; when SubData turns false, SubDataIndex becomes 0.
//
// Attributes on the "Item" element, each written only when it differs from the parent's value
// (the parent's when that is a data container, else 0 / false):
//   PageDataIndex  1-based record slot            SubData  show a recipe item of the record
//   SubDataIndex   1-based recipe item (only when SubData is true)
// A missing attribute takes the parent's value; every value goes through its setter, in the
// order SubData, PageDataIndex, SubDataIndex.
#include "data/Vkttabledefine.h"
#include "layout/Ucontainer.h"

#include <string>

class TVktTopContainer;

class TVktDataLink {
public:
    TVktDataLink(const TVktDataLink&) = delete;
    TVktDataLink& operator=(const TVktDataLink&) = delete;
    virtual ~TVktDataLink();

    // The database container's notices: it activated, is letting go, re-listed its rows.
    virtual void DBActive() = 0;
    virtual void DBInactive() = 0;
    virtual void DBChange() = 0;
    // The database container's second font changed.
    virtual void Font2Change() { LinkChange(); }
    // The database was renamed.
    virtual void DBRename() {}
    // Adds the fields this container reads from the database container's rows (not yet listed).
    virtual void CollectReadFields(TPriorityItem& fields) const { (void)fields; }

    TContainer& GetContainer() const { return self_; }
    TVktTopContainer* GetTopContainer() const { return top_; }
    int GetPageDataCount() const { return pageDataCount_; }
    int GetPageDataIndex() const { return pageDataIndex_; }
    bool GetSubData() const { return subData_; }
    int GetSubDataIndex() const { return subDataIndex_; }
    int GetPage() const { return page_; }

    // Not pushed further: the database container pushes the count to all depths itself.
    void SetPageDataCount(int value);
    // A value above PageDataCount is ignored. Pushed to the direct data children.
    void SetPageDataIndex(int value);
    void SetSubData(bool value);
    // Forced to 0 while the slot is empty.
    void SetSubDataIndex(int value);
    void SetPage(int page);

    // 0-based row of the database container for the slot on the page drawn ((P - 1) × N + I - 1,
    // factor 1 for page 0); -1 without a slot, database container or rows, or past the last row.
    int GetRecordRow() const;
    // Data_ID of that row; 0 when there is none.
    int GetRecordID() const;

    // Called by a dying database container.
    void ForgetTopContainer() { top_ = nullptr; }

protected:
    explicit TVktDataLink(TContainer& self);

    // What a change of the shown data does: Change, or mark the data changed first.
    virtual void LinkChange() { self_.Change(); }

    // Finds the nearest database container above `item` (stopping at an ancestor without a
    // container); null when none.
    TVktTopContainer* FindTopContainer(TViewItem* item);
    // The inherited values taken directly (no setters, no pushing).
    void CopyInherited();
    // SetViewItem of a container that shows data: the base class's (`setBase`), then the database
    // container found again and the inherited values copied; an active database container
    // activates this one at once.
    template <typename SetBase>
    void BindDirect(TViewItem* item, SetBase setBase)
    {
        FindTopContainer(nullptr);
        setBase();
        FindTopContainer(item);
        CopyInherited();
        if (TopHasAccesser()) {
            DBActive();
            DBChange();
        }
    }
    // The inherited values through the setters, so that they flow on to the children.
    void InheritThroughSetters();
    // 1 without database container or accesser or when the divisor is 0; else rows / divisor
    // rounded up.
    int LinkPageMax(int divisor) const;
    void SaveLink(const platform::XmlNode& node, bool subDataFirst) const;
    void LoadLink(const platform::XmlNode& node);

private:
    bool TopHasAccesser() const;

    TContainer& self_;
    TVktTopContainer* top_ = nullptr;
    int page_ = 0;
    int pageDataCount_ = 0;
    int pageDataIndex_ = 0;
    int subDataIndex_ = 0;
    bool subData_ = false;
};

// The data link of an item's container when that container is of type 12 to 17; null otherwise.
TVktDataLink* DataLinkOf(const TTreeItem* item);

// A data container that shows detail data of the record (memo, picture) looked up by its id.
class TVktDetailLink : public TVktDataLink {
public:
    int GetDataID() const { return dataID_; }
    // Fetches the detail field of the record (or clears it for 0); an equal id does nothing
    // unless the data changed since.
    void SetDataID(int id);
    bool GetDataChanged() const { return dataChanged_; }
    // How many detail fetches ran (for tests).
    int GetFetchCount() const { return fetchCount_; }

    void DBActive() override;
    void DBInactive() override;
    // Forgets the shown record too, so an edited memo or picture is fetched again.
    void DBChange() override;

protected:
    TVktDetailLink(TContainer& self, TVktField detail);
    void LinkChange() override;
    // The change pass: the record (or the recipe item's ingredient) of the slot.
    void DetailChange();
    // The fetched detail text ("" for none).
    virtual void ShowDetail(const std::string& text) = 0;
    virtual void ClearDetail() = 0;

private:
    TVktField detail_;
    int dataID_ = 0;
    int fetchCount_ = 0;
    bool dataChanged_ = false;
    // The shown record's detail must be fetched again even for the same id.
    bool stale_ = false;
};
