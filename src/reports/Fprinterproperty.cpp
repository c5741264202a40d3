#include "reports/Fprinterproperty.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "widgets/Fcanvasdropdown.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

// ---- TPrinterDropDown ----------------------------------------------------------------------------

TPrinterDropDown::TPrinterDropDown(QWidget* parent) : QWidget(parent)
{
    setObjectName("PrinterDropDown");
    auto* box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    DropDown = new QComboBox(this);
    DropDown->setObjectName("DropDown");
    DropDown->setMaxVisibleItems(10);
    box->addWidget(DropDown);
    platform::StringList printers;
    PrinterObject()->EnumPrinter(printers);
    for (int i = 0; i < printers.GetCount(); ++i) DropDown->addItem(platform::ToQString(printers.GetString(i)));
    connect(DropDown, &QComboBox::activated, this, platform::Guarded([this](int index) { DropDownChange(index); }));
    listener_ = TPrnObjListener([this](TPrinterObject*, bool) { PrinterChanged(); });
    PrinterChanged();
}

void TPrinterDropDown::PrinterChanged()
{
    TPrinterObject* printer = PrinterObject();
    DropDown->setCurrentIndex(printer->GetHasPrinter() ? printer->GetPrinterIndex() : -1);
    DropDown->setEnabled(printer->GetEnabled());
    if (OnChange) OnChange(this);
}

void TPrinterDropDown::DropDownChange(int index)
{
    if (index >= 0) PrinterObject()->SetPrinterIndex(index);
}

// ---- TPrinterProperty ----------------------------------------------------------------------------

TPrinterProperty::TPrinterProperty(QWidget* parent) : QWidget(parent)
{
    setObjectName("PrinterProperty");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    Label1 = new QLabel(platform::ToQString("プリンター"), this);
    Label1->setObjectName("Label1");
    PrinterDropDown = new TPrinterDropDown(this);
    Label2 = new QLabel(platform::ToQString("セットされている用紙"), this);
    Label2->setObjectName("Label2");
    CanvasDropDown = new TCanvasDropDown(this);
    CanvasDropDown->setObjectName("CanvasDropDown");
    CanvasVart = new QRadioButton(platform::ToQString("縦置き"), this);
    CanvasVart->setObjectName("CanvasVart");
    CanvasVart->setChecked(true);
    CanvasHorz = new QRadioButton(platform::ToQString("横置き"), this);
    CanvasHorz->setObjectName("CanvasHorz");
    BtnShowProperty = new QPushButton(platform::ToQString("プリンタプロパティ..."), this);
    BtnShowProperty->setObjectName("BtnShowProperty");
    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(PrinterDropDown, 1, 0, 1, 3);
    grid->addWidget(Label2, 2, 0, 1, 3);
    grid->addWidget(CanvasDropDown, 3, 0, 1, 3);
    grid->addWidget(CanvasVart, 4, 0);
    grid->addWidget(CanvasHorz, 4, 1);
    grid->addWidget(BtnShowProperty, 4, 2);
    grid->setColumnStretch(2, 1);
    const auto orientation = [this](bool) { platform::Guard([this] { CanvasOrientationClick(); }); };
    connect(CanvasVart, &QRadioButton::clicked, this, orientation);
    connect(CanvasHorz, &QRadioButton::clicked, this, orientation);
    connect(BtnShowProperty, &QPushButton::clicked, this,
            platform::Guarded([this](bool) { BtnShowPropertyClick(); }));
    listener_ = TPrnObjListener([this](TPrinterObject*, bool) { PrinterChanged(); });
    PrinterChanged();
}

void TPrinterProperty::PrinterChanged()
{
    TPrinterObject* printer = PrinterObject();
    updating_ = true;
    const bool landscape = printer->GetOrientation();
    CanvasVart->setChecked(!landscape);
    CanvasHorz->setChecked(landscape);
    const bool enabled = printer->GetEnabled();
    for (QWidget* w : std::initializer_list<QWidget*>{CanvasVart, CanvasHorz, Label1, Label2, BtnShowProperty})
        w->setEnabled(enabled);
    updating_ = false;
}

void TPrinterProperty::CanvasOrientationClick()
{
    if (!updating_) PrinterObject()->SetOrientation(CanvasHorz->isChecked());
}

void TPrinterProperty::BtnShowPropertyClick() { PrinterObject()->ShowPropertyDialog(); }
