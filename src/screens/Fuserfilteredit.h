#pragma once
// The user-filter page: the named user filters of the open database on the left (names edited in
// place), the filterable fields of the chosen filter with their conditions on the right. The
// chosen filter is edited in a working copy; Apply writes it back (one filter-set notice, which
// this page ignores), choosing another filter, creating or moving one applies a pending change
// first. Field conditions are edited in the condition dialog; unit, dealer and month lists give
// the names shown for the ids they hold.
#include "data/Ufilterstruct.h"
#include "widgets/Fguipanel.h"

#include <memory>
#include <string>

class QPushButton;
class QSplitter;
class TGridEdit;

namespace platform {
class StringList;
}

class TUserFilterEdit : public TGuiPanel {
    Q_OBJECT
public:
    explicit TUserFilterEdit(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TUserFilterEdit() override;

    void LoadFilters();
    void Clear();
    void AddRow(const std::string& name);
    void SelectFilter(int row);
    // Bound, valid, a filter chosen, and the working copy differs from the stored filter.
    bool IsModified();
    void Apply();
    void Revert();
    void EditField();
    // Takes a field's conditions into the working copy (what an accepted condition dialog gives).
    void SetFieldFilters(const TFilters& filters);
    void ClearField();
    void SetFilterName(const std::string& text);

    int GetFilterIndex() const { return filterIndex_; }
    const TFilterObject& GetWorkFilter() const { return workFilter_; }
    // The names shown for ids (null while unbound).
    const platform::StringList* GetUnitNames() const { return unitNames_.get(); }
    const platform::StringList* GetDealerNames() const { return dealerNames_.get(); }
    const platform::StringList* GetInvDateNames() const { return invDateNames_.get(); }
    // The condition text of a field in the working copy ("" without conditions).
    std::string FieldText(TVktField field) const;

    int GetFilterListWidth() const;
    void SetFilterListWidth(int width);

    TGridEdit* GetFilterList() const { return filterList_; }
    TGridEdit* GetFieldList() const { return fieldList_; }
    QPushButton* GetBtnNew() const { return btnNew_; }
    QPushButton* GetBtnDelete() const { return btnDelete_; }
    QPushButton* GetBtnEdit() const { return btnEdit_; }
    QPushButton* GetBtnClear() const { return btnClear_; }
    QPushButton* GetBtnSetting() const { return btnSetting_; }
    QPushButton* GetBtnUndo() const { return btnUndo_; }
    QPushButton* GetBtnUp() const { return btnUp_; }
    QPushButton* GetBtnDown() const { return btnDown_; }

    // Esc without modifiers reverts, Ctrl+Enter applies; true when the key was taken.
    bool EditKey(int key, Qt::KeyboardModifiers modifiers);

protected:
    void DoAttach() override;
    void DoDetach() override;

private:
    bool Active();
    bool HasFilters() const;
    void LoadUnitNames();
    void LoadDealerNames();
    void LoadInvDateNames();
    const platform::StringList* NamesOf(TVktField field) const;
    void NewFilter();
    void MoveFilter(int delta);
    void FilterRowChanged(int row);
    void RepaintFields();

    QSplitter* splitter_ = nullptr;
    TGridEdit* filterList_ = nullptr;
    TGridEdit* fieldList_ = nullptr;
    QPushButton* btnNew_ = nullptr;
    QPushButton* btnDelete_ = nullptr;
    QPushButton* btnEdit_ = nullptr;
    QPushButton* btnClear_ = nullptr;
    QPushButton* btnSetting_ = nullptr;
    QPushButton* btnUndo_ = nullptr;
    QPushButton* btnUp_ = nullptr;
    QPushButton* btnDown_ = nullptr;

    bool updating_ = false;
    bool selecting_ = false;
    int filterIndex_ = -1;
    TFilterObject workFilter_;
    std::unique_ptr<platform::StringList> unitNames_;
    std::unique_ptr<platform::StringList> dealerNames_;
    std::unique_ptr<platform::StringList> invDateNames_;
};
