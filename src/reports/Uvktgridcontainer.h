#pragma once
// The data grid (type 16, "VktGrid"): a table whose columns are fields and whose rows are the
// database container's whole list (PageDataCount 0, over as many pages as it needs), the records of
// one page (PageDataIndex 0), the record of a slot, or the recipe items of the slot's record
// (SubData). Float and currency cells go through the number formatter. In list form one amount
// field (SumField) can be summed per run of equal texts of a class field (SumClass), with a
// subtotal row after each run and a grand total row when there are two runs or more.
//
// Attributes after the grid's style attributes (no cells or titles of its own): PageDataIndex,
// SubData, SubDataIndex (see the data link); Fields (field names), Widths, Returns, NumSjis,
// FloatType, RowExpand always; SumField with a sum field; SumClass with both.
#include "core/Unumericstring.h"
#include "data/Uviewfieldstruct.h"
#include "layout/Ugridcontainer.h"
#include "platform/Currency.h"
#include "reports/Uvktdatalink.h"

#include <memory>
#include <string>
#include <vector>

class TVktAccesser;

// The rows of a summed list: data rows and the sum row closing each run of equal keys.
class TVGCSumStruct {
public:
    void Clear();
    void Add(const std::string& key, platform::Currency value);
    // Groups, plus the grand total row when there are two groups or more.
    int GetSumCount() const;
    int GetRowCount() const { return static_cast<int>(entries_.size()); }
    int GetGroupCount() const { return groups_; }
    bool GetCheckSum(int index) const;
    // The exact sum of a sum row (printed through the rows' number format); 0 past the end.
    platform::Currency GetSum(int index) const;
    // Sum rows above a data row; 0 past the end.
    int GetRowOffset(int index) const;
    platform::Currency GetTotal() const { return total_; }
    // The same rows: every data and sum row where the other has it.
    bool SameRows(const TVGCSumStruct& other) const;

private:
    struct Entry {
        int RowOffset;
        platform::Currency Sum;
    };
    std::vector<Entry> entries_;
    std::string key_;
    int groups_ = 0;
    platform::Currency total_;
};

class TVktGridContainer : public TGridContainer, public TVktDataLink {
public:
    TVktGridContainer();
    ~TVktGridContainer() override;

    const TPriorityItem& GetFields() const { return fields_; }
    const TPriorityItem& GetWidths() const { return widths_; }
    const TPriorityItem& GetReturns() const { return returns_; }
    TPreviewFieldStruct GetPreviewFields() const;
    // The columns, widths and returns (the orders are the database container's).
    void SetPreviewFields(const TPreviewFieldStruct& fields);

    TNSFloatType GetFloatType() const { return floatType_; }
    void SetFloatType(TNSFloatType value);
    int GetNumSjis() const { return numSjis_; }
    void SetNumSjis(int value);
    bool GetRowExpand() const { return rowExpand_; }
    void SetRowExpand(bool value);
    int GetSumField() const { return sumField_; }
    void SetSumField(int field);
    int GetSumClass() const { return sumClass_; }
    void SetSumClass(int field);
    const TVGCSumStruct& GetSums() const { return sums_; }
    bool GetDataChanged() const { return dataChanged_; }
    void DataChange();
    // The recipe items listed (null while inactive).
    TVktAccesser* GetSubAccesser() const { return subAccesser_.get(); }

    // The text of a cell (row counted over the whole table), as drawn.
    std::string CellText(int col, int row);

    int GetPageMax() override;
    void SetViewItem(TViewItem* item) override;
    void DoChange() override;
    void FontChange() override;
    void Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page, int pageMax,
              bool printer) override;
    // After row patches, the rows they changed (with their subtotal and the total) alone.
    bool ChangedAreas(TRect rect, int scale, int page, std::vector<TRect>& areas) override;
    void SaveToXml(const platform::XmlNode& node) override;
    void LoadFromXml(const platform::XmlNode& node) override;
    void TextQuery(TTextDrawer* sender, int col, int row, std::string& text) override;

    void DBActive() override;
    void DBInactive() override;
    void DBChange() override;
    void Font2Change() override { FontChange(); }
    void CollectReadFields(TPriorityItem& fields) const override;

protected:
    void LinkChange() override;

private:
    enum class Mode { Inactive, List, Page, Slot, Items };
    Mode GetMode() const;
    void InitHeader();
    void InitSumStruct();
    void SubDataAccess(int id);
    void ApplyRowsWrapStyle();
    std::string FieldText(TVktAccesser& accesser, TVktField field) const;
    std::string SumRowText(int col, int row) const;
    void RequestTopQuery();
    // Notes the table rows showing the listed rows `rows` (with their subtotal and the total) as
    // changed since the last screen draw.
    void NoteChangedRows(const std::vector<int>& rows);

    std::unique_ptr<TVktAccesser> subAccesser_;
    TVGCSumStruct sums_;
    TPriorityItem fields_;
    TPriorityItem widths_;
    TPriorityItem returns_;
    TNSFloatType floatType_ = TNSFloatType::Formatted;
    int numSjis_ = 0;
    int sumField_ = 0;
    int sumClass_ = 0;
    bool rowExpand_ = false;
    bool dataChanged_ = false;
    // SubData as the database container's query last saw it.
    bool querySubData_ = false;
    // Changes since the last screen draw: table rows (sorted), or everything.
    std::vector<int> changedRows_;
    bool changedAll_ = true;
    // A change pass after a row patch runs: its changes are the patched rows.
    bool rowPatch_ = false;
};
