#pragma once
// TVktGridProperty: the data grid's page. The grid page's style tab (fonts hidden) and a tab
// "データ": which fields are columns and in which order, each column's width and line break,
// empty spacer columns "空の列", the record slot and ingredient rows, the number format, the row
// expansion and the fields summed and grouping the sub-totals.
#include "reports/Fgridproperty.h"
#include "reports/Fvktdataproperty.h"
#include "reports/Upreviewfieldlist.h"

class TVktFieldListBox;

class TVktGridProperty : public TGridProperty {
    Q_OBJECT
public:
    explicit TVktGridProperty(QWidget* parent = nullptr);

    TVktFieldListBox* GetFieldBox() const { return FieldBox; }
    // The columns as last shown or edited.
    const TPreviewFieldStruct& GetStoredFields() const { return stored_; }

    // Handlers.
    void CheckListViewListViewChange();
    void StateListViewChange();
    void BtnColInsertClick();
    void FieldWidthChange(int width);
    void CBReturnFieldClick(bool lineBreak);

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;
    // The list's states and the sum lists from the stored columns.
    void RefreshList();

    TVktFieldListBox* FieldBox = nullptr;
    TVktBindingControls Binding;
    QComboBox* NumSjisList = nullptr;
    QComboBox* FloatTypeList = nullptr;
    QCheckBox* CBRowExpand = nullptr;
    QComboBox* CBSumField = nullptr;
    QComboBox* CBSumClass = nullptr;

private:
    TPreviewFieldStruct stored_;
};

// Fills a sum list: "(なし)" (0), then each field id with its caption; selects `select` when it is
// listed, else "(なし)".
void FillSumList(QComboBox& list, const std::vector<int>& fields, int select);
// The field id of the selected entry (0 for "(なし)" or none).
int SelectedSum(const QComboBox& list);
