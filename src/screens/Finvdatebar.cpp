#include "screens/Finvdatebar.h"

#include "gui/QtSupport.h"
#include "platform/DateTime.h"
#include "widgets/Fvktform.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>

std::string MonthText(double date)
{
    const platform::DateParts parts = platform::DecodeDate(platform::TDateTime(date));
    return std::to_string(parts.year) + "年" + std::to_string(parts.month) + "月";
}

TInvDateBar::TInvDateBar(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("InvDateBar"));
    resize(241, 23);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    dropDown_ = new QComboBox(this);
    dropDown_->setObjectName(QStringLiteral("DropDown"));
    dropDown_->setFont(VktFormFont());
    dropDown_->setMaxVisibleItems(12);
    dropDown_->setStatusTip(QStringLiteral("棚卸し表を表示、編集する月を指定します。"));
    layout->addWidget(dropDown_);
    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFixedWidth(2);
    bevel->setFrameShape(QFrame::VLine);
    bevel->hide();
    layout->addWidget(bevel);
    connect(dropDown_, &QComboBox::currentIndexChanged, this, [this] {
        if (OnChange) OnChange(this);
    });
}

void TInvDateBar::Add(const std::string& text, int id)
{
    const QSignalBlocker blocker(dropDown_);
    const int current = dropDown_->currentIndex();
    dropDown_->addItem(platform::ToQString(text), id);
    dropDown_->setCurrentIndex(current);
}

void TInvDateBar::Clear()
{
    const QSignalBlocker blocker(dropDown_);
    dropDown_->clear();
}

int TInvDateBar::GetInvDateID() const
{
    const int index = dropDown_->currentIndex();
    return index >= 0 ? dropDown_->itemData(index).toInt() : 0;
}

void TInvDateBar::SetInvDateID(int id)
{
    const int index = dropDown_->findData(id);
    if (index < 0 || index == dropDown_->currentIndex()) return;
    dropDown_->setCurrentIndex(index);
}
