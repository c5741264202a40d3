#pragma once
// Field selectors on a state list.
//
// TFieldSelector chooses the record list's columns and their sort states: an item with image 0
// is hidden, image k > 0 is shown with sort state k − 1 (0 none, 1 ascending, 2 descending). Its
// owner adds the items; binding loads the database's view fields, and a layout saved anywhere is
// shown at once.
//
// TCsvFieldSelector chooses a record family, the fields of one record (image 1 chosen) and how
// many records stand on one CSV line, and builds the CSV title line from them.
#include "core/Priorityitem.h"
#include "data/Uviewfieldstruct.h"
#include "gui/IconList.h"
#include "widgets/Fguipanel.h"

#include <functional>
#include <string>

class QLabel;
class QPushButton;
class QRadioButton;
class TStateListView;
class TUpDownEdit;

// The sort-state images: none, shown, ascending, descending.
const platform::IconList& SortStateImages();
// The CSV choice images: none, chosen.
const platform::IconList& CsvStateImages();

class TFieldSelector : public TGuiPanel {
    Q_OBJECT
public:
    explicit TFieldSelector(QWidget* parent, TPanelOwner* owner = nullptr);

    TStateListView* GetStateListView() const { return stateListView_; }

    // Stores the layout and shows it: its fields first, in its order, with their sort states.
    void SetFields(const TViewFieldStruct& fields);
    // The chosen fields in list order with their states; widths from the last loaded layout, 100
    // for a field it did not hold.
    TViewFieldStruct GetFields() const;
    const TViewFieldStruct& GetViewFields() const { return viewFields_; }
    // Bound, at least one field chosen, and the choice differs from the stored layout.
    bool CanApply();
    // Stores the choice when a field is chosen; reloads the stored layout in any case.
    void Apply();

    // The states or the order changed while bound.
    std::function<void(QObject* Sender)> OnChange;

protected:
    void DoAttach() override;
    void DoDetach() override;

private:
    TStateListView* stateListView_ = nullptr;
    TViewFieldStruct viewFields_;
};

class TCsvFieldSelector : public QFrame {
    Q_OBJECT
public:
    explicit TCsvFieldSelector(QWidget* parent = nullptr);

    // 7 ingredient, 8 recipe, 9 menu, 6 when no family is chosen.
    int GetFamily() const;
    int GetTitleCount() const;
    // The chosen field numbers in list order.
    TPriorityItem GetFields() const;
    // The captions of the chosen fields, the block repeated GetTitleCount times, comma-separated.
    std::string GetTitleLine() const;
    // Refills the list with the fields of the chosen family, none chosen.
    void ClassTypeSelectorClick();

    TFieldSelector* GetFieldSelector() const { return fieldSelector_; }
    QRadioButton* GetRBFoodFamily() const { return rbFood_; }
    QRadioButton* GetRBCookFamily() const { return rbCook_; }
    QRadioButton* GetRBMenuFamily() const { return rbMenu_; }
    TUpDownEdit* GetCsvTitleCount() const { return csvTitleCount_; }
    QPushButton* GetBtnShow() const { return btnShow_; }
    QPushButton* GetBtnHide() const { return btnHide_; }
    QPushButton* GetBtnUp() const { return btnUp_; }
    QPushButton* GetBtnDown() const { return btnDown_; }

    // Tall enough for the button column and for the longest family's field list without scrolling.
    QSize minimumSizeHint() const override;

private:
    QRadioButton* AddFamily(const char* name, const char* caption, const char* remark, int y);

    QRadioButton* rbFood_ = nullptr;
    QRadioButton* rbCook_ = nullptr;
    QRadioButton* rbMenu_ = nullptr;
    TUpDownEdit* csvTitleCount_ = nullptr;
    TFieldSelector* fieldSelector_ = nullptr;
    QPushButton* btnShow_ = nullptr;
    QPushButton* btnHide_ = nullptr;
    QPushButton* btnUp_ = nullptr;
    QPushButton* btnDown_ = nullptr;
};
