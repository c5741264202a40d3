#include "widgets/Fcolordropdown.h"

#include "core/Ucolorsupport.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"

#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QVBoxLayout>

namespace {

class OwnerDrawDelegate : public QStyledItemDelegate {
public:
    explicit OwnerDrawDelegate(TOwnerDrawComboBox& combo) : QStyledItemDelegate(&combo), combo_(combo) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), combo_.GetItemHeight()};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!combo_.GetOnDrawItem()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        const bool selected = option.state & (QStyle::State_Selected | QStyle::State_MouseOver);
        painter->fillRect(option.rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        combo_.GetOnDrawItem()(*painter, index.row(), option.rect, true);
        painter->restore();
        if (selected) {
            // The focus mark over the drawn item.
            painter->save();
            painter->setPen(QPen(option.palette.color(QPalette::Highlight), 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
            painter->restore();
        }
    }

private:
    TOwnerDrawComboBox& combo_;
};

// The swatch colours of items 1 to 16 as the items read them.
const char* const kColorItems[] = {"0x000000", "0x808080", "0x7f0000", "0xff0000", "0x7f007f", "0xff00ff",
                                   "0x00007f", "0x0000ff", "0x007f7f", "0x00ffff", "0x007f00", "0x00ff00",
                                   "0x7f7f00", "0xffff00", "0xA4A0A0", "0xFFFFFF"};

} // namespace

// ---- TOwnerDrawComboBox --------------------------------------------------------------------------

TOwnerDrawComboBox::TOwnerDrawComboBox(QWidget* owner, int itemHeight) : QComboBox(owner), itemHeight_(itemHeight)
{
    setItemDelegate(new OwnerDrawDelegate(*this));
}

TOwnerDrawComboBox* TOwnerDrawComboBox::CreateIn(QWidget& frame, const char* frameName, int width, int itemHeight)
{
    frame.setObjectName(frameName);
    frame.resize(width, 20);
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* combo = new TOwnerDrawComboBox(&frame, itemHeight);
    combo->setObjectName("DropDown");
    layout->addWidget(combo);
    frame.setFocusProxy(combo);   // Tab chains and labels take the frame for its list
    return combo;
}

void TOwnerDrawComboBox::SetOnDrawItem(DrawItemFn drawItem)
{
    drawItem_ = std::move(drawItem);
    update();
}

void TOwnerDrawComboBox::paintEvent(QPaintEvent* event)
{
    if (!drawItem_) {
        QComboBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0) return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.save();
    painter.setClipRect(field);
    painter.setPen(palette().color(isEnabled() ? QPalette::Text : QPalette::PlaceholderText));
    drawItem_(painter, currentIndex(), field, false);
    painter.restore();
}

// ---- TColorDropDown ------------------------------------------------------------------------------

TColorDropDown::TColorDropDown(QWidget* owner) : QWidget(owner)
{
    dropDown_ = TOwnerDrawComboBox::CreateIn(*this, "ColorDropDown", 113, kItemHeight);
    dropDown_->setMaxVisibleItems(17);
    dropDown_->addItem(QStringLiteral("カスタム..."));
    for (const char* item : kColorItems) dropDown_->addItem(QString::fromLatin1(item));
    dropDown_->setCurrentIndex(1);
    dropDown_->SetOnDrawItem(
        [this](QPainter& painter, int index, const QRect& rect, bool inList) { DropDownDrawItem(painter, index, rect, inList); });
    connect(dropDown_, &QComboBox::activated, this, platform::Guarded([this](int index) { DropDownChange(index); }));
    FrameResize();
}

QString TColorDropDown::ColorText(platform::TColor color)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(static_cast<uint>(color), 6, 16, QLatin1Char('0')).toUpper();
}

void TColorDropDown::SetColor(platform::TColor color)
{
    if (color == color_) return;
    color_ = color;
    const int index = dropDown_->findText(ColorText(color), Qt::MatchFixedString);
    dropDown_->setCurrentIndex(index > 0 ? index : 0);
    dropDown_->update();
}

platform::TColor TColorDropDown::ItemColor(int index) const
{
    if (index <= 0) return color_;
    return static_cast<platform::TColor>(dropDown_->itemText(index).toUInt(nullptr, 16));
}

void TColorDropDown::DropDownChange(int index)
{
    if (index > 0) {
        SetColor(ItemColor(index));
    } else if (index == 0) {
        if (const auto picked = platform::Services().PickColor(color_)) SetColor(*picked);
    }
    if (OnChange) OnChange(this);
}

void TColorDropDown::DropDownDrawItem(QPainter& painter, int index, const QRect& rect, bool inList)
{
    if (index == 0 && inList) {
        painter.drawImage(rect.topLeft(), spectrum_, QRect(0, 0, rect.width(), rect.height()));
        return;
    }
    const QColor color = platform::ToQColor(ItemColor(index));
    painter.fillRect(rect, color);
    painter.setPen(index == 16 && !inList ? QColor(Qt::black) : color);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

void TColorDropDown::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FrameResize();
}

void TColorDropDown::FrameResize()
{
    const int width = std::max(1, this->width());
    const int height = kItemHeight;
    if (spectrum_.width() == width && spectrum_.height() == height) return;
    spectrum_ = QImage(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const int brightness = static_cast<int>(100.0 / height * y);
        for (int x = 0; x < width; ++x) {
            const int hue = static_cast<int>(360.0 / width * x);
            spectrum_.setPixelColor(x, y, platform::ToQColor(HSBToRGB(hue, 100, brightness)));
        }
    }
    dropDown_->update();
}
