#include "widgets/Ffontdropdown.h"

#include "gui/Application.h"
#include "gui/FontTable.h"
#include "gui/QtSupport.h"
#include "widgets/Fcolordropdown.h"

#include <QPainter>
#include <QSignalBlocker>

TFontDropDown::TFontDropDown(QWidget* owner) : QWidget(owner)
{
    dropDown_ = TOwnerDrawComboBox::CreateIn(*this, "FontDropDown", 109, kItemHeight);
    dropDown_->setMaxVisibleItems(16);
    platform::FontSpec own;
    own.Face = kDefaultFace;
    own.Height = -13;
    own.CharSet = 128;
    dropDown_->setFont(platform::MakeQFont(own, platform::ScreenPixelsPerInch()));
    dropDown_->SetOnDrawItem(
        [this](QPainter& painter, int index, const QRect& rect, bool) { DropDownDrawItem(painter, index, rect); });
    connect(dropDown_, &QComboBox::activated, this, platform::Guarded([this](int) { DropDownChange(); }));

    PrinterObject()->EnumFont(fonts_);
    fonts_.Sort();
    Refresh(true);
    listener_ = TPrnObjListener([this](TPrinterObject*, bool printerChanged) { Refresh(printerChanged); });
}

std::string TFontDropDown::GetFontName() const { return platform::FromQString(dropDown_->currentText()); }

void TFontDropDown::Refresh(bool printerChanged)
{
    if (!printerChanged) return;
    {
        const QSignalBlocker blocker(dropDown_);
        dropDown_->clear();
        for (const std::string& face : fonts_.GetStrings()) dropDown_->addItem(platform::ToQString(face));
        dropDown_->setCurrentIndex(dropDown_->findText(platform::ToQString(kDefaultFace), Qt::MatchFixedString));
    }
    DropDownChange();
}

void TFontDropDown::DropDownChange()
{
    if (OnChange) OnChange(this);
}

void TFontDropDown::DropDownDrawItem(QPainter& painter, int index, const QRect& rect)
{
    const QString face = dropDown_->itemText(index);
    auto it = faces_.find(face);
    if (it == faces_.end()) {
        platform::FontSpec spec = PrinterObject()->GetLogFont(platform::FromQString(face));
        spec.Height = -dropDown_->font().pixelSize();
        it = faces_.insert(face, platform::MakeQFont(spec, platform::ScreenPixelsPerInch()));
    }
    painter.save();
    painter.setClipRect(rect);
    painter.setFont(*it);
    painter.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, face);
    painter.restore();
}
