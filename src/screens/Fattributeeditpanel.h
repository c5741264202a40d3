#pragma once
// TAttributeEditPanel: the attribute items in a one-column list whose names are edited in place.
// Entering the list or a row takes its name as the undo text; typing sets Modified; moving to
// another row, Enter or Ctrl+Enter (設定) commits for the row being left and fires OnReturn, where
// the owner writes GetEditName for GetEditID; Esc (元に戻す) restores the name.
#include "screens/Fclasseditpanel.h"
#include "screens/Fgridedit.h"
#include "screens/Funitseditpanel.h"

#include <functional>
#include <string>
#include <vector>

class QPushButton;

class TAttributeEditPanel : public TMasterEditPanel {
    Q_OBJECT
public:

    explicit TAttributeEditPanel(QWidget* parent = nullptr);

    // One blank row without id; in-place editing off.
    void Clear();
    // Appends a row (reusing the blank one); in-place editing on.
    void AddAttrItem(int id, const std::string& name);
    // Replaces the rows (id, name), selecting the row of selectId, else the same index clamped.
    void SetRows(const std::vector<TUnitRow>& rows, int selectId);
    int GetCurrentID() const;
    int GetCurrentRow() const;
    int GetRowID(int row) const;
    int GetRowCount() const;
    std::string GetCurrentName() const;
    void SelectRow(int row);
    // The row being committed (the current one outside a commit) and its text.
    int GetEditID() const;
    std::string GetEditName() const;

    bool GetModified() const override;
    // Only with a pending edit.
    void ApplyEdit() override;
    void CancelEdit() override;

    TCellEditGrid* GetAttributeList() const { return attributeList_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TCellEditGrid* attributeList_ = nullptr;
};
