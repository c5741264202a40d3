#pragma once
// The wizard "使用単位の変更ウィザード": asked before an ingredient's use unit changes, it shows the
// old and new unit and takes the rate by which the price history is converted. It only returns
// the rate; its caller changes the unit. Only a finite rate above 0 can be confirmed.
#include "dialogs/Uwizardpages.h"

class QLineEdit;
class TVktObject;

class TUseUnitChangeDialog : public TWizardDialog {
    Q_OBJECT
public:
    explicit TUseUnitChangeDialog(QWidget* parent = nullptr);

    // Shows the names of both units and the rate 1, then the wizard modally. True when it was
    // confirmed with 実行; `rate` then holds the rate (1.0 otherwise).
    bool Execute(int oldUnit, int newUnit, double& rate);
    // Execute's set-up before the window shows: unit names, rate 1, page 0.
    void Prepare(int oldUnit, int newUnit);
    double GetRate() const { return rate_; }

    QLineEdit* GetOldUnitEdit() const { return oldUnitEdit_; }
    QLineEdit* GetNewUnitEdit() const { return newUnitEdit_; }
    QLineEdit* GetUnitRateEdit() const { return unitRateEdit_; }

protected:
    void PageChanged(int page) override;

private:
    void UnitRateEditChange();
    // The unit's name; empty when there is none.
    std::string UnitName(int id) const;

    double rate_ = 1.0;
    bool rateValid_ = true;
    QLineEdit* oldUnitEdit_ = nullptr;
    QLineEdit* newUnitEdit_ = nullptr;
    QLineEdit* unitRateEdit_ = nullptr;
};

// The single wizard, made on first use, bound to obj.
TUseUnitChangeDialog* UseUnitChangeDlg(TVktObject* obj);
