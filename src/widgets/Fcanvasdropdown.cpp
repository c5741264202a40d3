#include "widgets/Fcanvasdropdown.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "widgets/Fcolordropdown.h"

#include <QSignalBlocker>

TCanvasDropDown::TCanvasDropDown(QWidget* owner) : QWidget(owner)
{
    dropDown_ = TOwnerDrawComboBox::CreateIn(*this, "CanvasDropDown", 109, kItemHeight);
    connect(dropDown_, &QComboBox::activated, this, platform::Guarded([this](int index) { DropDownChange(index); }));
    listener_ = TPrnObjListener([this](TPrinterObject*, bool printerChanged) { Refresh(printerChanged); });
    Refresh(true);
}

void TCanvasDropDown::Refresh(bool printerChanged)
{
    TPrinterObject* printer = PrinterObject();
    const QSignalBlocker blocker(dropDown_);
    if (printerChanged) {
        platform::StringList papers;
        printer->EnumPaper(papers);
        dropDown_->clear();
        for (const std::string& name : papers.GetStrings()) dropDown_->addItem(platform::ToQString(name));
    }
    dropDown_->setCurrentIndex(printer->GetPaperIndex());
    dropDown_->setEnabled(printer->GetEnabled());
}

void TCanvasDropDown::DropDownChange(int index)
{
    if (index >= 0) PrinterObject()->SetPaperIndex(index);
}
