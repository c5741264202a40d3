#pragma once
// TInvDateBar: a drop-down of stock-taking months, each item a month text with its InvDate_ID.
#include <QFrame>

#include <functional>
#include <string>

class QComboBox;

class TInvDateBar : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(TInvDateBar* Sender)>;

    explicit TInvDateBar(QWidget* parent = nullptr);

    QComboBox* GetDropDown() const { return dropDown_; }
    void Add(const std::string& text, int id);
    void Clear();
    // 0 when the list is empty or nothing is selected.
    int GetInvDateID() const;
    // Nothing when the id is selected already or not listed.
    void SetInvDateID(int id);

    // The user chose another month (also SetInvDateID).
    TNotify OnChange;

private:
    QComboBox* dropDown_ = nullptr;
};

// "yyyy年m月" of a date.
std::string MonthText(double date);
