#pragma once
// TDealerEditPanel: the dealers (companies) in a list and the eight texts of the selected one in
// line editors, with the edit cycle of the master panels: the owner writes the field of
// GetEditPart for GetEditID, the dealer whose texts the editors hold. Selecting another row
// commits a pending edit for the row being left, then OnSelect lets the owner load the new row.
#include "screens/Funitseditpanel.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;
class QSplitter;

class TDealerEditPanel : public TMasterEditPanel {
    Q_OBJECT
public:
    // Editor order, also the edit part: company, contact, post code, address, TEL, TEL2, FAX, mail.
    enum TDealerPart { dpCompany, dpDealer, dpPostCode, dpAddress, dpTel, dpTel2, dpFax, dpMail, dpCount };

    explicit TDealerEditPanel(QWidget* parent = nullptr);

    // One blank row with id 0; editors emptied.
    void Clear();
    void AddDealer(int id, const std::string& company);
    // Replaces the rows (id, company) and selects the row of selectId, else the same row index
    // clamped; OnSelect follows when the selected dealer is not the one the editors hold.
    void SetRows(const std::vector<TUnitRow>& rows, int selectId);
    int GetRowID(int row) const;
    int GetCurrentID() const;
    int GetCurrentRow() const;
    int GetRowCount() const;
    // Moves the current row (after committing a pending edit) and loads it.
    void SelectRow(int row);
    int GetEditID() const { return editId_; }

    std::string GetText(int part) const;
    // Loads a text without counting as a change.
    void SetText(int part, const std::string& text);
    std::string GetCompany() const { return GetText(dpCompany); }
    std::string GetDealer() const { return GetText(dpDealer); }
    std::string GetPostCode() const { return GetText(dpPostCode); }
    std::string GetAddress() const { return GetText(dpAddress); }
    std::string GetTel() const { return GetText(dpTel); }
    std::string GetTel2() const { return GetText(dpTel2); }
    std::string GetFax() const { return GetText(dpFax); }
    std::string GetMail() const { return GetText(dpMail); }

    void ApplyEdit() override;
    void CancelEdit() override;

    int GetListWidth() const;
    void SetListWidth(int width);

    TRowGrid* GetDealerList() const { return dealerList_; }
    QLineEdit* GetEdit(int part) const { return edits_.at(static_cast<std::size_t>(part)); }
    QSplitter* GetSplitter() const { return splitter_; }
    QWidget* GetPanel() const { return panel_; }
    // The selected row is now the one to show: the owner loads its texts (SetText).
    TNotify OnSelect;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RowChanged(int row);
    void PanelResize();
    void EditEnter(QLineEdit* edit);
    void EditChange(QLineEdit* edit);

    QSplitter* splitter_ = nullptr;
    TRowGrid* dealerList_ = nullptr;
    QWidget* panel_ = nullptr;
    std::array<QLineEdit*, dpCount> edits_{};
    int editId_ = 0;
    QLineEdit* activeLine_ = nullptr;
};
