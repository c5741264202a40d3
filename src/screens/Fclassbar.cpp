#include "screens/Fclassbar.h"

#include "gui/IconList.h"
#include "gui/LaidText.h"
#include "gui/QtSupport.h"
#include "widgets/Fvktform.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <algorithm>

namespace {

constexpr int kTextLeft = 21;
constexpr int kIndent = 16;

} // namespace

// The drop-down: the closed box shows the path, the list the indented hierarchy.
class TClassBarCombo : public QComboBox {
public:
    explicit TClassBarCombo(TClassBar* bar) : QComboBox(bar), bar_(bar) {}

    void showPopup() override
    {
        bar_->droppedIndex_ = currentIndex();
        QComboBox::showPopup();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        const int index = currentIndex();
        option.currentText = index >= 0 ? platform::ToQString(bar_->PathText(index)) : QString();
        option.currentIcon = QIcon();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        QRect text = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
        if (index >= 0 && bar_->images_) {
            const int icon = bar_->items_[index].Icon;
            if (icon >= 0 && icon < bar_->images_->GetCount())
                painter.drawPixmap(text.left(), text.top() + (text.height() - 16) / 2, bar_->images_->Pixmap(icon));
            text.setLeft(text.left() + kTextLeft);
        }
        painter.setPen(isEnabled() ? palette().color(QPalette::Text) : palette().color(QPalette::Disabled, QPalette::Text));
        constexpr int kFlags = Qt::AlignLeft | Qt::AlignVCenter;
        if (!platform::DrawLaidLine(painter, text, kFlags, option.currentText, laid_))
            painter.drawText(text, kFlags, option.currentText);
    }

private:
    TClassBar* bar_;
    platform::LaidTexts laid_{500};
};

namespace {

class ClassBarDelegate : public QStyledItemDelegate {
public:
    explicit ClassBarDelegate(TClassBar* bar) : QStyledItemDelegate(bar), bar_(bar) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int row = index.row();
        if (row < 0 || row >= bar_->GetCount()) return;
        const TClassBarItem& item = bar_->GetItem(row);
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter->fillRect(option.rect, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
        const int textLeft = option.rect.left() + kTextLeft + kIndent * bar_->Level(row);
        const platform::IconList* images = bar_->GetImages();
        if (images && item.Icon >= 0 && item.Icon < images->GetCount())
            painter->drawPixmap(textLeft - kTextLeft, option.rect.top() + (option.rect.height() - 16) / 2,
                                images->Pixmap(item.Icon));
        const bool grey = !bar_->isEnabled() || (bar_->GetLeafOnly() && bar_->HasChildren(row));
        QColor colour = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        if (grey) colour = option.palette.color(QPalette::Disabled, QPalette::Text);
        painter->setPen(colour);
        painter->drawText(QRect(textLeft, option.rect.top() + 2, option.rect.right() - textLeft, option.rect.height() - 2),
                          Qt::AlignLeft | Qt::AlignTop, platform::ToQString(item.Name));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize base = QStyledItemDelegate::sizeHint(option, index);
        return {base.width() + kTextLeft + kIndent * bar_->Level(index.row()), std::max(18, base.height())};
    }

private:
    TClassBar* bar_;
};

} // namespace

TClassBar::TClassBar(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("ClassBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    dropDown_ = new TClassBarCombo(this);
    dropDown_->setObjectName(QStringLiteral("DropDown"));
    dropDown_->setFont(VktFormFont());
    dropDown_->setItemDelegate(new ClassBarDelegate(this));
    dropDown_->setMaxVisibleItems(20);
    layout->addWidget(dropDown_);
    connect(dropDown_, &QComboBox::activated, this, [this](int index) { Chosen(index); });
    connect(dropDown_, &QComboBox::currentIndexChanged, this, [this] {
        if (OnChange) OnChange(this);
    });
}

void TClassBar::Chosen(int index)
{
    if (!leafOnly_ || index < 0 || !HasChildren(index)) return;
    dropDown_->setCurrentIndex(droppedIndex_);
}

void TClassBar::AddClass(int id, int classType, int icon, const TTreeIndex& treeIndex, const std::string& name)
{
    const auto place = std::upper_bound(items_.begin(), items_.end(), treeIndex,
                                        [](const TTreeIndex& key, const TClassBarItem& item) { return key < item.TreeIndex; });
    const int index = static_cast<int>(place - items_.begin());
    items_.insert(place, {id, classType, treeIndex, icon, name});
    const QSignalBlocker blocker(dropDown_);
    const int current = dropDown_->currentIndex();
    dropDown_->insertItem(index, platform::ToQString(name));
    // Inserting above the current item must not change the selection.
    if (current >= 0) dropDown_->setCurrentIndex(current >= index ? current + 1 : current);
    else dropDown_->setCurrentIndex(-1);
}

void TClassBar::DeleteClass(int id)
{
    const int index = FindItem(id);
    if (index < 0) return;
    int end = index + 1;
    while (end < GetCount() && items_[index].TreeIndex.IsPosterity(items_[end].TreeIndex)) ++end;
    const int current = dropDown_->currentIndex();
    if (current >= index && current < end) {
        int parent = -1;
        const TTreeIndex parentIndex = items_[index].TreeIndex.GetParent();
        for (int i = index - 1; i >= 0; --i)
            if (items_[i].TreeIndex == parentIndex) {
                parent = i;
                break;
            }
        dropDown_->setCurrentIndex(parent);
    }
    const QSignalBlocker blocker(dropDown_);
    const int selected = dropDown_->currentIndex();
    for (int i = end - 1; i >= index; --i) dropDown_->removeItem(i);
    items_.erase(items_.begin() + index, items_.begin() + end);
    dropDown_->setCurrentIndex(selected >= end ? selected - (end - index) : selected);
}

void TClassBar::Clear()
{
    const QSignalBlocker blocker(dropDown_);
    dropDown_->clear();
    items_.clear();
}

void TClassBar::SetClassID(int id)
{
    const int index = FindItem(id);
    if (index >= 0) dropDown_->setCurrentIndex(index);
}

int TClassBar::GetClassID() const
{
    const TClassBarItem* item = GetSelectedItem();
    return item ? item->ClassID : 0;
}

const TClassBarItem* TClassBar::GetSelectedItem() const
{
    const int index = dropDown_->currentIndex();
    return index >= 0 && index < GetCount() ? &items_[index] : nullptr;
}

int TClassBar::FindItem(int id) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (items_[i].ClassID == id) return i;
    return -1;
}

void TClassBar::SetItemIcon(int index, int icon)
{
    if (index < 0 || index >= GetCount()) return;
    items_[index].Icon = icon;
    dropDown_->update();
}

void TClassBar::SetItemName(int index, const std::string& name)
{
    if (index < 0 || index >= GetCount()) return;
    items_[index].Name = name;
    dropDown_->setItemText(index, platform::ToQString(name));
    dropDown_->update();
}

void TClassBar::SetImages(const platform::IconList* images)
{
    images_ = images;
    dropDown_->update();
}

bool TClassBar::HasChildren(int index) const
{
    return index >= 0 && index + 1 < GetCount() && items_[index].TreeIndex != items_[index + 1].TreeIndex &&
           items_[index].TreeIndex.IsPosterity(items_[index + 1].TreeIndex);
}

int TClassBar::Level(int index) const
{
    return index >= 0 && index < GetCount() ? std::max(0, items_[index].TreeIndex.Depth() - 1) : 0;
}

std::string TClassBar::PathText(int index) const
{
    if (index < 0 || index >= GetCount()) return {};
    std::vector<std::string> names{items_[index].Name};
    TTreeIndex walk = items_[index].TreeIndex;
    for (int i = index - 1; i >= 0 && walk.Depth() > 2; --i)
        if (items_[i].TreeIndex == walk.GetParent()) {
            names.insert(names.begin(), items_[i].Name);
            walk = items_[i].TreeIndex;
        }
    std::string path;
    for (const std::string& name : names) path += (path.empty() ? "" : "/") + name;
    return path;
}
