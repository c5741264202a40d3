#pragma once
// The dialog "フィルター編集": edits the condition on one field of a user filter through the
// condition builder. Only the field's first condition is shown; OK replaces all of them by the one
// entered. One instance for the whole run (FilterEditDlg).
//
// Operators and builder codes: text fields show 6 / 7 as codes 4 / 5; other fields show 0-3 as
// themselves and the ranges 4 / 5 as code 6 with the operator as the end code. A stored operator
// the panel has no item for opens as a field without conditions.
#include "data/Ufilterstruct.h"

#include <QDialog>

class QLabel;
class QPushButton;
class TFilterBuilder;

namespace platform {
class StringList;
}

class TFilterEditDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFilterEditDialog(QWidget* parent = nullptr);

    // A field edited by value. True when a new condition was produced (see GetResult).
    bool EditFilter(const TFilters& filters);
    // A field whose value is an id chosen from `items` (texts with the ids as objects).
    bool EditListFilter(const TFilters& filters, const platform::StringList& items);
    // The conditions of the last successful edit.
    const TFilters& GetResult() const { return result_; }

    TFilterBuilder* GetFilterBuilder() const { return filterBuilder_; }
    QLabel* GetLabel() const { return label_; }
    QPushButton* GetBtnOk() const { return btnOk_; }
    QPushButton* GetBtnCancel() const { return btnCancel_; }

private:
    // Label, working copy and result; the first condition when there is one.
    const TFilter* Start(const TFilters& filters);
    void BtnOkClick();

    TFilterBuilder* filterBuilder_ = nullptr;
    QLabel* label_ = nullptr;
    QPushButton* btnOk_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    TFilters working_;
    TFilters result_;
};

// The single dialog, made on first use and released when the application ends.
TFilterEditDialog* FilterEditDlg();
