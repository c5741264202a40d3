#pragma once
// The condition builder: one panel per kind of value, exactly one of them current. Each panel
// has a value edit and a drop-down of operator codes (the code is the item's data):
//
//   0 "に一致する"  1 "に一致しない"  2 "以上"  3 "以下"
//   4 "を含む" / "までを含む"   5 "を含まない" / "までを含まない"   6 "から" (a range: end follows)
//
// Panel kinds: 0 text, 1 integer, 2 date, 3 float, 4 French text, 5 list, 6 yes/no. Numbers are
// read and written without the locale ("." decimals); dates are whole days.
#include <QFrame>

class QCheckBox;
class QDate;
class QComboBox;
class QDateEdit;
class QLineEdit;
class TExView;

namespace platform {
class StringList;
class Variant;
}

enum TFilterPanelKind { fpkString = 0, fpkInteger = 1, fpkDate = 2, fpkFloat = 3, fpkEuroString = 4, fpkList = 5, fpkBool = 6 };

class TFilterBuilder : public QFrame {
    Q_OBJECT
public:
    explicit TFilterBuilder(QWidget* parent = nullptr);

    void ShowStringPanel();
    void ShowIntegerPanel();
    void ShowDatePanel();
    void ShowFloatPanel();
    void ShowEuroStringPanel();
    // Also unchecks the check box.
    void ShowBoolPanel();
    // The selector holds the list's texts with their ids (the strings' objects) as data.
    void ShowListPanel(const platform::StringList& items);

    // The current panel's kind; -1 before the first Show.
    int GetPanelKind() const { return kind_; }
    QWidget* GetPanel(int kind) const { return panels_[kind]; }

    // The code of the begin drop-down's selected item (0 for the yes/no panel, -1 no selection).
    int GetBeginCode() const;
    // Selects the item of the code, then runs the drop-down's change handler (range panels).
    void SetBeginCode(int code);
    // The end drop-down of the range panels; other panels answer 0 and ignore the call.
    int GetEndCode() const;
    void SetEndCode(int code);

    // Text panels: the text; integer: the number (ConvertError when it is none); float: the number
    // as a double (ConvertError likewise); date: the day; list: the selected id, -1 when none;
    // yes/no: the check state.
    platform::Variant GetBeginValue() const;
    void SetBeginValue(const platform::Variant& value);
    // The end value of the range panels; Empty for the others.
    platform::Variant GetEndValue() const;
    void SetEndValue(const platform::Variant& value);

    // The control a dialog focuses for the current panel.
    QWidget* GetFocusControl() const;

    QLineEdit* GetEditString() const { return editString_; }
    QComboBox* GetCBBeginString() const { return cbBeginString_; }
    QLineEdit* GetEBeginInteger() const { return eBeginInteger_; }
    QLineEdit* GetEEndInteger() const { return eEndInteger_; }
    QComboBox* GetCBBeginInteger() const { return cbBeginInteger_; }
    QComboBox* GetCBEndInteger() const { return cbEndInteger_; }
    QDateEdit* GetBeginDateTime() const { return beginDateTime_; }
    QDateEdit* GetEndDateTime() const { return endDateTime_; }
    QComboBox* GetCBBeginDate() const { return cbBeginDate_; }
    QComboBox* GetCBEndDate() const { return cbEndDate_; }
    QLineEdit* GetEBeginFloat() const { return eBeginFloat_; }
    QLineEdit* GetEEndFloat() const { return eEndFloat_; }
    QComboBox* GetCBBeginFloat() const { return cbBeginFloat_; }
    QComboBox* GetCBEndFloat() const { return cbEndFloat_; }
    TExView* GetEditEuroString() const { return editEuroString_; }
    QComboBox* GetCBBeginEuroString() const { return cbBeginEuroString_; }
    QComboBox* GetCBListSelector() const { return cbListSelector_; }
    QComboBox* GetListSelector() const { return listSelector_; }
    QCheckBox* GetCBBool() const { return cbBool_; }

private:
    void ShowPanel(int kind);
    QComboBox* BeginCombo() const;
    QComboBox* EndCombo() const;
    QWidget* EndEdit() const;
    // Enables the end controls exactly for a range; clears them otherwise.
    void CBBeginChange();
    void CBBoolClick();

    QWidget* panels_[7] = {};
    int kind_ = -1;
    QLineEdit* editString_ = nullptr;
    QComboBox* cbBeginString_ = nullptr;
    QLineEdit* eBeginInteger_ = nullptr;
    QComboBox* cbBeginInteger_ = nullptr;
    QLineEdit* eEndInteger_ = nullptr;
    QComboBox* cbEndInteger_ = nullptr;
    QComboBox* cbBeginDate_ = nullptr;
    QComboBox* cbEndDate_ = nullptr;
    QDateEdit* beginDateTime_ = nullptr;
    QDateEdit* endDateTime_ = nullptr;
    QLineEdit* eBeginFloat_ = nullptr;
    QComboBox* cbBeginFloat_ = nullptr;
    QLineEdit* eEndFloat_ = nullptr;
    QComboBox* cbEndFloat_ = nullptr;
    TExView* editEuroString_ = nullptr;
    QComboBox* cbBeginEuroString_ = nullptr;
    QComboBox* cbListSelector_ = nullptr;
    QComboBox* listSelector_ = nullptr;
    QCheckBox* cbBool_ = nullptr;
};

// Day numbers and calendar days.
QDate DayToQDate(double day);
double QDateToDay(const QDate& date);
