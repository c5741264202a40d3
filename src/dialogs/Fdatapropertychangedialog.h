#pragma once
// The dialog "項目の一括変更": sets up to six key fields (class, inventory item, form, use unit,
// buy unit, dealer) of every record marked in the record list to one value each. Only the fields
// the user touched are sent, always in the order 43, 42, 44, 47, 61, 65; the batch dialog runs
// the change. The dialog stays open after a run. Buy unit and dealer exist for ingredients only.
#include "core/Priorityitem.h"
#include "data/Vkttabledefine.h"
#include "gui/IconList.h"
#include "widgets/Fguipanel.h"

#include <array>
#include <cstdint>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class TClassBar;
class TVktObject;

class TDataPropertyChangeDialog : public TVktDialog {
    Q_OBJECT
public:
    // The controls' tags: class, inventory item, form, use unit, buy unit, dealer.
    enum { tagClass, tagInvItem, tagForm, tagUseUnit, tagBuyUnit, tagDealer, tagCount };

    explicit TDataPropertyChangeDialog(QWidget* parent = nullptr);
    ~TDataPropertyChangeDialog() override;

    // Keeps the ids, applies the kind, clears every choice and shows the dialog modally.
    int Execute(std::uint8_t kind, const TPriorityItem& ids);
    // Execute's set-up before the window shows.
    void Prepare(std::uint8_t kind, const TPriorityItem& ids);
    // Refills the class bar and the lists for a new kind (1 ingredient, 2 recipe, 3 menu, 0 none).
    void SetDataKind(std::uint8_t kind);
    std::uint8_t GetDataKind() const { return kind_; }

    // The changed fields in sending order, and their values as comma text.
    TPriorityItem ChangedFields() const;
    std::string ValueText() const;

    TClassBar* GetCBClass() const { return cbClass_; }
    QCheckBox* GetCBInvItem() const { return cbInvItem_; }
    // Tag tagForm .. tagDealer.
    QComboBox* GetList(int tag) const { return lists_.at(tag); }
    QPushButton* GetBtnClear(int tag) const { return clearButtons_.at(tag); }

    void BtnCancelClick();
    void reject() override;

protected:
    void DoAttach() override;
    void DoDetach() override;
    void showEvent(QShowEvent* event) override;

private:
    void Mark(int tag);
    void BtnClearClick(int tag);
    void BtnOkClick();
    void ChangedSetShown();
    void FillClasses();
    void FillForms();
    void FillUnits();
    void FillDealers();
    // Refills a list keeping the chosen key; a chosen key that is gone clears the field.
    template <class Fill>
    void Refill(int tag, Fill&& fill);
    void ClassNotice(TVktObjKind kind, int id, bool added);
    void ClassChanged(TVktField field, int id);

    TVktFieldSet changed_;
    TPriorityItem ids_;
    std::uint8_t kind_ = 0;
    platform::IconList icons_;
    TClassBar* cbClass_ = nullptr;
    QCheckBox* cbInvItem_ = nullptr;
    std::array<QComboBox*, tagCount> lists_{};
    std::array<QPushButton*, tagCount> clearButtons_{};
    QLabel* label4_ = nullptr;
    QLabel* label5_ = nullptr;
    bool placed_ = false;
};

// The single dialog, made on first use, bound to obj.
TDataPropertyChangeDialog* ShowDataPropertyChangeDlg(TVktObject* obj);
