#include "screens/Fdealerselectpanel.h"

#include "gui/QtSupport.h"
#include "screens/Uchartsupport.h"
#include "platform/FlagScope.h"
#include "widgets/Fvktform.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <utility>

namespace {

constexpr int kEditHeight = 20;

} // namespace

TDealerSelectPanel::TDealerSelectPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("DealerSelectPanel"));
    setFont(VktFormFont());
    resize(330, 205);
    auto* label = new QLabel(QStringLiteral("購入業者"), this);
    label->setObjectName(QStringLiteral("Label22"));
    label->move(16, 8);
    companySelector_ = new QComboBox(this);
    companySelector_->setObjectName(QStringLiteral("CompanySelector"));
    companySelector_->setGeometry(8, 24, 153, kEditHeight + 2);
    companySelector_->setMaxVisibleItems(12);
    companySelector_->installEventFilter(this);
    label->setBuddy(companySelector_);

    dealerEdit_ = AddEdit("DealerEdit", "担当者", 171, 8, 168, 24, 153);
    telEdit_ = AddEdit("TELEdit", "TEL", 16, 48, 8, 64, 153);
    tel2Edit_ = AddEdit("TEL2Edit", "TEL2", 176, 48, 168, 64, 153);
    postCodeEdit_ = AddEdit("PostCodeEdit", "〒", 16, 88, 8, 104, 153);
    faxEdit_ = AddEdit("FAXEdit", "FAX", 176, 88, 168, 104, 153);
    addressEdit_ = AddEdit("AddressEdit", "所在地", 16, 128, 8, 144, 313);
    mailEdit_ = AddEdit("MailEdit", "E-Mail", 16, 168, 8, 184, 313);

    connect(companySelector_, &QComboBox::currentIndexChanged, this, [this] { SelectorChanged(); });
}

QLineEdit* TDealerSelectPanel::AddEdit(const char* name, const char* caption, int labelX, int labelY, int x, int y,
                                       int width)
{
    auto* label = new QLabel(platform::ToQString(caption), this);
    label->move(labelX, labelY);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(true);
    edit->setGeometry(x, y, width, kEditHeight);
    edit->installEventFilter(this);
    label->setBuddy(edit);
    return edit;
}

void TDealerSelectPanel::Clear()
{
    const platform::FlagScope loading(loading_);
    companySelector_->clear();
}

void TDealerSelectPanel::AddDealer(int id, const std::string& company)
{
    const platform::FlagScope loading(loading_);
    const int current = companySelector_->currentIndex();
    companySelector_->addItem(platform::ToQString(company), id);
    companySelector_->setCurrentIndex(current);
}

int TDealerSelectPanel::GetDealerKey() const
{
    const int index = companySelector_->currentIndex();
    return index >= 0 ? companySelector_->itemData(index).toInt() : 0;
}

void TDealerSelectPanel::SetDealerKey(int id)
{
    const platform::FlagScope loading(loading_);
    companySelector_->setCurrentIndex(companySelector_->findData(id));
}

void TDealerSelectPanel::SetEditText(QLineEdit* edit, const std::string& text)
{
    const platform::FlagScope loading(loading_);
    edit->setText(platform::ToQString(text));
    edit->setCursorPosition(0);
}

void TDealerSelectPanel::SetDealer(const std::string& text) { SetEditText(dealerEdit_, text); }
void TDealerSelectPanel::SetPostCode(const std::string& text) { SetEditText(postCodeEdit_, text); }
void TDealerSelectPanel::SetAddress(const std::string& text) { SetEditText(addressEdit_, text); }
void TDealerSelectPanel::SetTel(const std::string& text) { SetEditText(telEdit_, text); }
void TDealerSelectPanel::SetTel2(const std::string& text) { SetEditText(tel2Edit_, text); }
void TDealerSelectPanel::SetFax(const std::string& text) { SetEditText(faxEdit_, text); }
void TDealerSelectPanel::SetMail(const std::string& text) { SetEditText(mailEdit_, text); }

void TDealerSelectPanel::SetModified(bool modified)
{
    if (modified_ == modified) return;
    modified_ = modified;
    if (OnModifiedChange) OnModifiedChange(this);
}

void TDealerSelectPanel::DoApply()
{
    if (OnApply) OnApply(this);
}

void TDealerSelectPanel::ApplyEdit()
{
    if (auto* edit = qobject_cast<QLineEdit*>(editControl_)) {
        undoText_ = platform::FromQString(edit->text());
    } else if (editControl_ == companySelector_) {
        undoKey_ = GetDealerKey();
    }
    SetModified(false);
    DoApply();
}

void TDealerSelectPanel::CancelEdit()
{
    if (auto* edit = qobject_cast<QLineEdit*>(editControl_)) {
        edit->setText(platform::ToQString(undoText_));
        edit->selectAll();
    } else if (editControl_ == companySelector_) {
        {
            const QSignalBlocker blocker(companySelector_);
            companySelector_->setCurrentIndex(companySelector_->findData(undoKey_));
        }
        SelectorChanged();
    }
    SetModified(false);
}

void TDealerSelectPanel::EditChange()
{
    if (auto* edit = qobject_cast<QLineEdit*>(editControl_)) {
        SetModified(!loading_ && platform::FromQString(edit->text()) != undoText_);
    } else if (editControl_ == companySelector_) {
        SetModified(!loading_ && GetDealerKey() != undoKey_);
    }
}

void TDealerSelectPanel::SelectorChanged()
{
    if (OnCompanySelectorChange) {
        OnCompanySelectorChange(this);
    } else {
        EditChange();
    }
}

void TDealerSelectPanel::ListSelectorEnter()
{
    if (companySelector_->count() == 0) return;
    undoKey_ = GetDealerKey();
    editControl_ = companySelector_;
}

void TDealerSelectPanel::ListSelectorExit()
{
    if (companySelector_->count() == 0) return;
    if (GetDealerKey() != undoKey_) ApplyEdit();
}

void TDealerSelectPanel::EditEnter(QLineEdit* edit)
{
    undoText_ = platform::FromQString(edit->text());
    editControl_ = edit;
}

void TDealerSelectPanel::EditExit(QLineEdit* edit)
{
    if (platform::FromQString(edit->text()) != undoText_) ApplyEdit();
}

bool TDealerSelectPanel::EditKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    return RunEditKey(EditKeyOf(key, modifiers), [this] { CancelEdit(); }, [this] { ApplyEdit(); });
}

bool TDealerSelectPanel::eventFilter(QObject* watched, QEvent* event)
{
    const bool selector = watched == companySelector_;
    switch (event->type()) {
    case QEvent::FocusIn:
        // The selector's popup takes the focus and gives it back: no edit ends or starts there.
        if (std::exchange(inPopup_, false) || static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason) break;
        if (selector) {
            ListSelectorEnter();
        } else if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
            EditEnter(edit);
        }
        break;
    case QEvent::FocusOut:
        if (inPopup_) break;
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason) {
            inPopup_ = true;
            break;
        }
        if (selector) {
            ListSelectorExit();
        } else if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
            EditExit(edit);
        }
        break;
    case QEvent::KeyPress:
        if (selector) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (EditKeyDown(key->key(), key->modifiers())) return true;
        }
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}
