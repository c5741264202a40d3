#pragma once
// TDealerSelectPanel: an ingredient's dealer chosen from a drop-down of companies, with the
// chosen dealer's contact data shown read-only. The owner fills it and writes the dealer on
// OnApply. Edit cycle: entering the selector remembers the dealer as the undo key, a different
// choice sets Modified, leaving it or Ctrl+Enter applies, Esc restores.
#include <QFrame>

#include <functional>
#include <string>

class QComboBox;
class QLineEdit;

class TDealerSelectPanel : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(QObject* Sender)>;

    explicit TDealerSelectPanel(QWidget* parent = nullptr);

    void Clear();
    void AddDealer(int id, const std::string& company);
    // 0 when nothing is selected.
    int GetDealerKey() const;
    // Selects the entry of the id (none when it is not listed) without counting as a change.
    void SetDealerKey(int id);

    void SetDealer(const std::string& text);
    void SetPostCode(const std::string& text);
    void SetAddress(const std::string& text);
    void SetTel(const std::string& text);
    void SetTel2(const std::string& text);
    void SetFax(const std::string& text);
    void SetMail(const std::string& text);

    bool GetModified() const { return modified_; }
    void SetModified(bool modified);
    void ApplyEdit();
    void CancelEdit();
    // The selector's change handling: Modified follows the difference from the undo value.
    void EditChange();

    QComboBox* GetCompanySelector() const { return companySelector_; }
    QLineEdit* GetDealerEdit() const { return dealerEdit_; }
    QLineEdit* GetTELEdit() const { return telEdit_; }
    QLineEdit* GetTEL2Edit() const { return tel2Edit_; }
    QLineEdit* GetPostCodeEdit() const { return postCodeEdit_; }
    QLineEdit* GetFAXEdit() const { return faxEdit_; }
    QLineEdit* GetAddressEdit() const { return addressEdit_; }
    QLineEdit* GetMailEdit() const { return mailEdit_; }

    TNotify OnApply;
    TNotify OnModifiedChange;
    // Replaces EditChange as the selector's change handler when set; the owner calls EditChange
    // itself and then shows the chosen dealer's data.
    TNotify OnCompanySelectorChange;

protected:
    virtual void DoApply();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* AddEdit(const char* name, const char* caption, int labelX, int labelY, int x, int y, int width);
    void SetEditText(QLineEdit* edit, const std::string& text);
    void SelectorChanged();
    void ListSelectorEnter();
    void ListSelectorExit();
    void EditEnter(QLineEdit* edit);
    void EditExit(QLineEdit* edit);
    // Esc and Ctrl+Enter; true when the key was taken.
    bool EditKeyDown(int key, Qt::KeyboardModifiers modifiers);

    QComboBox* companySelector_ = nullptr;
    QLineEdit* dealerEdit_ = nullptr;
    QLineEdit* telEdit_ = nullptr;
    QLineEdit* tel2Edit_ = nullptr;
    QLineEdit* postCodeEdit_ = nullptr;
    QLineEdit* faxEdit_ = nullptr;
    QLineEdit* addressEdit_ = nullptr;
    QLineEdit* mailEdit_ = nullptr;

    bool loading_ = false;
    bool modified_ = false;
    int undoKey_ = 0;
    std::string undoText_;
    QWidget* editControl_ = nullptr;
    // The focus went to a popup and has not come back yet.
    bool inPopup_ = false;
};
